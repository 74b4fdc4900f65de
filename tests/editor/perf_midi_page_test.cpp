// The "Performance MIDI" page as a user works it.
#include "editor/perf_midi_page.h"
#include "model/device_globals.h"
#include "model/digital_groups.h"
#include "tests/editor/editor_fixture.h"

#include <QAction>
#include <QScrollBar>
#include <QTableWidget>

namespace {

TPreset OnGroup(int g, std::initializer_list<int> analog = {}) {
    TPreset p;
    p.SetDigitalGroup(g);
    for (int i : analog)
        p.SetAnalogSelect(i, true);
    return p;
}

// A preset on group g with every effect of its row selected.
TPreset WholeRow(int g) {
    TPreset p = OnGroup(g);
    const auto& row = DigitalGroups::Row(g);
    for (int j = 0; j < 5 && row[static_cast<std::size_t>(j)] >= 0; ++j)
        p.SetDigitalActive(j, true);
    return p;
}

void UseEntry(TPreset& p, int k, int param, int low = 0, int high = 127, int controller = 4) {
    p.PerfEnabled[static_cast<std::size_t>(k)] = true;
    auto& e = p.PerfMIDI[static_cast<std::size_t>(k)];
    e.ParamNumber = param;
    e.LowValue = low;
    e.HighValue = high;
    e.Controller = controller;
}

} // namespace

class PerfMidiPage : public EditorTest {
protected:
    TPerfMidiPage& Page() const { return editor->PerfPage(); }
    void OpenOnPage(const TPreset& p) {
        Open(p);
        editor->pgcPreset->setCurrentWidget(editor->tsPerfMIDI);
    }
    static void Click(QListWidget* list, const QString& text) {
        const auto found = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        list->scrollToItem(found[0]);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(found[0]).center());
    }
    static QString Current(QListWidget* list) {
        return list->currentItem() ? list->currentItem()->text() : QString();
    }
    const TPerfMIDI& Entry(int k) const {
        return editor->Preset().PerfMIDI[static_cast<std::size_t>(k)];
    }
    QString GridName(int row) const { return Page().grdPMctl->item(row, 1)->text(); }
};

TEST_F(PerfMidiPage, ANewEntryTakesTheFootControllerAndThePickedParametersFullRange) {
    OpenOnPage(OnGroup(0, {1}));
    EXPECT_FALSE(Page().lbxCtlParam->isEnabled());
    EXPECT_EQ(Items(Page().lbxCtlParam), (QStringList{"MIDI Monitor", "Mix", "Compressor"}));
    QTest::mouseClick(Page().btnPMIadd, Qt::LeftButton);
    EXPECT_EQ(Items(Page().lbxPMIdefctl), (QStringList{"Controller #1"}));
    EXPECT_TRUE(editor->Preset().PerfEnabled[0]);
    EXPECT_TRUE(Page().lbxCtlParam->isEnabled());
    EXPECT_EQ(Page().grdPMctl->currentRow(), 4);
    EXPECT_EQ(GridName(4), "Foot controller");
    EXPECT_EQ(Current(Page().lbxCtlParam), "MIDI Monitor");
    EXPECT_EQ(Items(Page().lbxParamNames), (QStringList{"enabled"}));
    EXPECT_EQ(Page().btnPMIdel->text(), "Delete Controller #1");
    EXPECT_EQ(sends.size(), 1u);

    Click(Page().lbxCtlParam, "Compressor");
    EXPECT_EQ(Items(Page().lbxParamNames),
              (QStringList{"drive", "slope", "attack", "release", "output"}));
    Click(Page().lbxParamNames, "drive");
    const TPerfMIDI& e = Entry(0);
    EXPECT_EQ(e.ParamNumber, 7);
    EXPECT_EQ(e.LowValue, 0);
    EXPECT_EQ(e.HighValue, 31);
    EXPECT_EQ(e.ExtraValue, 255);
    EXPECT_EQ(Page().lblPMIcurrval->text(), "78%");
    EXPECT_EQ(Page().lblPMILowValue->text(), "0%");
    EXPECT_EQ(Page().lblPMIHighValue->text(), "100%");
    EXPECT_EQ(sends.size(), 2u);
    const auto dump = editor->Preset().DumpBytes();
    EXPECT_EQ(TBytes(dump.begin() + 155, dump.begin() + 167),
              (TBytes{4, 0, 0, 0, 31, 0, 7, 0, 24, 0, 0x7F, 1}));

    // A reversed range is taken as it is.
    Press(Page().scrLowValue, Qt::Key_End);
    Press(Page().scrHighValue, Qt::Key_Home);
    EXPECT_EQ(e.LowValue, 31);
    EXPECT_EQ(e.HighValue, 0);
    EXPECT_EQ(Page().lblPMILowValue->text(), "100%");
    EXPECT_EQ(Status(), "Modified");
    WaitForChangeTimer();
    EXPECT_EQ(Status(), "Modified, Sent");
    EXPECT_EQ(sends.back()[159], 0);
    EXPECT_EQ(sends.back()[157], 31);
}

TEST_F(PerfMidiPage, EightEntriesInUseLeaveNothingToAdd) {
    OpenOnPage(OnGroup(0));
    for (int i = 0; i < 8; ++i)
        QTest::mouseClick(Page().btnPMIadd, Qt::LeftButton);
    EXPECT_EQ(Page().lbxPMIdefctl->count(), 8);
    EXPECT_FALSE(Page().btnPMIadd->isEnabled());
    Page().popPMIctldefPopup();
    EXPECT_FALSE(Page().pmiAddController->isEnabled());

    Click(Page().lbxPMIdefctl, "Controller #3");
    EXPECT_EQ(Page().pmiDeleteController->text(), "Delete Controller #3");
    QTest::mouseClick(Page().btnPMIdel, Qt::LeftButton);
    EXPECT_FALSE(editor->Preset().PerfEnabled[2]);
    EXPECT_EQ(Page().lbxPMIdefctl->count(), 7);
    EXPECT_FALSE(Page().lbxCtlParam->isEnabled());
    EXPECT_EQ(Page().btnPMIdel->text(), "Delete Controller");
    EXPECT_FALSE(Page().btnPMIdel->isEnabled());
    QTest::mouseClick(Page().btnPMIadd, Qt::LeftButton); // the free entry is #3 again
    EXPECT_TRUE(editor->Preset().PerfEnabled[2]);
    EXPECT_EQ(Current(Page().lbxPMIdefctl), "Controller #3");
}

TEST_F(PerfMidiPage, UncheckingAnAnalogEffectDropsItsEntries) {
    TPreset p = OnGroup(0, {1, 2});
    UseEntry(p, 0, 7);  // compressor drive
    UseEntry(p, 1, 11); // compressor output
    UseEntry(p, 2, 1);  // mix dry
    UseEntry(p, 3, 12); // expander range
    OpenOnPage(p);
    EXPECT_EQ(Page().lbxPMIdefctl->count(), 4);
    editor->pgcPreset->setCurrentWidget(editor->tsAnalog);
    CheckAnalog(1, false);
    EXPECT_EQ(Items(Page().lbxPMIdefctl), (QStringList{"Controller #3", "Controller #4"}));
    EXPECT_FALSE(editor->Preset().PerfEnabled[0]);
    EXPECT_FALSE(editor->Preset().PerfEnabled[1]);
    EXPECT_EQ(Entry(0), TPerfMIDI());
    EXPECT_EQ(Entry(3).ParamNumber, 12);
}

TEST_F(PerfMidiPage, AnEntryFollowsItsParameterThroughAGroupChangeAndGoesWithItsEffect) {
    TPreset p = OnGroup(0);
    p.SetDigitalActive(2, true); // Flanger
    UseEntry(p, 0, 46, 10, 50);  // its regen, P45 in group 0
    OpenOnPage(p);
    editor->AddDigitalEffect("Reverb 2");
    EXPECT_EQ(editor->Preset().DigitalGroup(), 9);
    EXPECT_EQ(Entry(0).ParamNumber, 49);
    EXPECT_EQ(Items(Page().lbxPMIdefctl), (QStringList{"Controller #1"}));
    Click(Page().lbxPMIdefctl, "Controller #1");
    EXPECT_EQ(Current(Page().lbxCtlParam), "Flanger");
    EXPECT_EQ(Current(Page().lbxParamNames), "regen");
    EXPECT_EQ(Page().scrLowValue->value(), 10);
    EXPECT_EQ(Page().scrHighValue->value(), 50);
    editor->RemoveDigitalEffect("Flanger");
    EXPECT_EQ(Page().lbxPMIdefctl->count(), 0);
    EXPECT_FALSE(editor->Preset().PerfEnabled[0]);
    EXPECT_EQ(Entry(0), TPerfMIDI());
}

TEST_F(PerfMidiPage, ControllerNamesAreStoredAtOnceAndShownInLaterWindows) {
    OpenOnPage(OnGroup(0));
    QTest::mouseClick(Page().btnPMIadd, Qt::LeftButton);
    QTableWidget* grid = Page().grdPMctl;
    for (const auto& [row, name] :
         {std::pair{20, QString("Wah pedal")}, std::pair{1, QString("Whammy bar")}}) {
        grid->setCurrentCell(row, 1);
        grid->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), grid);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), name);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents(); // the grid commits an edit when control returns
    }
    EXPECT_EQ(GridName(20), "Wah pedal");
    EXPECT_EQ(GridName(1), "Whammy bar");
    EXPECT_EQ(store->ReadKeyString(TPerfMidiPage::ControllersKey(), "20", false), "Wah pedal");
    EXPECT_EQ(TPerfMidiPage::ControllersKey(), "\\SOFTWARE\\Lumivale/HRZ2000e\\Controllers");

    std::vector<TBytes> otherSends;
    auto later = NewEditor(otherSends);
    QTableWidget* laterGrid = later->PerfPage().grdPMctl;
    EXPECT_EQ(laterGrid->item(20, 1)->text(), "Wah pedal");
    EXPECT_EQ(laterGrid->item(1, 1)->text(), "Whammy bar");
    EXPECT_EQ(laterGrid->item(2, 1)->text(), "Breath ctl");
    EXPECT_EQ(laterGrid->item(128, 1)->text(), "OFF");
    EXPECT_EQ(laterGrid->item(128, 0)->text(), "128");
}

TEST_F(PerfMidiPage, TheFB7ButtonsPickTheirPedalsControllers) {
    OpenOnPage(OnGroup(0, {1}));
    QTest::mouseClick(Page().btnPMIadd, Qt::LeftButton);
    QTest::mouseClick(Page().btnFB7right, Qt::LeftButton);
    EXPECT_EQ(Entry(0).Controller, 11);
    EXPECT_EQ(Page().grdPMctl->currentRow(), 11);
    EXPECT_EQ(GridName(11), "Expression ctlr");
    QTest::mouseClick(Page().btnFB7left, Qt::LeftButton);
    EXPECT_EQ(Entry(0).Controller, 4);
    Page().grdPMctl->setCurrentCell(128, 1); // as a click on the last row does
    EXPECT_EQ(Entry(0).Controller, 128);
    EXPECT_EQ(sends.back()[155], 0);
    EXPECT_EQ(sends.back()[156], 1);
}

TEST_F(PerfMidiPage, AStoredRangeOutsideTheParametersRangeIsReported) {
    TPreset p = OnGroup(0, {1});
    UseEntry(p, 0, 7, 40, 20); // drive runs 0..31
    p.PerfMIDI[0].Enabled = true;
    OpenOnPage(p);
    Click(Page().lbxPMIdefctl, "Controller #1");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].caption, "Preset error");
    EXPECT_EQ(Messages()[0].text, "Invalid low range value");
    EXPECT_EQ(Entry(0).LowValue, 40);
    EXPECT_EQ(Page().scrHighValue->value(), 20);
}

TEST_F(PerfMidiPage, EqualizerRangesAreInTheBandsOwnValues) {
    TPreset p = OnGroup(0, {7});
    p.Params[23] = 9; // 40hz at +6 db
    OpenOnPage(p);
    QTest::mouseClick(Page().btnPMIadd, Qt::LeftButton);
    Click(Page().lbxCtlParam, "Equalizer");
    EXPECT_EQ(Items(Page().lbxParamNames).first(), "40Hz");
    Click(Page().lbxParamNames, "40Hz");
    EXPECT_EQ(Entry(0).ParamNumber, 24);
    EXPECT_EQ(Page().lblPMIcurrval->text(), "+6 db");
    EXPECT_EQ(Entry(0).LowValue, 0);
    EXPECT_EQ(Entry(0).HighValue, 12);
    EXPECT_EQ(Page().lblPMILowValue->text(), "-15 db");
    EXPECT_EQ(Page().lblPMIHighValue->text(), "+15 db");
}

TEST_F(PerfMidiPage, MidiPanRangesReadTheSameWhenShownAgain) {
    TPreset p = WholeRow(6); // ... MIDI-Pan at P47
    p.Params[47] = 100;
    OpenOnPage(p);
    QTest::mouseClick(Page().btnPMIadd, Qt::LeftButton);
    Click(Page().lbxCtlParam, "MIDI Pan");
    Click(Page().lbxParamNames, "pos");
    EXPECT_EQ(Entry(0).ParamNumber, 48);
    EXPECT_EQ(Page().lblPMIcurrval->text(), "100");
    EXPECT_EQ(Entry(0).LowValue, 0);
    EXPECT_EQ(Entry(0).HighValue, 127);
    EXPECT_EQ(Page().lblPMILowValue->text(), "0");
    Press(Page().scrHighValue, Qt::Key_Right); // one step along the bar
    const int high = Entry(0).HighValue;
    const QString highText = Page().lblPMIHighValue->text();
    EXPECT_EQ(highText, QString::number(high));
    QTest::mouseClick(Page().btnPMIadd, Qt::LeftButton); // look elsewhere, then back
    Click(Page().lbxPMIdefctl, "Controller #1");
    EXPECT_EQ(Page().lblPMIHighValue->text(), highText);
    EXPECT_EQ(Entry(0).HighValue, high);
}

TEST_F(PerfMidiPage, ParameterNumbersMapToPageAndLineBothWaysInEveryGroupOfBothModels) {
    for (const bool preExpress : {false, true}) {
        TPreExpressScope mode(preExpress);
        for (int g = 0; g < DigitalGroups::ActiveGroupCount(); ++g) {
            SCOPED_TRACE("group " + std::to_string(g) + (preExpress ? " pre-express" : ""));
            TPreset p = WholeRow(g);
            for (int a = 0; a < Catalogue::AnalogEffectCount; ++a)
                p.SetAnalogSelect(a, true);
            UseEntry(p, 0, 0);
            editor->hide();
            editor->Reset();
            OpenOnPage(p);
            const int last = TPreset::FirstDigitalSlot + DigitalGroups::SlotsUsed(g);
            for (int a = 1; a <= last; ++a) {
                editor->Preset().PerfMIDI[0].ParamNumber = a;
                editor->Preset().PerfMIDI[0].Enabled = false;
                Click(Page().lbxPMIdefctl, "Controller #1");
                const QString effect = Current(Page().lbxCtlParam);
                const int line = Page().lbxParamNames->currentRow();
                ASSERT_GE(line, 0) << a;
                EXPECT_EQ(Page().ParameterNumberOf(effect, line), a) << effect.toStdString();
                EXPECT_EQ(Page().ParamTargets.size(),
                          static_cast<std::size_t>(Page().lbxParamNames->count()));
                EXPECT_TRUE(Page().RangeShown) << a;
            }
        }
    }
    EXPECT_TRUE(Messages().empty());
}

// Entries the unit keeps for effects that are off are data: shown marked,
// written back as they came, and opening the preset changes nothing.
TEST_F(PerfMidiPage, EntriesOfEffectsThatAreOffAreKeptShownAndSavedAsTheyCame) {
    TPreset p = OnGroup(0, {3});  // Distortion on, Compressor off
    UseEntry(p, 0, 1);            // mix dry
    UseEntry(p, 1, 7, 5, 20, 11); // compressor drive: its effect is off
    UseEntry(p, 2, 46, 3, 9);     // flanger regen in group 0: not selected
    TMemoryStream dump;
    p.WriteDump(dump);
    const TBytes came = dump.Bytes();
    OpenOnPage(p);
    EXPECT_EQ(
        Items(Page().lbxPMIdefctl),
        (QStringList{"Controller #1", "Controller #2 (effect off)", "Controller #3 (effect off)"}));
    const auto now = editor->Preset().DumpBytes();
    EXPECT_EQ(TBytes(now.begin(), now.end()), came);
    EXPECT_FALSE(editor->Preset().IsChanged());
    EXPECT_EQ(editor->lblStatus->text(), "");

    // Another effect taken away drops nothing of theirs; picking one shows it.
    editor->pgcPreset->setCurrentWidget(editor->tsAnalog);
    CheckAnalog(3, false);
    EXPECT_TRUE(editor->Preset().PerfEnabled[1]);
    EXPECT_TRUE(editor->Preset().PerfEnabled[2]);
    EXPECT_EQ(Entry(1).ParamNumber, 7);
    EXPECT_EQ(Entry(1).LowValue, 5);

    // The compressor switched on and off again by the user: its entry goes with it.
    CheckAnalog(1, true);
    EXPECT_EQ(Items(Page().lbxPMIdefctl),
              (QStringList{"Controller #1", "Controller #2", "Controller #3 (effect off)"}));
    CheckAnalog(1, false);
    EXPECT_FALSE(editor->Preset().PerfEnabled[1]);
    EXPECT_EQ(Items(Page().lbxPMIdefctl),
              (QStringList{"Controller #1", "Controller #3 (effect off)"}));
    // Undo brings it back, as it came.
    editor->Undo();
    editor->Undo();
    EXPECT_TRUE(editor->Preset().PerfEnabled[1]);
    EXPECT_EQ(Entry(1).LowValue, 5);
    EXPECT_EQ(Entry(1).Controller, 11);
}
