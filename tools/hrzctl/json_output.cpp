#include "tools/hrzctl/json_output.h"

#include "model/visible_text.h"
#include "tools/hrzctl/text_util.h"

#include <cstdio>

namespace {

// The dump escapes only C0 controls; C1 controls (U+009B is a terminal's CSI)
// and the marks that reorder text are escaped here too. They can only stand
// inside strings, where \uXXXX means the same character.
std::string EscapeHidden(std::string text) {
    // Almost always nothing to do: every such character starts with one of these bytes.
    if (text.find_first_of("\xC2\xD8\xE2") == std::string::npos)
        return text;
    std::string out;
    out.reserve(text.size());
    char escape[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t n = (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : 0;
        if (n == 0 || i + n > text.size()) {
            out += text[i];
            continue;
        }
        char32_t cp = b & (n == 2 ? 0x1Fu : 0x0Fu);
        for (std::size_t k = 1; k < n; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
        if (!IsHiddenCodePoint(cp)) {
            out += text[i];
            continue;
        }
        std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(cp));
        out += escape;
        i += n - 1;
    }
    return out;
}

} // namespace

std::string JsonText(const TJson& document) {
    return EscapeHidden(document.dump(2, ' ', false, TJson::error_handler_t::replace));
}

void WriteJson(std::ostream& out, const TJson& document) {
    out << JsonText(document) << '\n';
}

void SetFileName(TJson& object, const std::string& key, const std::string& name) {
    object[key] = name;
    if (!HrzctlText::IsValidUtf8(name))
        object[key + "_hex"] = HrzctlText::HexString(name);
}
