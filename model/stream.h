#pragma once
// Byte streams with the semantics the dump code relies on: a size, a position,
// Seek from start/current/end, short reads report how much they got and
// ReadBuffer fails with "Stream read error" when it cannot get everything.
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

// Read-only stream over a file on disk (for reading large files piecewise).
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

// Writes bytes to path atomically (temporary file in the same folder, then rename).
// Throws EFCreateError with a readable message on failure; the old file is kept.
void WriteFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size);
// Reads a whole file; throws EFOpenError with a readable message on failure.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);
