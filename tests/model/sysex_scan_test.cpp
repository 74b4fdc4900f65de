#include "model/mpt.h"
#include "model/preset.h"
#include "model/sysex_scan.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(SysexScan, SplitsMessagesAndKeepsAPresetDumpWhole) {
    auto bytes = std::vector<std::uint8_t>{0x01, 0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7};
    const auto dump = TPreset().DumpBytes();
    bytes.insert(bytes.end(), dump.begin(), dump.end());
    bytes[7 + 121] = 0xF7; // a title byte that would end an ordinary message
    bytes[7 + 123] = 0x80;
    bytes.insert(bytes.end(), {0xF0, 0x41, 0x10});
    const TSysexScan scan = ScanSysex(bytes);
    ASSERT_EQ(scan.Messages.size(), 3u);
    EXPECT_TRUE(scan.Messages[0].Terminated);
    EXPECT_EQ(scan.Messages[1].Offset, 7u);
    EXPECT_EQ(scan.Messages[1].Bytes.size(), 252u);
    EXPECT_TRUE(scan.Messages[1].Terminated);
    EXPECT_FALSE(scan.Messages[2].Terminated);
    std::string issues;
    for (const auto& issue : scan.Issues)
        issues += std::to_string(issue.Offset) + " " + issue.Text + "\n";
    EXPECT_EQ(issues, "0 1 byte outside any system-exclusive message\n"
                      "128 data byte 0xF7 is not below 0x80\n"
                      "130 data byte 0x80 is not below 0x80\n"
                      "259 message has no end byte (F7)\n");

    EXPECT_EQ(DescribeMessage(scan.Messages[0], false), "6-byte message with command 0x45");
    EXPECT_EQ(DescribeMessage(scan.Messages[1], false), "preset dump");
    EXPECT_EQ(DescribeMessage(scan.Messages[2], false), "3-byte message for another device");
    TSysexMessage other{0, {0xF0, 0x1A, 0x00, 0x13, 0x45, 0xF7}, true}; // another model
    EXPECT_EQ(DescribeMessage(other, false), "6-byte message for another device");

    TSysexMessage table{0, std::vector<std::uint8_t>(Tmpt::MptDumpLength(true), 0), true};
    table.Bytes[0] = 0xF0;
    table.Bytes[1] = 0x1A;
    table.Bytes[3] = 0x12;
    table.Bytes[4] = Tmpt::MptCommand(true);
    EXPECT_EQ(ClassifyMessage(table, true), TDumpKind::Table);
    EXPECT_EQ(DescribeMessage(table, false), "Pre-Express program table");
    for (const int at : {1, 3}) {
        auto wrong = table;
        wrong.Bytes[static_cast<std::size_t>(at)] ^= 1;
        EXPECT_EQ(ClassifyMessage(wrong, true), TDumpKind::Other) << at;
    }

    // Past the first MaxOtherMessages other messages, the rest are only counted.
    std::vector<std::uint8_t> noise;
    for (std::size_t i = 0; i < TSysexScan::MaxOtherMessages + 2; ++i)
        noise.insert(noise.end(), {0xF0, 0x01, 0xF7});
    const TSysexScan many = ScanSysex(noise);
    EXPECT_EQ(many.Messages.size(), TSysexScan::MaxOtherMessages);
    EXPECT_EQ(many.OtherMessagesLeftOut, 2u);
    // Likewise the issues: a stray byte before each message is one each.
    std::vector<std::uint8_t> strays;
    for (std::size_t i = 0; i < TSysexScan::MaxIssues + 2; ++i)
        strays.insert(strays.end(), {0x01, 0xF0, 0x01, 0xF7});
    const TSysexScan cappedScan = ScanSysex(strays);
    EXPECT_EQ(cappedScan.Issues.size(), TSysexScan::MaxIssues);
    EXPECT_EQ(cappedScan.IssuesLeftOut, 2u);
}

TEST(SysexScan, ADumpWithoutItsEndByteIsWholeOnlyAtTheEndOfTheFile) {
    auto dump = std::vector<std::uint8_t>(252);
    const auto bytes = TPreset().DumpBytes();
    std::copy(bytes.begin(), bytes.end(), dump.begin());
    dump[121] = 0xF7; // a title byte that ends an ordinary message
    dump[251] = 0x00;
    const TSysexScan last = ScanSysex(dump);
    ASSERT_EQ(last.Messages.size(), 1u);
    EXPECT_EQ(last.Messages[0].Bytes.size(), 252u);
    EXPECT_FALSE(last.Messages[0].Terminated);
    dump[251] = 0x80; // the lowest byte that is no data byte
    std::vector<std::string> issues;
    for (const auto& issue : ScanSysex(dump).Issues)
        issues.push_back(std::to_string(issue.Offset) + ": " + issue.Text);
    EXPECT_EQ(issues, (std::vector<std::string>{"121: data byte 0xF7 is not below 0x80",
                                                "251: data byte 0x80 is not below 0x80",
                                                "0: message has no end byte (F7)"}));
    dump[251] = 0x00;

    dump.insert(dump.end(), {0xF0, 0x01, 0xF7});
    const TSysexScan inside = ScanSysex(dump);
    ASSERT_EQ(inside.Messages.size(), 2u);
    EXPECT_EQ(inside.Messages[0].Bytes.size(), 122u);
    EXPECT_TRUE(inside.Messages[0].Terminated);
    EXPECT_EQ(inside.StrayBytes, 130u);
}
