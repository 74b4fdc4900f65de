// The preset editor as a user works it: changes, sending, undo, saving, closing.
#include "model/digital_groups.h"
#include "model/edit_history.h"
#include "tests/editor/editor_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

// A preset as the unit sends it: a valid group, the given analog effects on.
TPreset WithAnalog(std::initializer_list<int> effects) {
    TPreset p;
    p.SetDigitalGroup(0);
    for (int i : effects)
        p.SetAnalogSelect(i, true);
    return p;
}

} // namespace

// ---- Opening ----

TEST_F(EditorTest, ANewWindowShowsTheNewPresetWithNothingToUndo) {
    Show(*editor);
    EXPECT_EQ(editor->windowTitle(), "HRZ2000e Preset Editor <not saved>");
    EXPECT_EQ(editor->edtTitle->text(), "My new preset");
    EXPECT_EQ(editor->lblDigGrp->text(), "Group #0");
    EXPECT_EQ(editor->Preset().DigitalGroup(), 0);
    EXPECT_TRUE(editor->chkAutoSend->isChecked());
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(ValueLabel("trbMIXdry"), "100%");
    EXPECT_FALSE(editor->btnUndo->isEnabled());
    EXPECT_FALSE(editor->btnRedo->isEnabled());
    EXPECT_EQ(editor->btnUndo->toolTip(), "0 items in undo list   [Ctrl+Z]");
    EXPECT_EQ(editor->btnRedo->toolTip(), "0 items in redo list   [Ctrl+Y]");
    EXPECT_EQ(editor->History().UndoCount(), 1);
    EXPECT_FALSE(editor->pgcAnalogParams->isVisible());
    EXPECT_FALSE(editor->pgcDigitalParams->isVisibleTo(editor.get()));
    EXPECT_EQ(editor->lbxDigAvail->count(), 25);
    EXPECT_TRUE(sends.empty());
}

TEST_F(EditorTest, ShowingAPresetChecksItsEffectsAndShowsTheirPages) {
    TPreset p = WithAnalog({1, 7});
    p.Params[6] = 31;
    Open(p);
    EXPECT_EQ(editor->cklAnalogSelect->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(editor->cklAnalogSelect->item(0)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(editor->pgcAnalogParams->isVisible());
    EXPECT_TRUE(editor->pgcAnalogParams->isTabVisible(1));
    EXPECT_TRUE(editor->pgcAnalogParams->isTabVisible(7));
    EXPECT_FALSE(editor->pgcAnalogParams->isTabVisible(0));
    EXPECT_EQ(editor->pgcAnalogParams->currentIndex(), 1); // the first checked effect
    EXPECT_EQ(editor->pgcPreset->currentWidget(), editor->tsAnalog);
    EXPECT_EQ(Slider("trbCMPdrive")->value(), 31);
    EXPECT_EQ(ValueLabel("trbCMPdrive"), "100%");
    EXPECT_EQ(ValueLabel("trbCMPoutput"), "94%"); // twice the value
    // The equalizer bars stand at 12 - value.
    EXPECT_EQ(Control("lcdEQU40Hz").Scroll->value(), 6);
    EXPECT_EQ(ValueLabel("lcdEQU40Hz"), "0 db");
    EXPECT_FALSE(editor->NeverSaved());
    EXPECT_FALSE(editor->Preset().IsChanged());
}

// Every tab of a preset with all eleven analog effects is in view at the
// window's default size: no tab hides behind the scroll arrows.
TEST_F(EditorTest, AllElevenAnalogTabsFitTheDefaultWidth) {
    TPreset p = WithAnalog({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    Open(p);
    QTabBar* bar = editor->pgcAnalogParams->tabBar();
    int visible = 0;
    for (int i = 0; i < bar->count(); ++i)
        visible += bar->isTabVisible(i) ? 1 : 0;
    ASSERT_EQ(visible, 11);
    EXPECT_LE(bar->sizeHint().width(), editor->pgcAnalogParams->width())
        << "editor " << editor->width() << " px wide";
}

TEST_F(EditorTest, AnInvalidGroupIsReportedAndEditingGoesOnWithGroupZero) {
    TPreset p;
    p.SetDigitalGroup(54);
    p.SetDigitalActive(0, true);
    p.Params[40] = 77;
    Open(p);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].caption, "Preset error");
    EXPECT_EQ(Messages()[0].text,
              "Digital effect configuration is invalid and will be ignored.\n"
              "The remaining preset data will be shown as is.\n"
              "Saving this preset may cause loss of data (but it appears corrupted already).");
    EXPECT_EQ(editor->lblDigGrp->text(), "Group #0");
    EXPECT_EQ(editor->lbxDigSel->count(), 0);
    EXPECT_EQ(editor->Preset().Params[40], 77); // slots shown as they were
}

// ---- Changes and sending ----

TEST_F(EditorTest, EachTitleKeystrokeIsSnapshotAndSentWhateverAutoSend) {
    Show(*editor);
    editor->chkAutoSend->setChecked(false);
    editor->edtTitle->clear();
    Type(editor->edtTitle, "Lead1");
    EXPECT_EQ(editor->Preset().Title, "Lead1");
    EXPECT_EQ(sends.size(), 5u);
    EXPECT_EQ(editor->History().UndoCount(), 6);
    EXPECT_EQ(Status(), "Modified, Sent");
    // The title bytes of the last dump sent.
    EXPECT_EQ(sends.back()[121], 'L');
    EXPECT_EQ(sends.back()[129], '1');
    EXPECT_EQ(sends.back()[131], ' ');
}

TEST_F(EditorTest, TheTitleTakesOnlyPrintableAsciiAndSixteenCharacters) {
    Show(*editor);
    editor->edtTitle->selectAll();
    editor->edtTitle->setFocus();
    // Keys that produce text beyond ASCII, as a keyboard layout delivers them.
    for (const QChar c : QString("Caf\u00e9 \u00fcber\u20acX")) {
        QKeyEvent press(QEvent::KeyPress, c.unicode() < 0x80 ? c.toUpper().unicode() : 0,
                        Qt::NoModifier, QString(c));
        QApplication::sendEvent(QApplication::focusWidget(), &press);
    }
    EXPECT_EQ(editor->edtTitle->text(), "Caf berX");
    Type(editor->edtTitle, "123456789");
    EXPECT_EQ(editor->edtTitle->text().size(), 16);
    EXPECT_EQ(editor->Preset().Title, "Caf berX12345678");
    // A paste of something else is refused as a whole.
    editor->edtTitle->selectAll();
    editor->edtTitle->insert("Tab\there");
    EXPECT_EQ(editor->edtTitle->text(), "Caf berX12345678");
}

TEST_F(EditorTest, ALoadedTitleWithOtherBytesStaysEditable) {
    TPreset p = WithAnalog({});
    p.Title = "Ca\x01"
              "f";
    Open(p);
    EXPECT_EQ(editor->edtTitle->text(), QString::fromLatin1("Ca\x01"
                                                            "f"));
    editor->edtTitle->end(false);
    Type(editor->edtTitle, "!");
    EXPECT_EQ(editor->Preset().Title, "Ca\x01"
                                      "f!");
    Press(editor->edtTitle, Qt::Key_Home);
    Press(editor->edtTitle, Qt::Key_Delete);
    EXPECT_EQ(editor->Preset().Title, "a\x01"
                                      "f!");
}

TEST_F(EditorTest, WithoutAutoSendASliderMoveGivesOneSnapshotLaterAndNoSend) {
    Open(WithAnalog({1}));
    editor->chkAutoSend->setChecked(false);
    Press(Slider("trbCMPdrive"), Qt::Key_Left);
    EXPECT_EQ(editor->Preset().Params[6], 23);
    EXPECT_EQ(Status(), "Modified");
    EXPECT_EQ(editor->History().UndoCount(), 1);
    EXPECT_TRUE(editor->timSys->isActive());
    WaitForChangeTimer();
    EXPECT_EQ(editor->History().UndoCount(), 2);
    EXPECT_FALSE(editor->timSys->isActive());
    EXPECT_TRUE(sends.empty());
    EXPECT_TRUE(editor->btnUndo->isEnabled());
}

TEST_F(EditorTest, ABurstOfSliderStepsGivesOneSnapshotAndOneSend) {
    Open(WithAnalog({1}));
    for (int i = 0; i < 10; ++i)
        Press(Slider("trbCMPoutput"), Qt::Key_Left);
    EXPECT_EQ(editor->Preset().Params[10], 37);
    EXPECT_TRUE(editor->SendPending());
    EXPECT_TRUE(sends.empty());
    WaitForChangeTimer();
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(sends[0][17 + 2 * 10], 37);
    EXPECT_EQ(editor->History().UndoCount(), 2);
    EXPECT_EQ(Status(), "Modified, Sent");
    EXPECT_EQ(ValueLabel("trbCMPoutput"), "74%");
}

TEST_F(EditorTest, F9SendsAndAnEmptyStatusBecomesSent) {
    Show(*editor);
    Press(editor->edtTitle, Qt::Key_F9);
    EXPECT_EQ(sends.size(), 1u);
    EXPECT_EQ(Status(), "Sent");
    EXPECT_EQ(editor->edtTitle->text(), "My new preset");
    Press(editor->chkAutoSend, Qt::Key_F9, Qt::ShiftModifier);
    EXPECT_EQ(sends.size(), 2u);
    EXPECT_EQ(Status(), "Sent");
    // Without a send operation the status still follows.
    editor->SetOperations({});
    Press(editor->edtTitle, Qt::Key_F9);
    EXPECT_EQ(sends.size(), 2u);
}

// Editing with no output open: the first change's send says so, the next ones
// keep quiet, and a send the user asks for says it again.
TEST_F(EditorTest, WithNoOutputOpenOnlyTheFirstAutomaticSendComplains) {
    TEditorOperations ops;
    int tries = 0;
    ops.SendStream = [&tries](TStream&, QString&) {
        ++tries;
        throw EOutputNotOpen("MIDI Out device not available");
    };
    editor->SetOperations(ops);
    Show(*editor);
    EXPECT_THROW(CheckAnalog(1, true), EOutputNotOpen);
    EXPECT_TRUE(editor->btnUndo->isEnabled());
    EXPECT_NO_THROW(CheckAnalog(2, true));
    EXPECT_NO_THROW(CheckAnalog(2, false));
    EXPECT_EQ(tries, 3);
    EXPECT_EQ(Status(), "Modified");
    EXPECT_THROW(editor->btnSendOut->click(), EOutputNotOpen);
    EXPECT_EQ(Status(), "Modified");
}

TEST_F(EditorTest, TwoEditorsKeepTheirChangesToThemselves) {
    std::vector<TBytes> otherSends;
    auto other = NewEditor(otherSends);
    Open(WithAnalog({1}));
    TMemoryStream dump;
    WithAnalog({1}).WriteDump(dump);
    other->LoadDump(dump);
    Show(*other);
    Show(*editor);
    Press(Slider("trbCMPdrive"), Qt::Key_Right);
    EXPECT_EQ(Status(), "Modified");
    EXPECT_EQ(other->lblStatus->text(), "");
    EXPECT_EQ(other->Preset().Params[6], 24);
    WaitForChangeTimer();
    EXPECT_EQ(sends.size(), 1u);
    EXPECT_TRUE(otherSends.empty());
}

// ---- Analog effects ----

TEST_F(EditorTest, CheckingAnAnalogEffectResetsItToItsDefaultsAndShowsItsPage) {
    TPreset p = WithAnalog({});
    for (int slot = 6; slot <= 10; ++slot)
        p.Params[static_cast<std::size_t>(slot)] = 0;
    Open(p);
    CheckAnalog(1, true);
    EXPECT_TRUE(editor->Preset().AnalogSelect(1));
    EXPECT_EQ((std::vector<int>(editor->Preset().Params.begin() + 6,
                                editor->Preset().Params.begin() + 11)),
              (std::vector<int>{24, 3, 1, 3, 47}));
    EXPECT_EQ(Slider("trbCMPdrive")->value(), 24);
    EXPECT_EQ(Control("ragCMPslope").Radio()->SelectedText(), "4:1");
    EXPECT_TRUE(editor->pgcAnalogParams->isVisible());
    EXPECT_EQ(editor->pgcAnalogParams->currentIndex(), 1);
    EXPECT_EQ(sends.size(), 1u); // an immediate change
    EXPECT_EQ(sends[0][9], 0x02);

    CheckAnalog(7, true);
    EXPECT_EQ(editor->pgcAnalogParams->currentIndex(), 7);
    CheckAnalog(7, false);
    EXPECT_EQ(editor->pgcAnalogParams->currentIndex(), 1);
    CheckAnalog(1, false);
    EXPECT_FALSE(editor->pgcAnalogParams->isVisible());
    EXPECT_EQ(editor->History().UndoCount(), 5);
}

TEST_F(EditorTest, EqualizerBarAndMeterMoveTogetherAndWriteTheBand) {
    Open(WithAnalog({7}));
    QScrollBar* bar = Control("lcdEQU1600Hz").Scroll;
    Press(bar, Qt::Key_Home); // top = +15 db
    EXPECT_EQ(editor->Preset().Params[27], 12);
    EXPECT_EQ(Control("lcdEQU1600Hz").Meter()->Position(), 12);
    EXPECT_EQ(ValueLabel("lcdEQU1600Hz"), "+15 db");
    Press(bar, Qt::Key_Down);
    EXPECT_EQ(editor->Preset().Params[27], 11);
    EXPECT_EQ(ValueLabel("lcdEQU1600Hz"), "+12 db");
    // A click low in the meter sets a cut.
    TlvLCDmeter* meter = Control("lcdEQU1600Hz").Meter();
    QTest::mouseClick(meter, Qt::LeftButton, {}, QPoint(5, meter->height() - 2));
    EXPECT_LE(editor->Preset().Params[27], 1);
    EXPECT_EQ(bar->value(), 12 - editor->Preset().Params[27]);
    EXPECT_EQ(Status(), "Modified");
}

TEST_F(EditorTest, PatchBayLoopBoxesAreImmediateChanges) {
    Open(WithAnalog({0}));
    auto* loop = Control("chkPBYloop2").Check();
    EXPECT_TRUE(loop->isChecked());
    QTest::mouseClick(loop, Qt::LeftButton);
    EXPECT_EQ(editor->Preset().Params[5], 0);
    EXPECT_EQ(sends.size(), 1u);
    EXPECT_EQ(editor->History().UndoCount(), 2);
}

// ---- Digital effects ----

TEST_F(EditorTest, AddingReverb2ToFlangerMovesItsValuesIntoGroupNine) {
    Show(*editor);
    editor->AddDigitalEffect("Flanger");
    EXPECT_EQ(editor->lblDigGrp->text(), "Group #0");
    EXPECT_EQ(editor->pgcDigitalParams->currentIndex(), 1);
    // Flanger width sits at P43 in group 0.
    Press(Slider("trbFLAwidth"), Qt::Key_End);
    EXPECT_EQ(editor->Preset().Params[43], 31);
    editor->AddDigitalEffect("Reverb 2");
    EXPECT_EQ(editor->lblDigGrp->text(), "Group #9");
    EXPECT_EQ(Items(editor->lbxDigSel), (QStringList{"Flanger", "Reverb 2"}));
    EXPECT_EQ(editor->Preset().Params[46], 31); // width moved to P46 with the Flanger
    EXPECT_EQ(editor->Preset().Params[34], 30); // Low Pass stays
    EXPECT_EQ(Slider("trbFLAwidth")->value(), 31);
    EXPECT_EQ(Control("trbFLAwidth").Slot, &editor->Preset().Params[46]);
    EXPECT_EQ(Control("ragREVtype").Radio()->SelectedText(), "Hall-2");
    EXPECT_EQ(Control("ragREVtype").Radio()->ButtonCount(), 9);
    EXPECT_EQ(editor->pgcDigitalParams->currentIndex(), 7);
    EXPECT_TRUE(editor->pgcDigitalParams->isTabVisible(1));
    EXPECT_FALSE(editor->pgcDigitalParams->isTabVisible(10)); // Regen DDL is in the row only
    EXPECT_EQ(sends.back()[13], 9);

    editor->RemoveDigitalEffect("Reverb 2");
    editor->RemoveDigitalEffect("Flanger");
    EXPECT_EQ(editor->lblDigGrp->text(), "Group #0");
    EXPECT_FALSE(editor->pgcDigitalParams->isVisibleTo(editor.get()));
}

TEST_F(EditorTest, DiffusionShowsOnlyWhileReverb3IsSelected) {
    Show(*editor);
    TParamControl& diffusion = Control("trbREVdiffusion");
    editor->AddDigitalEffect("Reverb 1");
    EXPECT_TRUE(diffusion.Control->isHidden());
    EXPECT_EQ(diffusion.Slot, nullptr);
    editor->RemoveDigitalEffect("Reverb 1");
    editor->AddDigitalEffect("Reverb 3");
    EXPECT_EQ(editor->lblDigGrp->text(), "Group #27");
    EXPECT_FALSE(diffusion.Control->isHidden());
    EXPECT_FALSE(diffusion.Caption->isHidden());
    EXPECT_EQ(Control("ragREVtype").Radio()->ButtonCount(), 13);
    EXPECT_EQ(Control("ragREVtype").Radio()->SelectedText(), "Hall-3");
    // Reverb 3 sits at P39..P45 of group 27: diffusion is its sixth parameter.
    EXPECT_EQ(diffusion.Slot, &editor->Preset().Params[44]);
    editor->RemoveDigitalEffect("Reverb 3");
    EXPECT_TRUE(diffusion.Control->isHidden());
}

TEST_F(EditorTest, ArrowButtonsFollowTheListsAndDoubleClicksAddAndRemove) {
    Show(*editor);
    EXPECT_FALSE(editor->btnAddDfx->isEnabled());
    QListWidget* avail = editor->lbxDigAvail;
    const auto tuner = avail->findItems("Tuner", Qt::MatchExactly);
    ASSERT_EQ(tuner.size(), 1);
    QTest::mouseClick(avail->viewport(), Qt::LeftButton, {},
                      avail->visualItemRect(tuner[0]).center());
    EXPECT_TRUE(editor->btnAddDfx->isEnabled());
    QTest::mouseClick(editor->btnAddDfx, Qt::LeftButton);
    EXPECT_EQ(editor->lblDigGrp->text(), "Group #46");
    EXPECT_FALSE(editor->btnAddDfx->isEnabled());
    EXPECT_EQ(Items(editor->lbxDigAvail), (QStringList{"Low Pass"}));

    QListWidget* sel = editor->lbxDigSel;
    const QPoint at = sel->visualItemRect(sel->item(0)).center();
    QTest::mouseClick(sel->viewport(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(editor->btnDelDfx->isEnabled());
    QTest::mouseDClick(sel->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(sel->count(), 0);
    EXPECT_EQ(editor->lbxDigAvail->count(), 25);
}

TEST_F(EditorTest, PickingGroup46ReplacesTheSelectionStepByStep) {
    Show(*editor);
    editor->AddDigitalEffect("Flanger");
    sends.clear();
    const int group = editor->Preset().DigitalGroup();
    dialogs.service.QueueModal([group](QDialog& d) {
        auto* list = d.findChild<QListWidget*>("lbxItems");
        EXPECT_EQ(list->count(), 54);
        // It opens on the preset's own group.
        EXPECT_EQ(list->currentRow(), group);
        EXPECT_TRUE(list->currentItem() && list->currentItem()->isSelected());
        EXPECT_EQ(list->item(46)->text(), "46. Low Pass, Tuner");
        list->item(46)->setSelected(true);
        return int(mrOk);
    });
    QTest::mouseClick(editor->btnDigGrp, Qt::LeftButton);
    EXPECT_EQ(dialogs.service.Last().caption, "Valid Digital Groups");
    EXPECT_EQ(Items(editor->lbxDigSel), (QStringList{"Low Pass", "Tuner"}));
    EXPECT_EQ(editor->lblDigGrp->text(), "Group #46");
    EXPECT_EQ(sends.size(), 3u); // Flanger out, Low Pass in, Tuner in
}

TEST_F(EditorTest, BaseKeyListStoresItsIndexAtOnce) {
    Show(*editor);
    editor->AddDigitalEffect("Pitch-Trans"); // group 25: P39..P44, base key P42
    QListWidget* keys = Control("lstPTRbase_key").List();
    EXPECT_EQ(keys->count(), 128);
    EXPECT_EQ(keys->item(60)->text(), "C 4");
    sends.clear();
    keys->setCurrentRow(60);
    EXPECT_EQ(editor->Preset().Params[42], 60);
    EXPECT_EQ(sends.size(), 1u);
}

TEST_F(EditorTest, MidiPanCenterStoresSixtyFourOnTheReversedSlider) {
    Show(*editor);
    editor->AddDigitalEffect("MIDI-Pan"); // group 6, P47
    TParamControl& pan = Control("trbMPNpos");
    EXPECT_EQ(pan.Slot, &editor->Preset().Params[47]);
    Press(pan.Slider(), Qt::Key_End); // bottom end: value 0
    EXPECT_EQ(editor->Preset().Params[47], 0);
    EXPECT_EQ(pan.Slider()->value(), 127);
    EXPECT_EQ(ValueLabel("trbMPNpos"), "0");
    QTest::mouseClick(pan.Center, Qt::LeftButton);
    EXPECT_EQ(editor->Preset().Params[47], 64);
    EXPECT_EQ(ValueLabel("trbMPNpos"), "64");
}

// ---- Undo and redo ----

TEST_F(EditorTest, UndoAndRedoStepThroughBurstsAndKeepThePagesInFront) {
    Open(WithAnalog({1, 7}));
    editor->pgcAnalogParams->setCurrentIndex(7);
    Press(Control("lcdEQU40Hz").Scroll, Qt::Key_Home);
    WaitForChangeTimer();
    Press(Control("lcdEQU100Hz").Scroll, Qt::Key_End);
    WaitForChangeTimer();
    EXPECT_EQ(editor->History().UndoCount(), 3);
    sends.clear();

    Press(editor->chkAutoSend, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->Preset().Params[23], 12);
    EXPECT_EQ(editor->Preset().Params[24], 6);
    EXPECT_EQ(editor->pgcAnalogParams->currentIndex(), 7);
    EXPECT_TRUE(editor->chkAutoSend->isChecked());
    // With "Auto send" on the unit gets the state undone to, as after a change.
    ASSERT_EQ(sends.size(), 1u);
    const auto shown = editor->Preset().DumpBytes();
    EXPECT_EQ(sends[0], TBytes(shown.begin(), shown.end()));
    Press(editor->chkAutoSend, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->Preset().Params[23], 6);
    EXPECT_FALSE(editor->btnUndo->isEnabled());
    EXPECT_EQ(editor->btnRedo->toolTip(), "2 items in redo list   [Ctrl+Y]");
    // Ctrl+Z in the title box is the window's undo, not the box's.
    Press(editor->edtTitle, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(editor->Preset().Params[23], 12);
    EXPECT_EQ(Control("lcdEQU40Hz").Scroll->value(), 0);
    EXPECT_EQ(editor->edtTitle->text(), "My new preset");
    // A change after an undo empties the redo list.
    Press(Slider("trbCMPdrive"), Qt::Key_Right);
    WaitForChangeTimer();
    EXPECT_FALSE(editor->btnRedo->isEnabled());
    EXPECT_EQ(editor->Preset().Params[24], 6);
}

TEST_F(EditorTest, UndoRightAfterAMoveStepsBackOverThatMove) {
    Open(WithAnalog({1}));
    editor->timSys->setInterval(60000);
    Press(Slider("trbCMPdrive"), Qt::Key_Right);
    Press(editor->edtTitle, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->Preset().Params[6], 24);
    EXPECT_TRUE(editor->btnRedo->isEnabled());
}

// ---- Saving and closing ----

TEST_F(EditorTest, SaveWritesTheDumpAndClearsTheHistory) {
    QTemporaryDir dir;
    Open(WithAnalog({1}));
    editor->edtTitle->selectAll();
    Type(editor->edtTitle, " A/B: 1 ");
    const QString path = dir.filePath("A-B  1.hrz");
    dialogs.service.QueuePath(path);
    TfrmPresetEditor::LastSaveFolder().clear();
    QTest::mouseClick(editor->btnSaveAs, Qt::LeftButton);
    EXPECT_EQ(dialogs.service.Last().kind, "save");
    EXPECT_EQ(dialogs.service.Last().text, "A-B  1.hrz"); // trimmed and made safe
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    ASSERT_EQ(saved.size(), 252);
    const auto dump = editor->Preset().DumpBytes();
    EXPECT_EQ(TBytes(dump.begin(), dump.end()), TBytes(saved.begin(), saved.end()));
    EXPECT_EQ(Status(), "Saved");
    EXPECT_EQ(editor->windowTitle(), "HRZ2000e Preset Editor - " + path);
    EXPECT_FALSE(editor->btnUndo->isEnabled());
    EXPECT_FALSE(editor->btnRedo->isEnabled());
    EXPECT_EQ(editor->History().UndoCount(), 0);
    EXPECT_FALSE(editor->Preset().IsChanged());
    EXPECT_EQ(TfrmPresetEditor::LastSaveFolder(), QDir(dir.path()).absolutePath() + "/");
    // One change later the undo list holds one entry, still not undoable.
    Press(Slider("trbCMPdrive"), Qt::Key_Right);
    WaitForChangeTimer();
    EXPECT_EQ(editor->History().UndoCount(), 1);
    EXPECT_FALSE(editor->btnUndo->isEnabled());
    EXPECT_EQ(Status(), "Modified, Sent");
    // The next save proposes the file it came from.
    dialogs.service.QueuePath({});
    EXPECT_FALSE(editor->SavePreset());
    EXPECT_EQ(dialogs.service.Last().text, path);
}

TEST_F(EditorTest, AFailedSaveLeavesTheWindowAsItWas) {
    Open(WithAnalog({1}));
    Press(Slider("trbCMPdrive"), Qt::Key_Right);
    dialogs.service.QueuePath("/nonexistent-folder/x.hrz");
    EXPECT_THROW(editor->SavePreset(), EHrzError);
    EXPECT_EQ(Status(), "Modified");
    EXPECT_TRUE(editor->Preset().IsChanged());
    EXPECT_EQ(editor->FileName(), "");
}

TEST_F(EditorTest, CloseAsksForNewOrChangedPresetsOnly) {
    Show(*editor); // new and unchanged: still asks
    dialogs.service.QueueResult(mrCancel);
    EXPECT_FALSE(editor->close());
    EXPECT_TRUE(editor->isVisible());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Do you want to save your changes?");
    EXPECT_EQ(Messages()[0].caption, "Save changes to \"My new preset\"?");
    EXPECT_EQ(Messages()[0].buttons, unsigned(mbYes | mbNo | mbCancel));
    dialogs.service.QueueResult(mrNo);
    EXPECT_TRUE(editor->close());
    EXPECT_FALSE(editor->isVisible());

    // A received dump that rewrites to the same bytes closes without a question.
    editor->Reset();
    Open(WithAnalog({2}));
    dialogs.service.ClearHistory();
    EXPECT_TRUE(editor->close());
    EXPECT_TRUE(Messages().empty());

    // Yes with a cancelled save keeps the window.
    editor->Reset();
    Open(WithAnalog({2}));
    Press(editor->edtTitle, Qt::Key_X);
    dialogs.service.QueueResult(mrYes);
    dialogs.service.QueuePath({});
    EXPECT_FALSE(editor->close());
    QTemporaryDir dir;
    dialogs.service.QueueResult(mrYes);
    dialogs.service.QueuePath(dir.filePath("kept.hrz"));
    EXPECT_TRUE(editor->close());
    EXPECT_TRUE(QFile::exists(dir.filePath("kept.hrz")));
}

TEST_F(EditorTest, ClosingFlushesAPendingBurstToTheUnit) {
    Open(WithAnalog({1}));
    editor->timSys->setInterval(60000);
    Press(Slider("trbCMPdrive"), Qt::Key_Right);
    dialogs.service.QueueResult(mrNo);
    EXPECT_TRUE(editor->close());
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(sends[0][17 + 12], 25);
}

TEST_F(EditorTest, ResetBringsAReusedWindowBackToANewPreset) {
    TPreset p = WithAnalog({1, 3});
    p.Title = "Old";
    Open(p);
    Press(Slider("trbCMPdrive"), Qt::Key_Right);
    editor->SetFileName("/tmp/old.hrz");
    editor->hide();
    editor->Reset();
    EXPECT_TRUE(editor->NeverSaved());
    EXPECT_EQ(editor->FileName(), "");
    EXPECT_EQ(editor->History().UndoCount(), 0);
    EXPECT_EQ(editor->windowTitle(), "HRZ2000e Preset Editor <not saved>");
    EXPECT_FALSE(editor->timSys->isActive());
    Show(*editor);
    EXPECT_EQ(editor->edtTitle->text(), "My new preset");
    EXPECT_FALSE(editor->pgcAnalogParams->isVisible());
}

TEST_F(EditorTest, SetupChoosesThePrinter) {
    Show(*editor);
    QTest::mouseClick(editor->btnPrtSetup, Qt::LeftButton);
    EXPECT_EQ(dialogs.service.Last().kind, "printer");
    EXPECT_TRUE(sends.empty());
}

TEST_F(EditorTest, ANewEditorOpensBesideTheOneShownNotOnTopOfIt) {
    std::vector<TBytes> more;
    auto second = NewEditor(more);
    auto third = NewEditor(more);
    // Away from the test screen's corner, so that there is room to step aside.
    for (QWidget* w : {static_cast<QWidget*>(editor.get()), static_cast<QWidget*>(second.get()),
                       static_cast<QWidget*>(third.get())})
        w->move(100, 100);
    Show(*editor);
    Show(*second);
    Show(*third);
    const QPoint a = editor->geometry().topLeft();
    const QPoint b = second->geometry().topLeft();
    const QPoint c = third->geometry().topLeft();
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    EXPECT_NE(a, c);
    // Each one with its title bar on the screen.
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    for (const QWidget* w : {editor.get(), second.get(), third.get()})
        EXPECT_TRUE(room.contains(w->frameGeometry().topLeft()));
    dialogs.service.QueueResult(mrNo);
    second->close();
    dialogs.service.QueueResult(mrNo);
    third->close();
}
