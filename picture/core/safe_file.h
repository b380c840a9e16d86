// Replacing a file without ever destroying what was there.
//
// The bytes go to a new file beside the target, made without a name
// (O_TMPFILE), which gets one only once it is complete and synced: it takes
// the target's name directly when there is no target yet, or a unique hidden
// name that is then renamed over the target. A failure at any step, or the
// program killed at any instant, leaves the previous file, if any, as it was
// and no partial, empty or hidden file behind (only the instant between that
// link and the rename could leave the complete new file under its hidden
// name). On file systems without nameless files a hidden named file
// ".NAME.XXXXXX" is written instead, and only a crash can leave it behind. A symbolic link is followed, so the file
// it points to is replaced and the link stays; a replaced file keeps its
// permission bits.
#pragma once

#include "core/streams.h"

#include <cstddef>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tremalu {

// A file being written safely: the bytes go to a new file beside the
// target, and only Commit puts it in the target's place. Left without a
// commit (a failure on the way), the new file is removed and the target is
// as it was. Creating it raises EFCreateError as WriteFileSafely does.
class TSafeFileStream : public TStream {
public:
    explicit TSafeFileStream(const std::string& fileName);
    ~TSafeFileStream() override;

    size_t Read(void*, size_t) override { return 0; }
    // Takes every byte or raises EWriteError "Erreur d'écriture dans le flux".
    size_t Write(const void* buffer, size_t count) override;
    // Any position can be written, in any order; EWriteError when what is
    // buffered cannot be written out first.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return Seek(0, TSeekOrigin::Current); }

    // Raises EWriteError when the bytes could not all be written and
    // EFCreateError when the file cannot take the target's place.
    void Commit();

private:
    bool Flush();
    // Gives the complete nameless file a name: the target's, or a hidden
    // unique one beside it (Temporary) for the rename.
    void NameNamelessFile();

    static constexpr size_t BufferSize = 65536;
    std::string Name;       // as passed
    std::string Target;     // with symbolic links followed
    std::string Directory;  // the target's
    std::string Temporary;  // the new file's name; empty while it has none
    int Handle = -1;
    mode_t Mode = 0;
    bool Replaces = false;
    uid_t Owner = 0;
    gid_t Group = 0;
    std::vector<uint8_t> Buffer;
    int64_t Written = 0;
    bool Failed = false;
    bool Committed = false;
};

// Raises EFCreateError "Impossible de créer le fichier %s" (with fileName as
// passed) when the file cannot be created or is read-only, EWriteError
// "Erreur d'écriture dans le flux" when the bytes cannot all be written.
void WriteFileSafely(const std::string& fileName, const void* data, size_t size);

}  // namespace tremalu
