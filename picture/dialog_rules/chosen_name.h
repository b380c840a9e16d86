// What a file dialog makes of the name the user confirmed, and what it
// checks about that file before it lets the dialog close.
#pragma once

#include "dialog_rules/filter_pairs.h"

#include <string>

namespace tremalu {

// The name a confirmed dialog returns. A name without an extension gets the
// selected pair's extension, or defaultExtension (WithDefaultExtension);
// an open dialog keeps a name that is an existing file as it is, since
// completing it would name another file than the one chosen.
std::string CompleteChosenName(const std::string& name, const TFilterPair* selected,
                               const std::string& defaultExtension, bool saving);

// Whether path is an existing file (not a folder).
bool IsExistingFile(const std::string& path);

// Whether the file may not be written to: no write permission for this
// process, or, for a user who may write anything (root), a mode without any
// write bit.
bool IsReadOnlyFile(const std::string& path);

// Whether the name's extension differs from defaultExtension (letters
// compared without regard to case); never when there is no default.
bool HasOtherExtension(const std::string& name, const std::string& defaultExtension);

}  // namespace tremalu
