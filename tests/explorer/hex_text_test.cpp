#include "explorer/hex_text.h"

#include <gtest/gtest.h>

namespace {

TTypedChar Type(char c, int caret, const QString& text, bool insertMode = true) {
    return DecideTypedChar(QChar(c), caret, text, insertMode);
}

} // namespace

TEST(HexTyping, DigitPositionsTakeHexDigitsAndUpperCaseThem) {
    const TTypedChar f = Type('f', 0, "");
    EXPECT_TRUE(f.accept);
    EXPECT_EQ(f.ch, QChar('F'));
    EXPECT_TRUE(Type('7', 1, "F").accept);
    for (char refused : {'G', 'g', ':', ' ', '\r', '\t', 'x'})
        EXPECT_FALSE(Type(refused, 0, "").accept) << refused;
    EXPECT_FALSE(Type(' ', 1, "F").accept);
}

TEST(HexTyping, ADigitWhereABlankBelongsGetsItsBlank) {
    EXPECT_TRUE(Type(' ', 2, "F0").accept);
    EXPECT_FALSE(Type('\r', 2, "F0").accept);
    EXPECT_FALSE(Type('g', 2, "F0").accept);
    // At the end: the blank is entered before the digit.
    const TTypedChar end = Type('a', 5, "F0 43");
    EXPECT_TRUE(end.accept && end.blankFirst && !end.skipBlank && !end.selectOne);
    EXPECT_EQ(end.ch, QChar('A'));
    // Over a blank that is there: stepped over, and in overwrite the digit after it replaced.
    const TTypedChar over = Type('7', 2, "F0 43 ", false);
    EXPECT_TRUE(over.accept && over.skipBlank && over.selectOne && !over.blankFirst);
    const TTypedChar inserted = Type('7', 2, "F0 43 ", true);
    EXPECT_TRUE(inserted.accept && inserted.skipBlank && !inserted.selectOne);
}

TEST(HexTyping, OverwriteReplacesWithinPairsButGrowsAnUnfinishedLastPair) {
    const QString text = "F0 43 10 ";
    // First digit of the second pair.
    EXPECT_TRUE(Type('5', 3, text, false).selectOne);
    // Second digit, followed by its blank.
    EXPECT_TRUE(Type('5', 4, text, false).selectOne);
    // Blank over blank.
    EXPECT_TRUE(Type(' ', 5, text, false).selectOne);
    // "F0 4": the last pair has no second digit and no blank yet.
    EXPECT_FALSE(Type('3', 4, "F0 4", false).selectOne);
    // "F0 43": the second digit has no blank after it: insert.
    EXPECT_FALSE(Type('1', 4, "F0 43", false).selectOne);
    // At the end of the text there is nothing to replace.
    EXPECT_FALSE(Type('1', 9, text, false).selectOne);
    // Insert mode never replaces.
    EXPECT_FALSE(Type('5', 3, text, true).selectOne);
}

TEST(HexClipboard, OnlyBlanksAndHexDigitsPass) {
    EXPECT_TRUE(TextIsHex("f0 43 10 f7"));
    EXPECT_TRUE(TextIsHex(""));
    EXPECT_TRUE(TextIsHex("   "));
    EXPECT_FALSE(TextIsHex("F0 43\n10"));
    EXPECT_FALSE(TextIsHex("F0,43"));
    EXPECT_FALSE(TextIsHex("0xF0"));
}

TEST(HexParse, BlanksAnywhereAndLineBreaksAreIgnored) {
    const THexParse p = ParseHexLines({"F043 10F7"});
    ASSERT_EQ(p.result, THexParse::Ok);
    EXPECT_EQ(p.bytes, (std::vector<std::uint8_t>{0xF0, 0x43, 0x10, 0xF7}));
    const THexParse lines = ParseHexLines({"f0 4", "3 10\r", "f7"});
    ASSERT_EQ(lines.result, THexParse::Ok);
    EXPECT_EQ(lines.bytes, p.bytes);
    const THexParse blanks = ParseHexLines({"     "});
    EXPECT_EQ(blanks.result, THexParse::Ok);
    EXPECT_TRUE(blanks.bytes.empty());
}

TEST(HexParse, OddCountsForeignCharactersAndOverlongTextsAreRefused) {
    EXPECT_EQ(ParseHexLines({"F0 4"}).result, THexParse::OddDigitCount);
    const THexParse bad = ParseHexLines({"F0 4G"});
    EXPECT_EQ(bad.result, THexParse::NotHex);
    EXPECT_EQ(bad.badPair, "4G");

    QString full;
    for (int i = 0; i < kMessageBufferSize; ++i)
        full += "7F ";
    const THexParse fits = ParseHexLines({full});
    ASSERT_EQ(fits.result, THexParse::Ok);
    EXPECT_EQ(fits.bytes.size(), static_cast<std::size_t>(kMessageBufferSize));
    const THexParse over = ParseHexLines({full + "00"});
    EXPECT_EQ(over.result, THexParse::TooLong);
    EXPECT_EQ(over.byteCount, kMessageBufferSize + 1);
    EXPECT_TRUE(over.bytes.empty());
}
