#include "tools/hrzctl/text_util.h"

#include <cstdio>

namespace HrzctlText {

std::string Latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

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
        } else if (c1) {
            std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(utf8[++i]));
            out += buf;
        } else {
            out += utf8[i];
        }
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
