// The message buffer's hex text: parsing any text into bytes, the paste test,
// and what a typed character does at any caret.
#include "explorer/hex_text.h"
#include "fuzz/fuzz_input.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const THexParse parse = ParseHexLines(text.split(u'\n'));
    switch (parse.result) {
    case THexParse::Ok:
        if (parse.bytes.size() > static_cast<std::size_t>(kMessageBufferSize) ||
            static_cast<int>(parse.bytes.size()) != parse.byteCount)
            std::abort();
        break;
    case THexParse::TooLong:
        if (parse.byteCount <= kMessageBufferSize)
            std::abort();
        break;
    case THexParse::NotHex:
        if (parse.badPair.isEmpty())
            std::abort();
        break;
    case THexParse::OddDigitCount:
        break;
    }
    // Text that passes the paste test parses, unless its digits are odd or too many.
    if (TextIsHex(text) && parse.result == THexParse::NotHex)
        std::abort();
    // Typing: every character at a few carets, in both modes.
    const int length = static_cast<int>(text.size());
    for (int i = 0; i < std::min(length, 16); ++i)
        for (const bool insert : {false, true}) {
            const TTypedChar typed = DecideTypedChar(text[i], (i * 7) % (length + 1), text, insert);
            if (typed.accept && !TextIsHex(QString(typed.ch)))
                std::abort();
        }
    return 0;
}
