#pragma once
// Taking a fuzz input apart piece by piece, and the record format of the MIDI
// input targets (written by make_seeds, read by the targets).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include <unistd.h>

// Where a target that must go through files keeps them: in memory (/dev/shm)
// where the system has it, since a disk's round trips made such targets run a
// few dozen inputs a second.
inline std::filesystem::path FuzzScratchFolder() {
    std::error_code ec;
    if (std::filesystem::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0)
        return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

// Past its end, every read gives zeros and empty pieces.
class TFuzzInput {
public:
    TFuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return pos_ >= size_; }
    std::size_t Left() const { return size_ - std::min(pos_, size_); }
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint16_t Word() {
        const std::uint16_t low = Byte();
        return static_cast<std::uint16_t>(low | (Byte() << 8));
    }
    std::vector<std::uint8_t> Take(std::size_t count) {
        count = std::min(count, Left());
        std::vector<std::uint8_t> piece(data_ + pos_, data_ + pos_ + count);
        pos_ += count;
        return piece;
    }
    std::vector<std::uint8_t> Rest() { return Take(Left()); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Header: sysex buffer size (16-bit), buffer count. Then records, each a kind
// byte (kind % 4) and its data:
//   0 short message: status, data 1, data 2
//   1 sysex block: 16-bit length, the bytes
//   2 read the events waiting
//   3 sysex block delivered in two pieces: 16-bit length of each, the bytes
enum class TFuzzRecord : std::uint8_t { Short = 0, Sysex = 1, Read = 2, SplitSysex = 3 };

class TFuzzRecords {
public:
    void Header(std::uint16_t bufferSize, std::uint8_t bufferCount) {
        Word(bufferSize);
        bytes_.push_back(bufferCount);
    }
    void Short(std::uint8_t status, std::uint8_t d1, std::uint8_t d2) {
        bytes_.insert(bytes_.end(),
                      {static_cast<std::uint8_t>(TFuzzRecord::Short), status, d1, d2});
    }
    void Sysex(const std::vector<std::uint8_t>& block) {
        bytes_.push_back(static_cast<std::uint8_t>(TFuzzRecord::Sysex));
        Word(static_cast<std::uint16_t>(block.size()));
        bytes_.insert(bytes_.end(), block.begin(), block.end());
    }
    void Read() { bytes_.push_back(static_cast<std::uint8_t>(TFuzzRecord::Read)); }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    void Word(std::uint16_t value) {
        bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF));
        bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    std::vector<std::uint8_t> bytes_;
};
