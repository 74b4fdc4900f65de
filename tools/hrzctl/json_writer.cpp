#include "tools/hrzctl/json_writer.h"

#include <cstdio>
#include <stdexcept>

namespace {

// Length of the valid UTF-8 sequence starting at text[i], 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    unsigned min = 0;
    unsigned cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2, min = 0x80, cp = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3, min = 0x800, cp = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4, min = 0x10000, cp = c & 0x07u;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::string TJsonWriter::Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80) {
            // Bytes that are not UTF-8 (a file name from an old disk) must not make
            // the document invalid.
            const std::size_t length = Utf8SequenceLength(text, i);
            if (length == 0) {
                out += "\\ufffd";
            } else {
                out.append(text.substr(i, length));
                i += length - 1;
            }
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    out += '"';
    return out;
}

void TJsonWriter::NewLine() {
    out_ << '\n';
    for (std::size_t i = 0; i < scopes_.size(); ++i)
        out_ << "  ";
}

void TJsonWriter::BeforeValue() {
    if (done_)
        throw std::logic_error("JSON document already complete");
    if (scopes_.empty())
        return;
    if (scopes_.back() == TScope::Object) {
        if (!keyPending_)
            throw std::logic_error("JSON value inside an object needs a key");
        keyPending_ = false;
        return;
    }
    if (hasItems_.back())
        out_ << ',';
    hasItems_.back() = true;
    NewLine();
}

void TJsonWriter::Key(std::string_view name) {
    if (scopes_.empty() || scopes_.back() != TScope::Object || keyPending_)
        throw std::logic_error("JSON key outside an object");
    if (hasItems_.back())
        out_ << ',';
    hasItems_.back() = true;
    NewLine();
    out_ << Escape(name) << ": ";
    keyPending_ = true;
}

void TJsonWriter::BeginObject() {
    BeforeValue();
    out_ << '{';
    scopes_.push_back(TScope::Object);
    hasItems_.push_back(false);
}

void TJsonWriter::EndObject() {
    if (scopes_.empty() || scopes_.back() != TScope::Object || keyPending_)
        throw std::logic_error("JSON object closed out of order");
    const bool hadItems = hasItems_.back();
    scopes_.pop_back();
    hasItems_.pop_back();
    if (hadItems)
        NewLine();
    out_ << '}';
    done_ = scopes_.empty();
}

void TJsonWriter::BeginArray() {
    BeforeValue();
    out_ << '[';
    scopes_.push_back(TScope::Array);
    hasItems_.push_back(false);
}

void TJsonWriter::EndArray() {
    if (scopes_.empty() || scopes_.back() != TScope::Array)
        throw std::logic_error("JSON array closed out of order");
    const bool hadItems = hasItems_.back();
    scopes_.pop_back();
    hasItems_.pop_back();
    if (hadItems)
        NewLine();
    out_ << ']';
    done_ = scopes_.empty();
}

void TJsonWriter::String(std::string_view text) {
    BeforeValue();
    out_ << Escape(text);
    done_ = scopes_.empty();
}

void TJsonWriter::Int(long long value) {
    BeforeValue();
    out_ << value;
    done_ = scopes_.empty();
}

void TJsonWriter::Bool(bool value) {
    BeforeValue();
    out_ << (value ? "true" : "false");
    done_ = scopes_.empty();
}

void TJsonWriter::Null() {
    BeforeValue();
    out_ << "null";
    done_ = scopes_.empty();
}

void TJsonWriter::Finish() {
    if (!done_)
        throw std::logic_error("JSON document incomplete");
    out_ << '\n';
}
