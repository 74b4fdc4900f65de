#include "explorer/hex_text.h"

namespace {

bool IsHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
}

int DigitValue(QChar c) {
    return c <= u'9' ? c.unicode() - u'0' : c.unicode() - u'A' + 10;
}

} // namespace

TTypedChar DecideTypedChar(QChar typed, int caret, const QString& text, bool insertMode) {
    TTypedChar out;
    QChar c = typed;
    if (c >= u'a' && c <= u'f')
        c = QChar(c.unicode() - u'a' + u'A');
    const int column = (caret + 1) % 3;
    if (column == 0 && IsHexDigit(c)) {
        if (caret < text.size() && text.at(caret) == u' ') {
            out = DecideTypedChar(typed, caret + 1, text, insertMode);
            out.skipBlank = out.accept;
            return out;
        }
        out = DecideTypedChar(typed, caret + 1, text + u' ', true);
        out.blankFirst = out.accept;
        out.selectOne = false;
        return out;
    }
    if (column == 0 ? c != u' ' : !IsHexDigit(c))
        return out;
    out.accept = true;
    out.ch = c;
    // Second digit of a pair: replace only when a blank follows, so that a
    // pair without its blank (the end of the text) grows instead.
    if (column == 2) {
        const int next = caret + 1;
        if (next >= text.size() || text.at(next) != u' ')
            return out;
    }
    out.selectOne = !insertMode && caret < text.size();
    return out;
}

bool TextIsHex(const QString& text) {
    for (const QChar c : text.toUpper())
        if (c != u' ' && !IsHexDigit(c))
            return false;
    return true;
}

THexParse ParseHexLines(const QStringList& lines) {
    QString digits;
    for (const QString& line : lines)
        for (const QChar c : line)
            if (c != u' ' && c != u'\r' && c != u'\n')
                digits += c;
    THexParse out;
    if (digits.size() % 2 != 0) {
        out.result = THexParse::OddDigitCount;
        return out;
    }
    out.byteCount = static_cast<int>(digits.size() / 2);
    if (out.byteCount > kMessageBufferSize) {
        out.result = THexParse::TooLong;
        return out;
    }
    out.bytes.reserve(static_cast<std::size_t>(out.byteCount));
    for (int i = 0; i < digits.size(); i += 2) {
        const QChar hi = digits.at(i).toUpper();
        const QChar lo = digits.at(i + 1).toUpper();
        if (!IsHexDigit(hi) || !IsHexDigit(lo)) {
            // Typing and pasting admit only hex; anything else came from outside.
            out.result = THexParse::NotHex;
            out.badPair = digits.mid(i, 2);
            out.bytes.clear();
            return out;
        }
        out.bytes.push_back(static_cast<std::uint8_t>(DigitValue(hi) * 16 + DigitValue(lo)));
    }
    return out;
}
