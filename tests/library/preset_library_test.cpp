// The library file: its schema and migration, what happens to a damaged file, what
// adding folders records (and skips, and notices later), and the unit's history.
#include "library/preset_library.h"
#include "library/sqlite_db.h"
#include "library_test_support.h"
#include "model/errors.h"
#include "unit/factory_presets.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace LibraryTest;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::string SkippedText(const TAddReport& r, const fs::path& root) {
    std::string out;
    for (const auto& s : r.Skipped)
        out += fs::path(s.Path).lexically_relative(root).string() + ": " + s.Reason + "\n";
    return out;
}

TEST(PresetLibrary, NewFileHasTheSchemaVersionAndAnOldOneIsMigratedKeepingItsPresets) {
    TScratch scratch;
    {
        // A library of the first format: presets and files, no history yet.
        TSqliteDb db(scratch.Db());
        db.Exec(
            "CREATE TABLE presets(id INTEGER PRIMARY KEY, key INTEGER NOT NULL, sound INTEGER "
            "NOT NULL, dump BLOB NOT NULL, title TEXT NOT NULL, grp INTEGER NOT NULL, analog "
            "INTEGER NOT NULL, digital INTEGER NOT NULL, controllers TEXT NOT NULL, first_seen "
            "INTEGER NOT NULL, last_seen INTEGER NOT NULL);"
            "CREATE INDEX presets_key ON presets(key); CREATE INDEX presets_sound ON "
            "presets(sound);"
            "CREATE TABLE files(id INTEGER PRIMARY KEY, path_key INTEGER NOT NULL, path TEXT "
            "NOT NULL, size INTEGER NOT NULL, mtime INTEGER NOT NULL, state TEXT NOT NULL, "
            "problem TEXT NOT NULL, checked INTEGER NOT NULL);"
            "CREATE INDEX files_path_key ON files(path_key);"
            "CREATE TABLE holdings(file_id INTEGER NOT NULL, offset INTEGER NOT NULL, preset_id "
            "INTEGER NOT NULL, bank INTEGER NOT NULL, number INTEGER NOT NULL, PRIMARY "
            "KEY(file_id, offset)) WITHOUT ROWID; CREATE INDEX holdings_preset ON "
            "holdings(preset_id);"
            "PRAGMA user_version = 1;");
    }
    const auto dump = MakeDump("Kept");
    WriteFile(scratch.Path() / "Kept.hrz", Bytes(dump));
    {
        // Only the first step's tables are there: add works on them once migrated.
        TPresetLibrary lib(scratch.Db());
        EXPECT_EQ(lib.Db().QueryInt("PRAGMA user_version"), 2);
        lib.Add({(scratch.Path() / "Kept.hrz").string()});
        lib.RecordFromUnit(dump, "current preset", 0, 7);
        EXPECT_EQ(lib.PresetCount(), 1);
    }
    TPresetLibrary again(scratch.Db());
    EXPECT_EQ(again.PresetCount(), 1);
    EXPECT_EQ(again.History(0, 7).size(), 1u);

    again.Db().Exec("PRAGMA user_version = 3");
    try {
        TPresetLibrary newer(scratch.Db());
        ADD_FAILURE() << "a newer format was opened";
    } catch (const EHrzError& e) {
        EXPECT_EQ(std::string(e.what()), "The library " + scratch.Db() +
                                             " was written by a newer version of HRZ2000e (format "
                                             "3; this version reads up to 2).");
    }
    EXPECT_TRUE(fs::exists(scratch.Db())); // never moved aside: it is not damaged
}

TEST(PresetLibrary, DamagedFileIsMovedAsideWithBothPathsNamedAndANewOneStarted) {
    TScratch scratch;
    {
        TPresetLibrary lib(scratch.Db());
        for (int i = 0; i < 300; ++i)
            lib.RecordFromUnit(FactoryPresetDump(i / 200, i % 200, false), "bulk dump", -1, 0);
    }
    // Garbage over a page in the middle of the table.
    {
        std::fstream f(scratch.Db(), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(4096 * 3);
        const std::string junk(4096, '\x5a');
        f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    }
    std::string notice;
    TPresetLibrary lib(scratch.Db(), &notice);
    EXPECT_EQ(lib.PresetCount(), 0);
    EXPECT_EQ(lib.IntegrityCheck(), "ok");
    const std::string aside = scratch.Db() + ".damaged";
    EXPECT_TRUE(fs::exists(aside));
    EXPECT_EQ(notice.rfind("The library " + scratch.Db() + " was damaged (", 0), 0u) << notice;
    EXPECT_NE(notice.find("). It was moved to " + aside + " and a new, empty library was started."),
              std::string::npos)
        << notice;

    // A second damaged file does not replace the first one set aside.
    WriteFile(scratch.Path() / "other.sqlite", std::vector<std::uint8_t>(5000, 'x'));
    std::string notice2;
    { TPresetLibrary other((scratch.Path() / "other.sqlite").string(), &notice2); }
    WriteFile(scratch.Path() / "other.sqlite", std::vector<std::uint8_t>(5000, 'y'));
    std::string notice3;
    { TPresetLibrary third((scratch.Path() / "other.sqlite").string(), &notice3); }
    EXPECT_TRUE(fs::exists(scratch.Path() / "other.sqlite.damaged"));
    EXPECT_TRUE(fs::exists(scratch.Path() / "other.sqlite.damaged-2"));
    EXPECT_NE(notice3.find("moved to " + (scratch.Path() / "other.sqlite.damaged-2").string()),
              std::string::npos);
}

TEST(PresetLibrary, AddRecordsEveryFileAndOffsetAndListsDamagedFilesWithTheirReason) {
    TScratch scratch;
    const fs::path root = scratch.Path() / "backup";
    const auto clean = MakeDump("Clean");
    auto cleanOtherChannel = clean;
    cleanOtherChannel[2] = 5; // the same preset fetched over channel 5
    const auto lead = MakeDump("Lead");
    WriteFile(root / "Bank A" / "Clean.hrz001", Bytes(clean));
    WriteFile(root / "Bank C" / "Clean.hrz017", Bytes(cleanOtherChannel));
    WriteFile(root / "bulk.syx",
              Concat({Bytes(lead), {0xF0, 0x1A, 0, 0x12, 0x45, 0xF7}, Bytes(clean)}));
    WriteFile(root / "Bank A" / "Short.hrz002",
              std::vector<std::uint8_t>(clean.begin(), clean.begin() + 100));
    auto table = Bytes(clean);
    table[4] = 0x13;
    WriteFile(root / "Bank A" / "Table.hrz003", table);
    WriteFile(root / "empty.syx", {});
    WriteFile(root / "notes.syx", {'h', 'e', 'l', 'l', 'o'});
    WriteFile(root / "half.syx", Concat({Bytes(lead), {0xF0, 0x1A, 0x00}}));
    WriteFile(root / "readme.txt", {'x'}); // not a preset file name: not looked at

    TPresetLibrary lib(scratch.Db());
    const TAddReport r = lib.Add({root.string()});
    EXPECT_EQ(r.Files, 8);
    EXPECT_EQ(r.Read, 8);
    EXPECT_EQ(r.Presets, 5); // Clean x2 (+1 in bulk), Lead x2
    EXPECT_EQ(r.NewPresets, 2);
    EXPECT_EQ(lib.PresetCount(), 2);
    EXPECT_EQ(SkippedText(r, root),
              "Bank A/Short.hrz002: preset dump cut short (100 of 252 bytes)\n"
              "Bank A/Table.hrz003: no preset dump in it (offset 0: 252-byte message with command "
              "0x13)\n"
              "empty.syx: empty file\n"
              "half.syx: offset 252: message has no end byte (F7) (1 preset dump read)\n"
              "notes.syx: no system-exclusive message in it\n");

    const auto ids = lib.Search("title:clean");
    ASSERT_EQ(ids.size(), 1u);
    const auto places = lib.Locations(ids[0]);
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(fs::path(places[0].Path).lexically_relative(root).string(), "Bank A/Clean.hrz001");
    EXPECT_EQ(places[0].Bank, 0);
    EXPECT_EQ(places[0].Number, 1);
    EXPECT_EQ(fs::path(places[1].Path).lexically_relative(root).string(), "Bank C/Clean.hrz017");
    EXPECT_EQ(UnitLocationText(places[1].Bank, places[1].Number), "C-017");
    EXPECT_EQ(fs::path(places[2].Path).filename(), "bulk.syx");
    EXPECT_EQ(places[2].Offset, 252 + 6);
    EXPECT_EQ(places[2].Number, 0);
    EXPECT_EQ(lib.Rows(ids)[0].Locations, "A-001, C-017; 3 files");
    const auto dump = lib.Dump(ids[0]);
    EXPECT_EQ(dump[2], 0);
    EXPECT_TRUE(std::equal(dump.begin(), dump.end(), clean.begin()));
}

TEST(PresetLibrary, NextAddReadsOnlyChangedFilesAndNoticesVanishedOnes) {
    TScratch scratch;
    const fs::path root = scratch.Path() / "presets";
    WriteFile(root / "a.hrz", Bytes(MakeDump("Alpha")));
    WriteFile(root / "b.hrz", Bytes(MakeDump("Beta")));
    WriteFile(root / "c.hrz", Bytes(MakeDump("Gamma")));
    WriteFile(root / "bad.hrz", {1, 2, 3});
    TPresetLibrary lib(scratch.Db());
    lib.Add({root.string()});

    WriteFile(root / "b.hrz", Bytes(MakeDump("Beta two")));
    fs::last_write_time(root / "b.hrz",
                        fs::last_write_time(root / "b.hrz") + std::chrono::seconds(5));
    fs::remove(root / "c.hrz");
    // Added from elsewhere: the changes in the first folder are noticed all the same.
    WriteFile(scratch.Path() / "other" / "d.hrz", Bytes(MakeDump("Delta")));
    const TAddReport r = lib.Add({(scratch.Path() / "other").string()});
    EXPECT_EQ(r.Read, 2);
    EXPECT_EQ(r.Unchanged, 0);
    ASSERT_EQ(r.Changed.size(), 1u);
    EXPECT_EQ(fs::path(r.Changed[0]).filename(), "b.hrz");
    ASSERT_EQ(r.Vanished.size(), 1u);
    EXPECT_EQ(fs::path(r.Vanished[0]).filename(), "c.hrz");

    const TAddReport again = lib.Add({root.string()});
    EXPECT_EQ(again.Read, 0);
    EXPECT_EQ(again.Unchanged, 3);
    ASSERT_EQ(again.Skipped.size(), 1u); // still listed, without being read again
    EXPECT_EQ(again.Skipped[0].Reason, "no system-exclusive message in it");
    EXPECT_TRUE(again.Vanished.empty());

    // Every preset ever seen stays; the vanished file no longer holds Gamma.
    EXPECT_EQ(lib.PresetCount(), 5);
    const auto gamma = lib.Search("gamma");
    ASSERT_EQ(gamma.size(), 1u);
    EXPECT_EQ(lib.Rows(gamma)[0].Locations, "");
    EXPECT_TRUE(lib.Locations(gamma[0]).empty());
    const auto missing = lib.Add({(scratch.Path() / "nowhere").string()});
    ASSERT_EQ(missing.Skipped.size(), 1u);
    EXPECT_EQ(missing.Skipped[0].Reason, "no such file or folder");
}

TEST(PresetLibrary, CancelKeepsWhatWasAddedBefore) {
    TScratch scratch;
    const fs::path root = scratch.Path() / "many";
    for (int i = 0; i < 2500; ++i)
        WriteFile(root / ("p" + std::to_string(i) + ".hrz"),
                  Bytes(MakeDump("P" + std::to_string(i))));
    TPresetLibrary lib(scratch.Db());
    std::atomic<bool> cancel = false;
    int calls = 0;
    const auto r = lib.Add(
        {root.string()},
        [&](const TAddProgress& p) {
            ++calls;
            EXPECT_EQ(p.Total, 2500);
            if (p.Done >= 1000)
                cancel = true;
        },
        &cancel);
    EXPECT_TRUE(r.Cancelled);
    EXPECT_GT(calls, 10);
    EXPECT_EQ(lib.PresetCount(), 2000); // two whole batches
    const auto rest = lib.Add({root.string()});
    EXPECT_EQ(rest.Unchanged, 2000);
    EXPECT_EQ(rest.Read, 500);
    EXPECT_EQ(lib.PresetCount(), 2500);
}

TEST(PresetLibrary, UnitHistoryShowsALocationOverTimeAndPlansARestore) {
    TScratch scratch;
    TPresetLibrary lib(scratch.Db());
    std::int64_t now = 1000;
    lib.SetClock([&] { return now; });
    const auto v1 = MakeDump("Solo v1"), v2 = MakeDump("Solo v2"), other = MakeDump("Other");
    lib.RecordFromUnit(v1, "backup run", 0, 42);
    lib.RecordFromUnit(other, "backup run", 0, 43);
    now = 2000;
    lib.RecordFromUnit(v2, "current preset", 0, 42);
    lib.RecordFromUnit(other, "backup run", 0, 43);
    now = 3000;
    auto fetchedOnChannel3 = v2;
    fetchedOnChannel3[2] = 3;
    lib.RecordFromUnit(fetchedOnChannel3, "verified store", 0, 42);

    const auto h = lib.History(0, 42);
    ASSERT_EQ(h.size(), 3u);
    EXPECT_EQ(h[0].Title, "Solo v1");
    EXPECT_EQ(h[0].Time, 1000);
    EXPECT_EQ(h[1].Title, "Solo v2");
    EXPECT_EQ(h[1].Source, "current preset");
    EXPECT_EQ(h[2].PresetId, h[1].PresetId); // the channel byte makes no other preset
    EXPECT_TRUE(lib.History(1, 42).empty());

    const auto plan = lib.RestorePlan(0, 1999);
    ASSERT_EQ(plan.size(), 1u); // 43 held the same then
    EXPECT_EQ(plan[0].Number, 42);
    EXPECT_EQ(plan[0].Title, "Solo v1");
    EXPECT_EQ(plan[0].CurrentTitle, "Solo v2");
    EXPECT_EQ(plan[0].Dump, Bytes(v1));
    EXPECT_TRUE(lib.RestorePlan(0, 2000).empty());
    EXPECT_TRUE(lib.RestorePlan(0, 999).empty()); // nothing known that early
    EXPECT_EQ(lib.Rows(lib.Search("\"solo v2\""))[0].Locations, "unit A-042");
}

TEST(PresetLibrary, OnlyBankFoldersGiveABank) {
    TScratch scratch;
    const fs::path root = scratch.Path() / "mixed";
    WriteFile(root / "Bank D" / "One.hrz200", Bytes(MakeDump("One")));
    WriteFile(root / "bank b" / "Two.hrz007", Bytes(MakeDump("Two")));
    WriteFile(root / "Bank E" / "Three.hrz007", Bytes(MakeDump("Three")));
    WriteFile(root / "Lead-A" / "Four.hrz007", Bytes(MakeDump("Four")));
    WriteFile(root / "Bank C" / "Five.hrz", Bytes(MakeDump("Five")));
    TPresetLibrary lib(scratch.Db());
    lib.Add({root.string()});
    const std::pair<const char*, const char*> cases[] = {{"one", "D-200; 1 file"},
                                                         {"two", "B-007; 1 file"},
                                                         {"three", "007; 1 file"},
                                                         {"four", "007; 1 file"},
                                                         {"five", "1 file"}};
    for (const auto& [title, locations] : cases)
        EXPECT_EQ(lib.Rows(lib.Search(title))[0].Locations, locations) << title;
}

TEST(PresetLibrary, LocationTexts) {
    const std::pair<const char*, std::pair<int, int>> good[] = {{"A-042", {0, 42}},
                                                                {"a42", {0, 42}},
                                                                {"D 200", {3, 200}},
                                                                {"042", {-1, 42}},
                                                                {"1", {-1, 1}}};
    for (const auto& [text, expected] : good) {
        int bank = 9, number = 0;
        EXPECT_TRUE(ParseUnitLocation(text, bank, number)) << text;
        EXPECT_EQ(std::make_pair(bank, number), expected) << text;
    }
    for (const char* bad : {"", "E-001", "A-201", "A-000", "A-", "A-0042", "A-4x", "AB1"}) {
        int bank = 0, number = 0;
        EXPECT_FALSE(ParseUnitLocation(bad, bank, number)) << bad;
    }
    EXPECT_EQ(UnitLocationText(3, 7), "D-007");
    EXPECT_EQ(UnitLocationText(-1, 128), "128");
}

} // namespace
