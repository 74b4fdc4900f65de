#pragma once
// Byte streams with the semantics the dump code relies on: a size, a position,
// Seek from start/current/end, short reads report how much they got and
// ReadBuffer fails with "Stream read error" when it cannot get everything.
#include "model/errors.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    TStream(TStream&&) = default;
    TStream& operator=(TStream&&) = default;

    // Reads up to count bytes; returns how many were read.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes count bytes; returns how many were written.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual std::int64_t Size() const = 0;

    std::int64_t Position() const {
        return const_cast<TStream*>(this)->Seek(0, TSeekOrigin::soCurrent);
    }
    void SetPosition(std::int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }

    // All or nothing: a short read throws EReadError, a short write EWriteError.
    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);
    std::uint8_t ReadByte();
    void WriteByte(std::uint8_t value);
    // Copies count bytes from source (all of it from its start when count is 0).
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

// Growable in-memory stream.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : data_(std::move(bytes)) {}
    TMemoryStream(TMemoryStream&&) = default;
    TMemoryStream& operator=(TMemoryStream&&) = default;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() const override { return static_cast<std::int64_t>(data_.size()); }

    void SetSize(std::int64_t newSize);
    void Clear();
    const std::uint8_t* Memory() const { return data_.data(); }
    std::uint8_t* Memory() { return data_.data(); }
    const std::vector<std::uint8_t>& Bytes() const { return data_; }

    // Whole-file helpers. SaveToFile is atomic: the old file survives a failed save.
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path) const;

private:
    std::vector<std::uint8_t> data_;
    std::size_t pos_ = 0;
};

// Read-only stream over a regular file on disk (for reading large files piecewise).
// A pipe, FIFO or device is refused rather than waited on.
class TFileStream : public TStream {
public:
    explicit TFileStream(const std::string& path); // opens for reading
    ~TFileStream() override;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() const override { return size_; }

private:
    std::FILE* file_ = nullptr;
    std::int64_t size_ = 0;
};

// Writes bytes to path atomically: a temporary file in the same folder, flushed to
// disk, renamed over the old one, and the folder flushed too. A symbolic link is
// written through to the file it names; the old file's permissions are kept. A
// target that is not a regular file, or one we may not write, is refused.
// A loop of links is refused. Extended attributes are copied; a file with
// several hard links gets a new file under this name (the other names keep
// the old content). Leftover temporary files of killed saves are removed from
// the folder (RemoveLeftoverSaveFiles). Throws EFCreateError with a readable message on failure;
// the old file is kept.
void WriteFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size);

// How ReadWholeFile treats what it is given.
struct TReadLimits {
    std::size_t MaxBytes = static_cast<std::size_t>(-1);
    // Pipes, FIFOs and devices are read to their end; otherwise they are refused.
    bool Streams = false;
    // Streams: the longest wait for the next bytes (a FIFO nobody writes to).
    int IdleTimeoutMs = 10000;
};

// Why a file could not be read; Reason() is the text without the file name.
class EFileReadError : public EFOpenError {
public:
    enum class TKind { System, NotRegular, TooLarge, Idle };
    EFileReadError(const std::string& path, TKind kind, std::string reason, std::uint64_t size = 0);
    // A failure the system reported, with its error number.
    EFileReadError(const std::string& path, int systemError);
    TKind Kind() const { return kind_; }
    const std::string& Reason() const { return reason_; }
    // TooLarge: the size of a regular file, 0 for a stream.
    std::uint64_t Size() const { return size_; }
    // System: the error number (ENOENT, EACCES, ...).
    int SystemError() const { return systemError_; }

private:
    TKind kind_;
    std::string reason_;
    std::uint64_t size_;
    int systemError_ = 0;
};

// Reads a whole file to its end, however its size changes meanwhile; throws
// EFileReadError ("Cannot open file ...") with a readable message on failure.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path, const TReadLimits& limits = {});

// Renames path to path + suffix, or to path + suffix + "2", "3", ... when that
// is taken: a file set aside earlier is never replaced. Returns the new name;
// throws EFCreateError when the file cannot be moved.
std::string MoveAside(const std::string& path, const std::string& suffix);

// Removes the temporary files of saves into folder that were killed halfway
// (at the start of a program; saves do it once a minute per folder). Only
// files provably made by a save of this program are touched: the name carries
// the writer's marker and process, the writer is gone, nobody holds the file.
void RemoveLeftoverSaveFiles(const std::string& folder);

// Name of the temporary file a save to target writes first (same folder):
// ".hrzsave~<process>~<serial>~" and the target's name, cut to 255 bytes.
std::string AtomicSaveTempName(const std::string& target);
// The process number in such a name; -1 when the name is not one of them.
long AtomicSaveTempWriter(const std::string& fileName);
bool IsAtomicSaveTempName(const std::string& fileName);
