// The process-wide registry of picture file formats.
//
// Each entry maps a lower-case extension to the picture kind that reads it
// and to a description for file dialogs. Entries keep their registration
// order; lookups scan from the newest to the oldest, so a later registration
// of an extension overrides an earlier one. The order in which the picture
// modules register is fixed by the module list in picture_modules.cpp.
#pragma once

#include "core/persistent.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tremalu {

struct TFileFormat {
    const TClass* PictureClass = nullptr;
    std::string Extension;    // without its dot, lower case; may be empty
    std::string Description;  // shown in file dialogs; may be empty
    int32_t DescriptionResId = 0;
};

class TFileFormatsList {
public:
    // Appends an entry; the extension is stored in lower case.
    void AddFormat(const std::string& extension, const std::string& description, const TClass& kind,
                   int32_t descriptionResId);
    // The kind of the newest entry whose extension equals the given one,
    // compared without regard to case; null when none does.
    const TClass* FindByExtension(const std::string& extension) const;
    // The kind of the newest entry whose class name is exactly name.
    const TClass* FindByClassName(const std::string& name) const;
    // Removes every entry whose kind is kind or derives from it.
    void RemoveKind(const TClass& kind);
    // The dialog filter for the kinds derived from baseKind, newest entry
    // first, with a leading "Tout" pair when more than one entry matches;
    // extensions receives the pattern list of all of them ("*.a;*.b").
    void BuildFilter(const TClass& baseKind, std::string& filter, std::string& extensions);

    const std::vector<TFileFormat>& Entries() const { return Formats; }

private:
    std::vector<TFileFormat> Formats;
};

// The registry; made empty on first use. The module list (picture_modules.cpp)
// gives it its formats at start-up, before anything else uses it.
TFileFormatsList& FormatRegistry();
// Whether the registry has been made.
bool FormatRegistryExists();
// Frees the registry and its remaining entries (at the end of the program).
void FreeFormatRegistry();

void RegisterFormat(const std::string& extension, const std::string& description, const TClass& kind);
void UnregisterKind(const TClass& kind);
std::string PictureFilter(const TClass& baseKind);

// Texts of the program's string table, by number; empty for an unknown one.
std::string LoadResourceString(int32_t id);
inline constexpr int32_t SAllFilterId = 65000;  // "Tout"

}  // namespace tremalu
