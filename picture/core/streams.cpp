#include "core/streams.h"

#include "core/errors.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <limits>
#include <unistd.h>
#include <vector>

namespace tremalu {

int64_t TStream::Size()
{
    const int64_t here = Seek(0, TSeekOrigin::Current);
    const int64_t end = Seek(0, TSeekOrigin::End);
    Seek(here, TSeekOrigin::Beginning);
    return end;
}

void TStream::ReadBuffer(void* buffer, size_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError(texts::StreamRead);
}

void TStream::WriteBuffer(const void* buffer, size_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError(texts::StreamWrite);
}

int64_t TStream::CopyFrom(TStream& source, int64_t count)
{
    constexpr size_t BlockSize = 61440;
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<uint8_t> block(static_cast<size_t>(std::min<int64_t>(count, BlockSize)));
    int64_t left = count;
    while (left > 0) {
        const size_t n = static_cast<size_t>(std::min<int64_t>(left, BlockSize));
        source.ReadBuffer(block.data(), n);
        WriteBuffer(block.data(), n);
        left -= static_cast<int64_t>(n);
    }
    return count;
}

uint8_t TStream::ReadU8()
{
    uint8_t b;
    ReadBuffer(&b, 1);
    return b;
}

uint16_t TStream::ReadU16()
{
    uint8_t b[2];
    ReadBuffer(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t TStream::ReadU32()
{
    uint8_t b[4];
    ReadBuffer(b, 4);
    return uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
}

void TStream::WriteU8(uint8_t value) { WriteBuffer(&value, 1); }

void TStream::WriteU16(uint16_t value)
{
    const uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    WriteBuffer(b, 2);
}

void TStream::WriteU32(uint32_t value)
{
    const uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    WriteBuffer(b, 4);
}

// ---------------------------------------------------------------- files

namespace {

// Opens without ever blocking (a named pipe with no writer, a device) and
// keeps only regular files: anything else is no picture file and is refused
// at once, as a file that cannot be opened.
int OpenRegularFile(const std::string& fileName, int flags)
{
    const int handle = ::open(fileName.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (handle < 0)
        return -1;
    struct stat st;
    if (::fstat(handle, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(handle);
        return -1;
    }
    // A regular file never blocks; reads and writes go on as usual.
    ::fcntl(handle, F_SETFL, ::fcntl(handle, F_GETFL) & ~O_NONBLOCK);
    return handle;
}

}  // namespace

TFileStream::TFileStream(const std::string& fileName, Mode mode) : Name(fileName)
{
    switch (mode) {
    case Mode::OpenRead:
        Handle = OpenRegularFile(fileName, O_RDONLY);
        if (Handle < 0)
            throw EFOpenError(FormatMessage(texts::CannotOpenFile, {fileName}));
        break;
    case Mode::OpenReadWrite:
        Handle = OpenRegularFile(fileName, O_RDWR);
        if (Handle < 0)
            throw EFOpenError(FormatMessage(texts::CannotOpenFile, {fileName}));
        break;
    case Mode::Create:
        Handle = OpenRegularFile(fileName, O_RDWR | O_CREAT | O_TRUNC);
        if (Handle < 0)
            throw EFCreateError(FormatMessage(texts::CannotCreateFile, {fileName}));
        break;
    }
}

TFileStream::~TFileStream()
{
    if (Handle >= 0)
        ::close(Handle);
}

size_t TFileStream::Read(void* buffer, size_t count)
{
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(Handle, static_cast<uint8_t*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

size_t TFileStream::Write(const void* buffer, size_t count)
{
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(Handle, static_cast<const uint8_t*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int whence = origin == TSeekOrigin::Beginning ? SEEK_SET
                       : origin == TSeekOrigin::Current ? SEEK_CUR
                                                         : SEEK_END;
    const off_t r = ::lseek(Handle, static_cast<off_t>(offset), whence);
    return r < 0 ? -1 : static_cast<int64_t>(r);
}

// ---------------------------------------------------------------- memory

TMemoryStream::~TMemoryStream() { std::free(Buffer); }

void TMemoryStream::Reserve(size_t wanted)
{
    if (wanted <= Capacity)
        return;
    if (CapacityLimit != 0 && wanted > CapacityLimit)
        throw EStreamError(texts::MemoryStreamGrowth);
    // Grow by at least a quarter, in 8 KiB steps, so that appending stays linear.
    size_t grown = Capacity + Capacity / 4;
    if (grown < wanted || grown < Capacity)
        grown = wanted;
    grown = (grown + 0x1FFF) & ~size_t{0x1FFF};
    if (grown < wanted)
        grown = wanted;
    if (CapacityLimit != 0 && grown > CapacityLimit)
        grown = CapacityLimit;
    void* p = std::realloc(Buffer, grown);
    if (p == nullptr)
        throw EStreamError(texts::MemoryStreamGrowth);
    Buffer = static_cast<uint8_t*>(p);
    Data = Buffer;
    Capacity = grown;
}

void TMemoryStream::SetSize(size_t newSize)
{
    Reserve(newSize);
    Length = newSize;
    if (Pos > Length)
        Pos = Length;
}

void TMemoryStream::ReadFrom(TStream& source, size_t count)
{
    SetSize(count);
    Pos = 0;
    source.ReadBuffer(Buffer, count);
}

void TMemoryStream::Clear()
{
    std::free(Buffer);
    Buffer = nullptr;
    Data = nullptr;
    Length = Capacity = Pos = 0;
}

size_t TCustomMemoryStream::Read(void* buffer, size_t count)
{
    if (Pos >= Length)
        return 0;
    const size_t n = std::min(count, Length - Pos);
    std::memcpy(buffer, Data + Pos, n);
    Pos += n;
    return n;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int64_t base = origin == TSeekOrigin::Beginning ? 0
                         : origin == TSeekOrigin::Current ? static_cast<int64_t>(Pos)
                                                           : static_cast<int64_t>(Length);
    const int64_t target = base + offset;
    if (target < 0)
        return -1;
    Pos = static_cast<size_t>(target);
    return target;
}

size_t TMemoryStream::Write(const void* buffer, size_t count)
{
    if (count == 0)
        return 0;
    if (Pos > std::numeric_limits<size_t>::max() - count)
        throw EStreamError(texts::MemoryStreamGrowth);
    const size_t end = Pos + count;
    if (end > Length) {
        Reserve(end);
        // A gap left by seeking past the end reads as zeros.
        if (Pos > Length)
            std::memset(Buffer + Length, 0, Pos - Length);
        Length = end;
    }
    std::memcpy(Buffer + Pos, buffer, count);
    Pos = end;
    return count;
}

}  // namespace tremalu
