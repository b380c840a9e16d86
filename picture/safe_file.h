// Replacing a file without ever destroying what was there.
//
// The bytes go to a new file beside the target, which is then renamed over
// it: a failure at any step leaves the previous file, if any, as it was and
// no partial or empty file behind. A symbolic link is followed, so the file
// it points to is replaced and the link stays; a replaced file keeps its
// permission bits.
#pragma once

#include <cstddef>
#include <string>

namespace tremalu {

// Raises EFCreateError "Impossible de créer le fichier %s" (with fileName as
// passed) when the file cannot be created or is read-only, EWriteError
// "Erreur d'écriture dans le flux" when the bytes cannot all be written.
void WriteFileSafely(const std::string& fileName, const void* data, size_t size);

}  // namespace tremalu
