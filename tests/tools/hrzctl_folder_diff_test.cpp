#include "model/backup_folder.h"
#include "model/preset_files.h"
#include "tests/tools/hrzctl_test_support.h"
#include "unit/factory_presets.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

// A backup folder as the backup run writes it: presets 1..count of bank A.
void WriteBackup(const std::string& folder, int count) {
    fs::create_directories(fs::path(folder) / "Bank A");
    for (int i = 0; i < count; ++i) {
        const TPreset preset = FactoryPreset(0, i);
        WriteBytes((fs::path(folder) / "Bank A" / PresetFileName(preset.Title, i + 1, "Untitled"))
                       .string(),
                   DumpOf(preset));
    }
}

std::string FileOf(const std::string& folder, int number) {
    for (const auto& entry : fs::directory_iterator(fs::path(folder) / "Bank A"))
        if (PresetFileNumber(entry.path().string()) == number)
            return entry.path().string();
    return {};
}

} // namespace

TEST(HrzctlFolderDiff, LocationsAreComparedWithTheWindowsStates) {
    TTempDir dir;
    const std::string a = dir.File("before"), b = dir.File("after");
    WriteBackup(a, 4);
    WriteBackup(b, 4);
    const auto same = RunTool({"diff", a, b});
    EXPECT_EQ(same.Status, 0) << same.Err;
    EXPECT_EQ(same.Out, "4 locations compared: 4 the same\n");

    // Preset 2 changed, 3 gone from the second folder, 5 new there; a channel byte
    // alone is no difference.
    TPreset changed = FactoryPreset(0, 1);
    changed.Params[6] = changed.Params[6] == 31 ? 0 : 31; // Compressor Drive:
    WriteBytes(FileOf(b, 2), DumpOf(changed));
    fs::remove(FileOf(b, 3));
    WriteBytes((fs::path(b) / "Bank A" / "New.hrz005").string(), DumpOf(FactoryPreset(0, 4)));
    Bytes channel = ReadBytes(FileOf(b, 4));
    channel[2] = static_cast<std::uint8_t>(channel[2] ^ 1);
    WriteBytes(FileOf(b, 4), channel);

    const auto r = RunTool({"diff", a, b});
    EXPECT_EQ(r.Status, 1) << r.Err;
    const std::string title2 = FactoryPresetTitle(0, 1), title3 = FactoryPresetTitle(0, 2);
    EXPECT_EQ(r.Out.substr(0, r.Out.find('\n')), "--- " + a);
    EXPECT_NE(
        r.Out.find("\nA 002  differs  " + title2 + " | " + title2 + "\n    Compressor Drive:"),
        std::string::npos)
        << r.Out;
    EXPECT_NE(r.Out.find("\nA 003  only in the first folder  " + title3 + " | -\n"),
              std::string::npos);
    EXPECT_NE(r.Out.find("\nA 005  only in the second folder  - | "), std::string::npos);
    EXPECT_EQ(r.Out.find("A 004"), std::string::npos);
    EXPECT_NE(r.Out.find("\n5 locations compared: 1 differs, 1 only in the first folder, 1 only "
                         "in the second folder, 2 the same\n"),
              std::string::npos);

    const auto json = RunTool({"diff", "--json", a, b});
    EXPECT_EQ(json.Status, 1);
    const auto doc = ParseJson(json.Out).object();
    EXPECT_FALSE(doc["equal"].toBool());
    EXPECT_EQ(doc["counts"].toObject()["same"].toInt(), 2);
    const auto locations = doc["locations"].toArray();
    ASSERT_EQ(locations.size(), 3);
    const auto first = locations[0].toObject();
    EXPECT_EQ(first["location"].toString(), "A 002");
    EXPECT_EQ(first["state"].toString(), "differs");
    EXPECT_EQ(first["differences"].toArray()[0].toObject()["item"].toString(), "Compressor Drive:");
    EXPECT_TRUE(locations[1].toObject()["b"].isNull());
}

TEST(HrzctlFolderDiff, AFolderAndAFileOrTwoFoldersWithoutPresetsAreRefused) {
    TTempDir dir;
    WriteBackup(dir.File("a"), 1);
    WriteBytes(dir.File("x.hrz"), DumpOf(FactoryPreset(0, 0)));
    const auto mixed = RunTool({"diff", dir.File("a"), dir.File("x.hrz")});
    EXPECT_EQ(mixed.Status, 2);
    EXPECT_NE(mixed.Err.find("x.hrz: not a folder"), std::string::npos) << mixed.Err;
    fs::create_directories(dir.File("e1"));
    fs::create_directories(dir.File("e2"));
    const auto empty = RunTool({"diff", dir.File("e1"), dir.File("e2")});
    EXPECT_EQ(empty.Status, 2);
    EXPECT_NE(empty.Err.find("neither folder holds preset files"), std::string::npos);
}
