#include "model/catalogue.h"
#include "model/preset.h"
#include "model/value_text.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace Catalogue;

TEST(Catalogue, NumbersSlotsAndEffectsLineUp) {
    const auto all = AllParams();
    ASSERT_EQ(all.size(), 163u);
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].Number, static_cast<int>(i) + 1);
        EXPECT_EQ(FindByNumber(all[i].Number), &all[i]);
    }
    EXPECT_EQ(FindByNumber(0), nullptr);
    EXPECT_EQ(FindByNumber(164), nullptr);

    for (int slot = 0; slot < 34; ++slot) {
        const auto* p = FindBySlot(slot);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Slot, slot);
        EXPECT_EQ(p->Number, slot + 1);
        EXPECT_EQ(p->Section, slot < 3 ? TParamSection::Mix : TParamSection::Analog);
    }
    EXPECT_EQ(FindBySlot(34), nullptr);

    const int analogCounts[] = {3, 5, 2, 4, 1, 4, 1, 7, 1, 2, 1};
    for (int a = 0; a < AnalogEffectCount; ++a)
        EXPECT_EQ(static_cast<int>(AnalogEffectParams(a).size()), analogCounts[a]);
    EXPECT_EQ(AnalogEffectParams(7).front().ControlName, "lcdEQU40Hz");
    EXPECT_EQ(AnalogEffectParams(10).front().Slot, 33);

    const int digitalCounts[] = {1, 5, 5, 6, 2, 2, 1, 6, 6, 7, 5, 5, 5,
                                 6, 6, 4, 4, 7, 7, 6, 6, 9, 4, 5, 9};
    const int pages[] = {0, 1, 2,  3,  4,  5,  6,  7,  7,  7,  8,  8, 8,
                         9, 9, 10, 10, 11, 11, 12, 12, 13, 14, 15, 16};
    for (int e = 0; e < DigitalEffectCount; ++e) {
        const auto& info = DigitalEffects()[static_cast<std::size_t>(e)];
        EXPECT_EQ(info.ParamCount, digitalCounts[e]) << info.Name;
        EXPECT_EQ(info.Page, pages[e]) << info.Name;
        EXPECT_EQ(DigitalEffectParams(e).front().Number, info.FirstNumber);
    }
    EXPECT_EQ(DigitalParamNumber(0, 1), 35);
    EXPECT_EQ(DigitalParamNumber(1, 1), 36);
    EXPECT_EQ(DigitalParamNumber(2, 5), 45);
    EXPECT_EQ(DigitalParamNumber(24, 1), 155);
    EXPECT_EQ(DigitalParamNumber(24, 9), 163);
    EXPECT_EQ((std::vector<int>(EffectsOnPage(7).begin(), EffectsOnPage(7).end())),
              (std::vector<int>{7, 8, 9}));
}

TEST(Catalogue, ControlNamesAreUniqueExceptAmongEffectsSharingAPage) {
    std::map<std::string_view, int> pageOfControl;
    std::set<std::pair<int, std::string_view>> perEffect;
    for (const auto& p : AllParams()) {
        ASSERT_GE(p.ControlName.size(), 7u) << p.Number;
        EXPECT_TRUE(perEffect.insert({p.Number - p.IndexInEffect, p.ControlName}).second)
            << p.ControlName << " twice in one effect";
        const int page = p.Section == TParamSection::Digital ? 100 + p.Page : p.Page;
        const auto [it, fresh] = pageOfControl.emplace(p.ControlName, page);
        if (!fresh) {
            EXPECT_EQ(it->second, page) << p.ControlName << " used on two pages";
        }
    }
}

TEST(Catalogue, RangesDefaultsAndChoicesAreConsistent) {
    for (const auto& p : AllParams()) {
        SCOPED_TRACE(std::string(p.ControlName));
        EXPECT_LE(p.Min, p.Max);
        const bool fineWithMinimumOne = p.ShortName() == "fine" && p.Min == 1;
        if (!fineWithMinimumOne) {
            EXPECT_GE(p.Default, p.Min);
            EXPECT_LE(p.Default, p.Max);
        }
        if (p.Control == TControlKind::RadioGroup) {
            EXPECT_EQ(p.Display, TDisplayKind::List);
            EXPECT_EQ(p.Min, p.Addend);
            EXPECT_EQ(p.Max - p.Min + 1, static_cast<int>(p.Choices.size()));
            for (std::size_t i = 0; i < p.Choices.size(); ++i)
                EXPECT_EQ(ValueText(p, p.Addend + static_cast<int>(i)), p.Choices[i]);
        } else {
            EXPECT_TRUE(p.Choices.empty());
        }
        for (int v = p.Min; v <= p.Max; ++v)
            EXPECT_FALSE(ValueText(p, v).empty()) << v;
        EXPECT_EQ(p.Tag(), p.ControlName.substr(3, 3));
    }
    // The Tapped and Regen DDL fine sliders start at 1 while their default is 0.
    EXPECT_EQ(FindByControl("trbTAPfine")->Default, 0);
    EXPECT_EQ(FindByControl("trbTAPfine")->Min, 1);
}

TEST(Catalogue, AnalogDefaultsMatchANewPresetAndResetRestoresThem) {
    const TPreset fresh;
    for (const auto& p : AnalogParams())
        EXPECT_EQ(p.Default, fresh.Params[static_cast<std::size_t>(p.Slot)]) << p.ControlName;
    for (const auto& p : MixParams())
        EXPECT_EQ(p.Default, fresh.Params[static_cast<std::size_t>(p.Slot)]) << p.ControlName;

    TPreset edited;
    edited.Params.fill(99);
    ResetAnalogEffect(edited, 1); // Compressor: P6..P10
    for (int slot = 6; slot <= 10; ++slot)
        EXPECT_EQ(edited.Params[static_cast<std::size_t>(slot)],
                  fresh.Params[static_cast<std::size_t>(slot)]);
    EXPECT_EQ(edited.Params[5], 99);
    EXPECT_EQ(edited.Params[11], 99);
}

TEST(Catalogue, SharedPagesDifferOnlyWhereTheUnitDoes) {
    EXPECT_EQ(FindByControl("ragREVtype", 7)->Addend, 9);
    EXPECT_EQ(FindByControl("ragREVtype", 8)->Addend, 5);
    EXPECT_EQ(FindByControl("ragREVtype", 9)->Addend, 1);
    EXPECT_EQ(FindByControl("trbREVdiffusion", 8), nullptr);
    EXPECT_EQ(FindByControl("trbREVposition", 9)->Default, 4);
    EXPECT_EQ(FindByControl("trbGATdecay", 10)->Max, 4);
    EXPECT_EQ(FindByControl("trbGATdecay", 12)->Max, 7);
    EXPECT_EQ(FindByControl("trbTAPdelay", 13)->Max, 118);
    EXPECT_EQ(FindByControl("trbTAPdelay", 14)->Max, 122);
    EXPECT_EQ(FindByControl("trbSDDright_delay_lgth", 18)->Max, 126);
    EXPECT_EQ(FindByControl("trbSMPlength", 20)->Default, 127);
    EXPECT_EQ(FindByControl("trbMPNpos")->Control, TControlKind::ReversedSlider);
    EXPECT_EQ(FindByControl("lstPTRbase_key")->Control, TControlKind::ListBox);
}

// Set HRZ_CATALOGUE_LISTING to a file name to get the whole catalogue, every value
// with its text, for comparing with the unit's documentation by eye.
TEST(Catalogue, ListingForReview) {
    std::string listing;
    for (const auto& p : AllParams()) {
        listing += "#" + std::to_string(p.Number) + " ";
        listing += p.Slot >= 0 ? "P" + std::to_string(p.Slot) : std::string("digital");
        listing += " " + std::string(p.ControlName) + " \"" + std::string(p.Caption) + "\" " +
                   std::to_string(p.Min) + ".." + std::to_string(p.Max) + " default " +
                   std::to_string(p.Default) + " page " + std::to_string(p.Page) + ":";
        for (int v = p.Min; v <= p.Max; ++v)
            listing += " " + std::to_string(v) + "=" + ValueText(p, v);
        listing += "\n";
    }
    EXPECT_NE(listing.find("#163 digital trb2PTpan_pos_2"), std::string::npos);
    if (const char* path = std::getenv("HRZ_CATALOGUE_LISTING")) {
        std::ofstream out(path);
        out << listing;
        EXPECT_TRUE(out.good());
    }
}
