#include "unit/unit_cli.h"

#include <gtest/gtest.h>

namespace {

TEST(UnitCommandLine, OptionsReachTheUnit) {
    const auto cmd =
        ParseUnitCommandLine({"--pre-express", "--channel", "6", "--delay", "250", "--pace",
                              "--drop", "3", "--truncate", "4", "--corrupt", "5", "--interleave",
                              "--api", "jack", "--state", "/tmp/x.state", "--omni"});
    ASSERT_TRUE(cmd.Run) << cmd.Output;
    const TUnitOptions& u = cmd.Options.Unit;
    EXPECT_TRUE(u.PreExpress);
    EXPECT_EQ(u.Channel, 5) << "channel 6 is channel byte 5";
    EXPECT_EQ(u.AnswerDelayMs, 250);
    EXPECT_TRUE(u.WirePacing);
    EXPECT_TRUE(u.Omni);
    EXPECT_EQ(u.Faults.DropEvery, 3);
    EXPECT_EQ(u.Faults.TruncateEvery, 4);
    EXPECT_EQ(u.Faults.CorruptEvery, 5);
    EXPECT_TRUE(u.Faults.Interleave);
    EXPECT_FALSE(u.Faults.Silent);
    EXPECT_EQ(u.StatePath, "/tmp/x.state");
    EXPECT_EQ(cmd.Options.Api, "jack");
}

TEST(UnitCommandLine, DefaultsKeepMemoryInTheUserDataFolderOfTheModel) {
    const auto express = ParseUnitCommandLine({});
    const auto pre = ParseUnitCommandLine({"--pre-express"});
    ASSERT_TRUE(express.Run);
    EXPECT_EQ(express.Options.Unit.Channel, 0);
    EXPECT_NE(express.Options.Unit.StatePath, pre.Options.Unit.StatePath);
    EXPECT_NE(express.Options.Unit.StatePath.find("HRZ2000e"), std::string::npos);
}

TEST(UnitCommandLine, HelpAndMistakes) {
    const auto help = ParseUnitCommandLine({"--help"});
    EXPECT_FALSE(help.Run);
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_NE(help.Output.find("--pre-express"), std::string::npos);
    EXPECT_NE(help.Output.find("--version"), std::string::npos);
    const auto version = ParseUnitCommandLine({"--channel", "3", "--version"});
    EXPECT_FALSE(version.Run);
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_EQ(version.Output, "hrz2000-unit " HRZ_VERSION "\n");
    for (const auto& bad : std::vector<std::vector<std::string>>{{"--channel", "0"},
                                                                 {"--channel", "17"},
                                                                 {"--api", "coreaudio"},
                                                                 {"--drop", "-1"},
                                                                 {"--bogus"},
                                                                 {"--delay", "soon"}}) {
        const auto cmd = ParseUnitCommandLine(bad);
        EXPECT_FALSE(cmd.Run) << bad[0];
        EXPECT_EQ(cmd.ExitCode, 2) << bad[0];
        EXPECT_FALSE(cmd.Output.empty());
    }
}

} // namespace
