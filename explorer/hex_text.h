#pragma once
// The rules of the message buffer's hex text: what typing may enter where,
// what may be pasted, and how the text becomes bytes.
#include <QChar>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// The message buffer's capacity in bytes.
constexpr int kMessageBufferSize = 10000;

// What a typed character does at the caret.
struct TTypedChar {
    bool accept = false;    // false: the keystroke is swallowed
    QChar ch;               // the character to enter (hex letters upper-cased)
    bool selectOne = false; // replace the character at the caret instead of inserting
    // A digit typed where a blank belongs: step over the blank that is there
    // (skipBlank), or enter one before the digit (blankFirst), so that pairs
    // typed without blanks come out as pairs.
    bool skipBlank = false;
    bool blankFirst = false;
};

// The text is laid out as pairs of digits each followed by a blank, so the
// column of the caret, (caret + 1) mod 3, says whether a digit (1, 2) or a
// blank (0) belongs there. caret counts characters from the start of text.
TTypedChar DecideTypedChar(QChar typed, int caret, const QString& text, bool insertMode);

// True when the text (upper-cased) holds only blanks and hex digits; an empty
// text passes, line breaks do not.
bool TextIsHex(const QString& text);

struct THexParse {
    enum TResult { Ok, OddDigitCount, TooLong, NotHex } result = Ok;
    std::vector<std::uint8_t> bytes; // filled when Ok
    int byteCount = 0;               // bytes the text stands for (also when TooLong)
    QString badPair;                 // the first pair that is not hex (NotHex)
};
// Blanks and line breaks are ignored; every two digits make one byte.
THexParse ParseHexLines(const QStringList& lines);
