#include "model/visible_text.h"

#include <gtest/gtest.h>

TEST(VisibleText, ControlsReorderingMarksAndBrokenBytesAreEscapedTheRestStays) {
    const struct {
        std::string In, Out;
    } cases[] = {
        {"Lead A1.hrz001", "Lead A1.hrz001"},
        {"Caf\xC3\xA9 \xE2\x82\xAC", "Caf\xC3\xA9 \xE2\x82\xAC"}, // é and € stay
        {"a\x1B[2Jb", "a\\x1B[2Jb"},
        {"\t\n\x7F", "\\x09\\x0A\\x7F"},
        {"x\xC2\x9B"
         "1m",
         "x\\u009B1m"},                          // C1 CSI
        {"\xC2\x9F\xC2\xA0", "\\u009F\xC2\xA0"}, // last C1, first after it
        {"gnp.\xE2\x80\xAE"
         "exe",
         "gnp.\\u202Eexe"}, // right-to-left override
        {"\xE2\x80\xA9\xE2\x80\xAA\xE2\x81\xA9\xE2\x81\xAA",
         "\xE2\x80\xA9\\u202A\\u2069\xE2\x81\xAA"},
        {"\xD8\x9C\xE2\x80\x8E\xE2\x80\x8F", "\\u061C\\u200E\\u200F"},
        {"\xFF\xC3", "\\xFF\\xC3"},               // not UTF-8, cut short
        {"\xC0\xAF", "\\xC0\\xAF"},               // overlong
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},      // surrogate
        {"\xED\xBF\xBF", "\\xED\\xBF\\xBF"},      // the last surrogate
        {"\xF0\x9F\x8E\xB8", "\xF0\x9F\x8E\xB8"}, // a guitar
        {"\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"}, // U+10FFFF, the last code point
        {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VisibleText(c.In), c.Out) << c.In;
}
