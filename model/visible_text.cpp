#include "model/visible_text.h"

#include <cstdint>
#include <cstdio>

namespace {

// The code point at text[i] and its length; length 0 for bytes that are not UTF-8.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& c) {
    const auto b = static_cast<std::uint8_t>(text[i]);
    std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > text.size())
        return 0;
    c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    for (std::size_t k = 1; k < n; ++k) {
        const auto cb = static_cast<std::uint8_t>(text[i + k]);
        if ((cb >> 6) != 2)
            return 0;
        c = (c << 6) | (cb & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMin[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return n;
}

} // namespace

bool IsHiddenCodePoint(char32_t c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) || c == 0x061C || c == 0x200E ||
           c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

std::string VisibleText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    char escape[16];
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const std::size_t n = DecodeUtf8(utf8, i, c);
        if (n == 0) {
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(utf8[i]));
            out += escape;
            ++i;
            continue;
        }
        if (IsHiddenCodePoint(c)) {
            if (c < 0x80)
                std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(c));
            else
                std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            out += escape;
        } else {
            out.append(utf8.substr(i, n));
        }
        i += n;
    }
    return out;
}
