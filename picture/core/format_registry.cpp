#include "core/format_registry.h"

#include "core/graphic.h"

namespace tremalu {

void TFileFormatsList::AddFormat(const std::string& extension, const std::string& description, const TClass& kind,
                                 int32_t descriptionResId)
{
    Formats.push_back({&kind, AsciiLowerCase(extension), description, descriptionResId});
}

const TClass* TFileFormatsList::FindByExtension(const std::string& extension) const
{
    const std::string wanted = AsciiLowerCase(extension);
    for (auto it = Formats.rbegin(); it != Formats.rend(); ++it)
        if (it->Extension == wanted)
            return it->PictureClass;
    return nullptr;
}

const TClass* TFileFormatsList::FindByClassName(const std::string& name) const
{
    for (auto it = Formats.rbegin(); it != Formats.rend(); ++it)
        if (name == it->PictureClass->ClassName())
            return it->PictureClass;
    return nullptr;
}

void TFileFormatsList::RemoveKind(const TClass& kind)
{
    std::erase_if(Formats, [&](const TFileFormat& f) { return f.PictureClass->InheritsFrom(kind); });
}

void TFileFormatsList::BuildFilter(const TClass& baseKind, std::string& filter, std::string& extensions)
{
    filter.clear();
    extensions.clear();
    int count = 0;
    for (auto it = Formats.rbegin(); it != Formats.rend(); ++it) {
        TFileFormat& format = *it;
        if (!format.PictureClass->InheritsFrom(baseKind) || format.Extension.empty())
            continue;
        if (count != 0) {
            filter += '|';
            extensions += ';';
        }
        if (format.Description.empty() && format.DescriptionResId != 0)
            format.Description = LoadResourceString(format.DescriptionResId);
        filter += format.Description + " (*." + format.Extension + ")|*." + format.Extension;
        extensions += "*." + format.Extension;
        ++count;
    }
    if (count > 1)
        filter = LoadResourceString(SAllFilterId) + " (" + extensions + ")|" + extensions + "|" + filter;
}

namespace {
std::unique_ptr<TFileFormatsList>& RegistryInstance()
{
    static std::unique_ptr<TFileFormatsList> instance;
    return instance;
}
}  // namespace

TFileFormatsList& FormatRegistry()
{
    std::unique_ptr<TFileFormatsList>& instance = RegistryInstance();
    if (!instance)
        instance = std::make_unique<TFileFormatsList>();
    return *instance;
}

bool FormatRegistryExists() { return RegistryInstance() != nullptr; }

void FreeFormatRegistry() { RegistryInstance().reset(); }

void RegisterFormat(const std::string& extension, const std::string& description, const TClass& kind)
{
    FormatRegistry().AddFormat(extension, description, kind, 0);
}

void UnregisterKind(const TClass& kind)
{
    if (FormatRegistryExists())
        RegistryInstance()->RemoveKind(kind);
}

std::string PictureFilter(const TClass& baseKind)
{
    std::string filter, extensions;
    FormatRegistry().BuildFilter(baseKind, filter, extensions);
    return filter;
}

std::string LoadResourceString(int32_t id)
{
    switch (id) {
    case SAllFilterId:
        return "Tout";
    default:
        return {};
    }
}

}  // namespace tremalu
