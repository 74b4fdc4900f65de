#include "model/stream.h"

#include "model/errors.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

namespace {

std::string SystemReason(int err) {
    std::string reason = std::strerror(err);
    if (!reason.empty())
        reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
    return reason;
}

std::string OpenMessage(const std::string& path, int err) {
    return "Cannot open file \"" + path + "\". " + SystemReason(err);
}

std::string CreateMessage(const std::string& path, int err) {
    return "Cannot create file \"" + path + "\". " + SystemReason(err);
}

} // namespace

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError();
}

std::uint8_t TStream::ReadByte() {
    std::uint8_t b = 0;
    ReadBuffer(&b, 1);
    return b;
}

void TStream::WriteByte(std::uint8_t value) {
    WriteBuffer(&value, 1);
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::int64_t left = count;
    std::uint8_t chunk[8192];
    while (left > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, sizeof chunk));
        source.ReadBuffer(chunk, n);
        WriteBuffer(chunk, n);
        left -= static_cast<std::int64_t>(n);
    }
    return count;
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (pos_ >= data_.size())
        return 0;
    const std::size_t n = std::min(count, data_.size() - pos_);
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0)
        return 0;
    if (pos_ + count > data_.size())
        data_.resize(pos_ + count);
    std::memcpy(data_.data() + pos_, buffer, count);
    pos_ += count;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    switch (origin) {
    case TSeekOrigin::soBeginning:
        base = 0;
        break;
    case TSeekOrigin::soCurrent:
        base = static_cast<std::int64_t>(pos_);
        break;
    case TSeekOrigin::soEnd:
        base = Size();
        break;
    }
    // A position past the end is allowed (a later write fills the gap); before the start is not.
    pos_ = static_cast<std::size_t>(std::max<std::int64_t>(0, base + offset));
    return static_cast<std::int64_t>(pos_);
}

void TMemoryStream::SetSize(std::int64_t newSize) {
    data_.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, newSize)));
    pos_ = std::min(pos_, data_.size());
}

void TMemoryStream::Clear() {
    data_.clear();
    pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& path) {
    data_ = ReadWholeFile(path);
    pos_ = 0;
}

void TMemoryStream::SaveToFile(const std::string& path) const {
    WriteFileAtomically(path, data_.data(), data_.size());
}

TFileStream::TFileStream(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw EFOpenError(OpenMessage(path, EISDIR));
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        throw EFOpenError(OpenMessage(path, errno));
    if (std::fseek(file_, 0, SEEK_END) == 0) {
        size_ = std::ftell(file_);
        std::fseek(file_, 0, SEEK_SET);
    }
}

TFileStream::~TFileStream() {
    if (file_)
        std::fclose(file_);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    return std::fread(buffer, 1, count, file_);
}

std::size_t TFileStream::Write(const void*, std::size_t) {
    return 0;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                       : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                          : SEEK_END;
    std::fseek(file_, static_cast<long>(offset), whence);
    return std::ftell(file_);
}

void WriteFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size) {
    namespace fs = std::filesystem;
    static std::atomic<unsigned> counter{0};
    const fs::path target(path);
    std::error_code ec;
    if (fs::is_directory(target, ec))
        throw EFCreateError(CreateMessage(path, EISDIR));
    std::random_device rd;
    const fs::path temp =
        target.parent_path() / (target.filename().string() + ".tmp" +
                                std::to_string(rd() % 100000) + "_" + std::to_string(counter++));
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        throw EFCreateError(CreateMessage(path, errno));
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    int err = ok ? 0 : errno;
    if (std::fflush(f) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok) {
        fs::rename(temp, target, ec);
        if (ec) {
            ok = false;
            err = ec.value();
        }
    }
    if (!ok) {
        fs::remove(temp, ec);
        throw EFCreateError(CreateMessage(path, err ? err : EIO));
    }
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    TFileStream in(path);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(in.Size()));
    in.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}
