#include "tools/hrzctl/text_util.h"

#include "model/visible_text.h"

#include <cstdio>

namespace HrzctlText {

namespace {

// Length of the valid UTF-8 sequence starting at text[i], 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80)
        return 1;
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

bool IsC1Control(std::string_view text, std::size_t i, std::size_t length) {
    return length == 2 && static_cast<unsigned char>(text[i]) == 0xC2 &&
           static_cast<unsigned char>(text[i + 1]) < 0xA0;
}

// A mark that reorders the text around it (U+202E and its kin), of a valid
// sequence of length bytes at text[i].
char32_t BidiControlAt(std::string_view text, std::size_t i, std::size_t length) {
    if (length < 2)
        return 0;
    char32_t cp = static_cast<unsigned char>(text[i]) & (length == 2   ? 0x1Fu
                                                         : length == 3 ? 0x0Fu
                                                                       : 0x07u);
    for (std::size_t k = 1; k < length; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
    return cp >= 0xA0 && IsHiddenCodePoint(cp) ? cp : 0;
}

} // namespace

std::string Printable(std::string_view latin1) {
    std::string out;
    for (char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += Latin1ToUtf8(std::string_view(&ch, 1));
        }
    }
    return out;
}

std::string TerminalSafe(std::string_view utf8) {
    std::string out;
    char buf[8];
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const bool c1 = c == 0xC2 && i + 1 < utf8.size() &&
                        static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(utf8[i + 1]) < 0xA0;
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else if (const std::size_t n = Utf8SequenceLength(utf8, i);
                   n > 1 && BidiControlAt(utf8, i, n) != 0) {
            std::snprintf(buf, sizeof buf, "\\u%04X",
                          static_cast<unsigned>(BidiControlAt(utf8, i, n)));
            out += buf;
            i += n - 1;
        } else if (c1) {
            std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(utf8[++i]));
            out += buf;
        } else {
            out += utf8[i];
        }
    }
    return out;
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string QuotedName(std::string_view name) {
    bool plain = true;
    for (std::size_t i = 0; i < name.size() && plain;) {
        const std::size_t length = Utf8SequenceLength(name, i);
        const auto c = static_cast<unsigned char>(name[i]);
        plain = length != 0 && c >= 0x20 && c != 0x7F && !IsC1Control(name, i, length) &&
                BidiControlAt(name, i, length) == 0;
        i += length;
    }
    if (plain)
        return std::string(name);
    std::string out = "$'";
    char buf[8];
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = Utf8SequenceLength(name, i);
        const auto c = static_cast<unsigned char>(name[i]);
        if (const char32_t bidi = BidiControlAt(name, i, length)) {
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(bidi));
            out += buf;
            i += length;
            continue;
        }
        if (length > 1 && !IsC1Control(name, i, length)) {
            out.append(name.substr(i, length));
            i += length;
            continue;
        }
        if (length == 1 && c >= 0x20 && c != 0x7F) {
            if (c == '\\' || c == '\'')
                out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            // A byte that is not text, or a control character (both bytes of a C1 one).
            const std::size_t count = length == 0 ? 1 : length;
            for (std::size_t k = 0; k < count; ++k) {
                std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(name[i + k]));
                out += buf;
            }
            i += count;
            continue;
        }
        ++i;
    }
    return out + "'";
}

std::string HexString(std::string_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * text.size());
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        out += kDigits[c >> 4];
        out += kDigits[c & 0x0F];
    }
    return out;
}

std::string HexByte(int byte) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%02X", byte & 0xFF);
    return buf;
}

std::string ThreeDigits(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.3d", value);
    return buf;
}

std::size_t DisplayWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (char ch : utf8)
        if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80)
            ++width;
    return width;
}

std::string PadRight(std::string_view text, std::size_t width) {
    std::string out(text);
    const std::size_t w = DisplayWidth(text);
    if (w < width)
        out.append(width - w, ' ');
    return out;
}

} // namespace HrzctlText
