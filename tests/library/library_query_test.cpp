// The search language: what each kind of condition finds, at the boundaries of the
// shown values, and the exact message for each kind of bad query.
#include "library/library_query.h"
#include "library/preset_library.h"
#include "library_test_support.h"

#include <gtest/gtest.h>

using namespace LibraryTest;

namespace {

// Group 33: Low Pass (P34), Tapped DDL L (P35-P40), Reverb 1 (P41-P46, Decay P43).
constexpr int Reverb1Group = 33;
constexpr int DecaySlot = 43;
constexpr int ReverbTypeSlot = 41;
constexpr int CompressorDriveSlot = 6;
constexpr int Compressor = 1;
constexpr int Equalizer = 7;
constexpr int Eq40Slot = 23;

class LibrarySearch : public ::testing::Test {
protected:
    void SetUp() override {
        lib = std::make_unique<TPresetLibrary>(scratch.Db());
        // Decay 24 = 5.0s, 25 = 5.5s; Drive 14 = 46%, 15 = 50%; Type 11 = Plate-1.
        Add(MakeDump("Plate five", Reverb1Group, {}, {{DecaySlot, 24}, {ReverbTypeSlot, 11}}));
        Add(MakeDump("Long hall", Reverb1Group, {}, {{DecaySlot, 25}, {ReverbTypeSlot, 9}}));
        // Equalizer 40hz: 6 = 0 db, 2 = -9 db.
        Add(MakeDump("Squash 46", 0, {Compressor, Equalizer}, {{CompressorDriveSlot, 14}}));
        Add(MakeDump("Squash 50", 0, {Compressor, Equalizer},
                     {{CompressorDriveSlot, 15}, {Eq40Slot, 2}}));
        // Compressor off: its drive value is not the preset's.
        Add(MakeDump("Off 100%", 0, {}, {{CompressorDriveSlot, 31}}));
    }
    void Add(TDumpBytes d) { lib->RecordFromUnit(d, "test", 0, 0); }
    std::string Titles(const std::string& query) {
        std::string out;
        for (const auto& row : lib->Rows(lib->Search(query)))
            out += (out.empty() ? "" : "|") + row.Title;
        return out;
    }
    TScratch scratch;
    std::unique_ptr<TPresetLibrary> lib;
};

TEST_F(LibrarySearch, ConditionsFindPresetsByShownValueTitleAndEffect) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "Plate five|Long hall|Squash 46|Squash 50|Off 100%"},
        {"Reverb Decay > 5 s", "Long hall"},
        {"Reverb Decay above 5s", "Long hall"},
        {"Reverb Decay >= 5 s", "Plate five|Long hall"},
        {"Reverb Decay >= 5000 ms", "Plate five|Long hall"},
        {"Reverb Decay > 5", "Long hall"}, // a plain number is in the shown unit (s)
        {"Reverb Decay < 5.5 s", "Plate five"},
        {"Reverb 1 Decay = 5.5 s", "Long hall"},
        {"Decay at most 5 s", "Plate five"},
        {"Compressor Drive at least 50%", "Squash 50"},
        {"Compressor Drive < 50%", "Squash 46"},
        {"not Compressor Drive >= 50%", "Plate five|Long hall|Squash 46|Off 100%"},
        {"Reverb Type is plate-1", "Plate five"},
        {"Reverb Type is not Plate-1", "Long hall"},
        {"squash", "Squash 46|Squash 50"},
        {"squash 50", "Squash 50"},
        {"\"hall\"", "Long hall"},
        {"title:five or title:hall", "Plate five|Long hall"},
        {"squash -50", "Squash 46"},
        {"(long or plate) and Reverb Decay > 5 s", "Long hall"},
        {"long Reverb Decay > 5 s", "Long hall"}, // title words before a parameter
        {"effect:Compressor", "Squash 46|Squash 50"},
        {"effect:reverb", "Plate five|Long hall"},
        {"effect:\"Reverb 2\"", ""},
        {"effect:tappedddl", "Plate five|Long hall"},
        {"group:33", "Plate five|Long hall"},
        {"100%", "Off 100%"}, // % is a letter of the title, not a wildcard
        {"_", ""},
        {"Equalizer 40hz below -6 db", "Squash 50"},
        {"Equalizer 40hz > -6 db", "Squash 46"},
        {"Equalizer 40hz >= -9 db", "Squash 46|Squash 50"},
    };
    for (const auto& [query, expected] : cases)
        EXPECT_EQ(Titles(query), expected) << query;
}

TEST_F(LibrarySearch, ControllersAndDuplicates) {
    TPreset p;
    p.Title = "Wah";
    p.SetDigitalGroup(0);
    p.PerfEnabled[2] = true;
    p.PerfMIDI[2].Controller = 11;
    p.PerfMIDI[3].Controller = 7; // not in use
    Add(p.DumpBytes());
    p.Title = "Wah copy"; // same sound, another title
    Add(p.DumpBytes());
    EXPECT_EQ(Titles("cc:11"), "Wah|Wah copy");
    EXPECT_EQ(Titles("cc:1"), "");
    EXPECT_EQ(Titles("cc:7"), "");
    EXPECT_EQ(Titles("cc:any"), "Wah|Wah copy");
    EXPECT_EQ(Titles("duplicate"), "Wah|Wah copy");
    EXPECT_EQ(Titles("is:duplicate and copy"), "Wah copy");
    const auto groups = lib->Duplicates();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].Presets.size(), 2u);
}

TEST_F(LibrarySearch, QueryTextNeverReachesTheSql) {
    Add(MakeDump("x'); DROP TABLE"));
    EXPECT_EQ(Titles("\"'); DROP TABLE\""), "x'); DROP TABLE");
    EXPECT_EQ(Titles("title:\"' OR 1=1 --\""), "");
    EXPECT_EQ(lib->PresetCount(), 6);
    const auto q = CompileLibraryQuery("title:\"' OR 1 --\" Reverb Type is Plate-1");
    EXPECT_EQ(q.Where.find('\''), q.Where.find("'\\'"));
}

TEST(LibraryQuery, BadQueriesSayWhatAndWhere) {
    const std::pair<const char*, const char*> cases[] = {
        {"Reverb Decy > 5 s",
         "Query error at column 1: no parameter is called \"Reverb Decy\" (effect and caption as "
         "the editor shows them, e.g. Reverb Decay, Compressor Drive)"},
        {"Reverb Decay >",
         "Query error at column 14: \">\" needs a value after it (a number such as 5 s or 50%, or "
         "a choice)"},
        {"Reverb Decay > 5 %", "Query error at column 16: Reverb Decay is shown in s, not in %"},
        {"Compressor Drive > 5 s",
         "Query error at column 20: Compressor Drive is shown in %, not in s"},
        {"Reverb Decay > 5x",
         "Query error at column 16: \"5x\" has a unit the editor does not show "
         "(use s, ms, %, Hz, KHz or db)"},
        {"Reverb Type > Plate-1", "Query error at column 15: \">\" needs a number after it, not "
                                  "\"Plate-1\""},
        {"Compressor Slope > 2",
         "Query error at column 20: Compressor Slope is a choice, not a "
         "number: compare it with = and its text (Compressor Slope is 1:1)"},
        {"Reverb Type is Plate-9",
         "Query error at column 16: Reverb Type has no choice \"Plate-9\" (Hall-1, Room-1, "
         "Plate-1, Vocal-1, OFF)"},
        {"> 5", "Query error at column 1: \">\" needs a parameter before it (Reverb Decay > 5 s)"},
        {"effect:Reverbb",
         "Query error at column 1: no effect is called \"Reverbb\" (names as in "
         "the editor's effect lists, e.g. Compressor, Reverb, Reverb 2, Tapped DDL)"},
        {"group:54", "Query error at column 1: group: needs a group number 0..53, not \"54\""},
        {"group:-1", "Query error at column 1: group: needs a group number 0..53, not \"-1\""},
        {"cc:129",
         "Query error at column 1: cc: needs a controller number 0..128 or \"any\", not \"129\""},
        {"is:new", "Query error at column 1: is: knows only \"duplicate\", not \"new\""},
        {"title:", "Query error at column 1: title: needs a value"},
        {"(lead", "Query error at column 1: \"(\" is not closed"},
        {"lead)", "Query error at column 5: \")\" without \"(\""},
        {"\"lead", "Query error at column 1: the quote is not closed"},
        {"lead and", "Query error at column 9: a condition is expected after \"and\""},
        {"lead or", "Query error at column 8: the query ends where a condition is expected"},
        {"not", "Query error at column 1: a condition is expected after \"not\""},
        {"a ! b", "Query error at column 3: \"!\" alone is not an operator (use != or not)"},
        {"()", "Query error at column 2: a condition is expected before \")\""},
    };
    for (const auto& [query, expected] : cases) {
        try {
            CompileLibraryQuery(query);
            ADD_FAILURE() << query << ": no error";
        } catch (const ELibraryQueryError& e) {
            EXPECT_EQ(std::string(e.what()), expected) << query;
        }
    }
}

TEST(LibraryQuery, LongQueryIsRefusedAndGroupBoundsAccepted) {
    EXPECT_THROW(CompileLibraryQuery(std::string(2001, 'a')), ELibraryQueryError);
    EXPECT_NO_THROW(CompileLibraryQuery(std::string(2000, 'a')));
    EXPECT_NO_THROW(CompileLibraryQuery("group:0 or group:53 or cc:0 or cc:128"));
}

} // namespace
