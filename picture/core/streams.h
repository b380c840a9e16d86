// Byte streams: the files and memory buffers that pictures are read from and
// written to.
//
// Read and Write move as many bytes as they can and say how many; ReadBuffer
// and WriteBuffer move exactly the count asked or fail with EReadError
// "Erreur de lecture du flux" / EWriteError "Erreur d'écriture dans le flux".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tremalu {

enum class TSeekOrigin { Beginning, Current, End };

class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::Beginning); }
    virtual int64_t Size();

    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);

    // Copies count bytes from source (all of it from its start when count is
    // 0) in blocks of at most 61440 bytes; returns the number copied.
    int64_t CopyFrom(TStream& source, int64_t count);

    // Little-endian fields, as every file format of the program stores them.
    uint8_t ReadU8();
    uint16_t ReadU16();
    uint32_t ReadU32();
    int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
    void WriteU8(uint8_t value);
    void WriteU16(uint16_t value);
    void WriteU32(uint32_t value);
    void WriteI32(int32_t value) { WriteU32(static_cast<uint32_t>(value)); }
};

// A stream over a regular file of the system. Opening or creating fails with
// EFOpenError "Impossible d'ouvrir le fichier %s" or EFCreateError
// "Impossible de créer le fichier %s", filled with the name exactly as passed;
// so does a name that is not a regular file (a directory, a named pipe, a
// socket, a device), at once and without blocking.
class TFileStream : public TStream {
public:
    enum class Mode { OpenRead, OpenReadWrite, Create };

    TFileStream(const std::string& fileName, Mode mode);
    ~TFileStream() override;

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

    const std::string& FileName() const { return Name; }

private:
    std::string Name;
    int Handle = -1;
};

// Reading and seeking over bytes in memory.
class TCustomMemoryStream : public TStream {
public:
    size_t Read(void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(Length); }
    const uint8_t* Memory() const { return Data; }
    size_t ByteCount() const { return Length; }

protected:
    const uint8_t* Data = nullptr;
    size_t Length = 0;
    size_t Pos = 0;
};

// A growable buffer in memory. Growing past what can be allocated fails with
// EStreamError "Plus de mémoire lors de l'expansion du flux mémoire".
class TMemoryStream : public TCustomMemoryStream {
public:
    TMemoryStream() = default;
    ~TMemoryStream() override;

    size_t Write(const void* buffer, size_t count) override;
    using TCustomMemoryStream::Memory;
    uint8_t* Memory() { return Buffer; }

    void SetSize(size_t newSize);
    void Clear();
    // Holds exactly the next count bytes of source (EReadError when it has
    // fewer), from position 0.
    void ReadFrom(TStream& source, size_t count);

    // Makes every later growth past this many bytes fail as an allocation
    // failure would; 0 removes the limit. Lets callers bound a buffer.
    void SetCapacityLimit(size_t limit) { CapacityLimit = limit; }

private:
    void Reserve(size_t wanted);

    uint8_t* Buffer = nullptr;  // owned; Data sees the same bytes
    size_t Capacity = 0;
    size_t CapacityLimit = 0;
};

// A read-only stream over bytes that someone else owns; writing takes
// nothing.
class TReadOnlyMemoryStream : public TCustomMemoryStream {
public:
    TReadOnlyMemoryStream(const void* data, size_t size)
    {
        Data = static_cast<const uint8_t*>(data);
        Length = size;
    }
    size_t Write(const void*, size_t) override { return 0; }
};

}  // namespace tremalu
