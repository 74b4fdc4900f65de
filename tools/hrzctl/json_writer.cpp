#include "tools/hrzctl/json_writer.h"

#include "tools/hrzctl/json_output.h"
#include "tools/hrzctl/text_util.h"

#include <array>
#include <charconv>

namespace {

// Printable ASCII without quote or backslash prints as it is; anything else
// takes the document writer's escaping, so both print the same bytes.
constexpr std::array<bool, 256> kPlainBytes = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c <= 0x7E; ++c)
        plain[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
    return plain;
}();

bool IsPlain(std::string_view text) {
    for (const char ch : text)
        if (!kPlainBytes[static_cast<unsigned char>(ch)])
            return false;
    return true;
}

} // namespace

TJsonWriter::~TJsonWriter() {
    try {
        Flush();
    } catch (...) {
        // a stream that throws has said so already
    }
}

void TJsonWriter::Flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
}

void TJsonWriter::NewLine(std::size_t depth) {
    static constexpr std::string_view kSpaces = "\n                                ";
    const std::size_t n = 1 + 2 * depth;
    if (n <= kSpaces.size()) {
        buffer_.append(kSpaces.data(), n);
        return;
    }
    buffer_ += '\n';
    buffer_.append(2 * depth, ' ');
}

void TJsonWriter::NextItem() {
    TLevel& level = levels_.back();
    if (level.Any)
        buffer_ += ',';
    level.Any = true;
    NewLine(levels_.size());
}

void TJsonWriter::BeforeValue() {
    if (afterKey_)
        afterKey_ = false;
    else if (!levels_.empty())
        NextItem();
}

TJsonWriter& TJsonWriter::BeginObject() {
    BeforeValue();
    buffer_ += '{';
    levels_.push_back({true, false});
    return *this;
}

TJsonWriter& TJsonWriter::BeginArray() {
    BeforeValue();
    buffer_ += '[';
    levels_.push_back({false, false});
    return *this;
}

TJsonWriter& TJsonWriter::End() {
    const TLevel level = levels_.back();
    levels_.pop_back();
    if (level.Any)
        NewLine(levels_.size());
    buffer_ += level.Object ? '}' : ']';
    if (levels_.empty()) {
        buffer_ += '\n';
        Flush();
    } else if (buffer_.size() >= kFlushSize) {
        Flush();
    }
    return *this;
}

TJsonWriter& TJsonWriter::Key(std::string_view key) {
    NextItem();
    WriteString(key);
    buffer_.append(": ");
    afterKey_ = true;
    return *this;
}

void TJsonWriter::WriteString(std::string_view text) {
    if (IsPlain(text)) {
        buffer_ += '"';
        buffer_.append(text);
        buffer_ += '"';
    } else {
        buffer_.append(JsonText(TJson(std::string(text))));
    }
}

TJsonWriter& TJsonWriter::String(std::string_view text) {
    BeforeValue();
    WriteString(text);
    return *this;
}

TJsonWriter& TJsonWriter::Int(std::int64_t value) {
    BeforeValue();
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    buffer_.append(digits, end);
    return *this;
}

TJsonWriter& TJsonWriter::Bool(bool value) {
    BeforeValue();
    buffer_.append(value ? "true" : "false");
    return *this;
}

TJsonWriter& TJsonWriter::Null() {
    BeforeValue();
    buffer_.append("null");
    return *this;
}

TJsonWriter& TJsonWriter::FileName(std::string_view key, const std::string& name) {
    Field(key, name);
    if (!HrzctlText::IsValidUtf8(name))
        Field(std::string(key) + "_hex", HrzctlText::HexString(name));
    return *this;
}
