// Start-up, menus, settings and the windows the main window opens.
#include "editor/frm_preset_editor.h"
#include "midi/midi_output.h"
#include "model/digital_groups.h"
#include "model/stream.h"
#include "mpt/frm_mpt_edit.h"
#include "tests/app/window/main_window_fixture.h"
#include "tests/support/recording_printer_canvas.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

namespace {

QStringList TopLevelMenus(QMainWindow& w) {
    QStringList captions;
    for (QAction* a : w.menuBar()->actions())
        captions << a->text();
    return captions;
}

QStringList Items(QMenu* menu) {
    QStringList captions;
    for (QAction* a : menu->actions())
        captions << (a->isSeparator() ? "-" : a->text());
    return captions;
}

} // namespace

// ---- Start-up and settings ----

TEST_F(MainWindowTest, StartBuildsTheDeviceMenusBeforeHelp) {
    auto& w = StartOnTestPlatform();
    EXPECT_EQ(TopLevelMenus(w), (QStringList{"&File", "MIDI &In", "MIDI &Out", "HRZ2000 Requests",
                                             "Presets", "MPT", "&Help"}));
    EXPECT_EQ(Items(MenuNamed(w, "miHRZRequests")),
              (QStringList{"Get current preset only (F10)", "Get/Save each preset individually...",
                           "Print list of presets...", "Compare with folder...",
                           "Get preset bulk dump", "-", "Get MPT Table", "Bypass", "-",
                           "Select Bank &A", "Select Bank &B", "Select Bank &C", "Select Bank &D",
                           "-", "Use Pre-Express options", "Verify stored presets"}));
    // Real separators: no text for a style to draw beside the line.
    for (QAction* a : MenuNamed(w, "miHRZRequests")->actions()) {
        if (a->isSeparator()) {
            EXPECT_TRUE(a->text().isEmpty());
        }
    }
    EXPECT_EQ(Items(MenuNamed(w, "miPresets")),
              (QStringList{"Open current file in editor", "New preset", "Library..."}));
    EXPECT_EQ(Items(MenuNamed(w, "miMPT")),
              (QStringList{"Open current file in editor", "New MPT table"}));
    EXPECT_EQ(w.popMsgBuf->actions().last()->text(), "&Edit...");
    for (QMenu* m :
         {MenuNamed(w, "miHRZRequests"), MenuNamed(w, "miPresets"), MenuNamed(w, "miMPT")})
        EXPECT_TRUE(m->isEnabled());
    EXPECT_TRUE(w.Initialized);
    EXPECT_EQ(w.CurrentBank, -1);
    EXPECT_FALSE(Item(w, "miBypass")->isChecked());
}

TEST_F(MainWindowTest, EachSettingThatCannotBeUsedGivesWayToItsDefaultWithEveryMenu) {
    const struct {
        const char* Name;
        const char* Stored;
        const char* Default;
    } cases[] = {{"MIDI_OUT_CH", "abc", "0"},
                 {"MIDI_OUT_CH", "16", "0"},
                 {"MIDI_OUT_CH", "99999999999999999999", "0"},
                 {"DBL_CLICK_FILE_ACTION", "abc", "0"},
                 {"DBL_CLICK_LOG_ACTION", "1.5", "0"},
                 {"DBL_CLICK_LOG_ACTION", "3", "0"},
                 {"PRE_EXPRESS", "maybe", "0"},
                 {"VERIFY_STORE", "yes", "1"},
                 {"HRZReqDelay", "soon", "1000"},
                 {"LPW", "wide", "-"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Name) + "=" + c.Stored);
        store->WriteString(c.Name, c.Stored);
        auto& w = StartOnTestPlatform();
        EXPECT_TRUE(w.Initialized);
        EXPECT_EQ(TopLevelMenus(w), (QStringList{"&File", "MIDI &In", "MIDI &Out",
                                                 "HRZ2000 Requests", "Presets", "MPT", "&Help"}));
        EXPECT_TRUE(Messages().empty());
        const QString notice = store->TakeRejectedNotice();
        EXPECT_TRUE(notice.contains(QString("%1=\"%2\" (default ").arg(c.Name, c.Stored)))
            << notice.toStdString();
        EXPECT_EQ(w.TransmitChannel, 0);
        w.close();
        window.reset();
        // Closing wrote the settings, and with them the default.
        if (std::string(c.Default) != "-") {
            EXPECT_EQ(store->ReadString(c.Name, false).toStdString(), c.Default);
        }
        store->WriteInteger("HRZReqDelay", kDelay);
        store->DeleteValue("MIDI_OUT_CH");
    }
}

TEST_F(MainWindowTest, WithoutAnOutputDeviceTheDeviceMenusAreOff) {
    platform.AddInputDevice("Only In");
    SetMidiPlatform(&platform);
    auto& w = Start();
    for (QMenu* m :
         {MenuNamed(w, "miHRZRequests"), MenuNamed(w, "miPresets"), MenuNamed(w, "miMPT")})
        EXPECT_FALSE(m->isEnabled());
}

TEST_F(MainWindowTest, RequestDelayComesFromItsSettingAndOldValuesAreDeleted) {
    store->WriteInteger("HRZ_REQ_DELAY", 500);
    store->WriteString("RECT_MAIN", "1,2,3,4");
    store->WriteInteger("HRZReqDelay", 250);
    StartOnTestPlatform();
    EXPECT_EQ(RequestDelay, 250);
    EXPECT_EQ(store->ReadInteger("HRZ_REQ_DELAY", false, -1), -1);
    EXPECT_EQ(store->ReadString("RECT_MAIN", false), "");
    EXPECT_EQ(store->ReadInteger("HRZReqDelay", false, -1), 250);
    // The online check arms the timer at ten request delays.
    window->CheckOnline();
    EXPECT_EQ(RequestTimer(*window)->interval(), 2500);
}

TEST_F(MainWindowTest, ZeroNegativeOrAbsentDelayMeansOneSecond) {
    platform.AddInputDevice("Test In");
    platform.AddOutputDevice("Test Out");
    SetMidiPlatform(&platform);
    for (const int stored : {0, -5, 100000000}) {
        store->WriteInteger("HRZReqDelay", stored);
        Start();
        EXPECT_EQ(RequestDelay, 1000) << stored;
        window.reset();
    }
    store->DeleteValue("HRZReqDelay");
    Start();
    EXPECT_EQ(RequestDelay, 1000);
}

TEST_F(MainWindowTest, ChannelIsTakenOnceAtStartAndTheUserIsToldSo) {
    store->WriteInteger("MIDI_OUT_CH", 5);
    auto& w = StartOnTestPlatform();
    EXPECT_EQ(DeviceChannel, 5);
    w.miChannel[9]->trigger();
    EXPECT_EQ(DeviceChannel, 5);
    EXPECT_EQ(Status(), "The HRZ2000 messages use channel 10 after the program is restarted.");
    Item(w, "miGetCurrentPreset")->trigger();
    EXPECT_EQ(SentBytes().back(), (TBytes{0xF0, 0x1A, 0x05, 0x12, 0x45, 0xF7}));
    // Back to the channel in use: nothing waits for a restart.
    w.miChannel[5]->trigger();
    EXPECT_EQ(Status(), "The HRZ2000 messages use channel 6.");
}

TEST_F(MainWindowTest, CloseStoresDelayAndPreExpressSwitch) {
    store->WriteInteger("HRZReqDelay", 0);
    auto& w = StartOnTestPlatform();
    Item(w, "miPreExpress")->trigger();
    w.close();
    EXPECT_EQ(store->ReadInteger("HRZReqDelay", false, -1), 1000);
    EXPECT_TRUE(store->ReadBool("PRE_EXPRESS", false, false));
    EXPECT_FALSE(platform.IsOutputOpen(0));
    // The next start comes up in the older model's mode.
    window.reset();
    SetPreExpressMode(false);
    auto& again = Start();
    EXPECT_TRUE(Item(again, "miPreExpress")->isChecked());
    EXPECT_TRUE(PreExpressMode);
}

TEST_F(MainWindowTest, PreExpressSwitchesModelWideCountsAndBankItems) {
    auto& w = StartOnTestPlatform();
    EXPECT_EQ(DigitalGroups::ActiveGroupCount(), 54);
    Item(w, "miPreExpress")->trigger(); // as from the menu
    EXPECT_TRUE(PreExpressMode);
    EXPECT_EQ(DigitalGroups::ActiveGroupCount(), 47);
    EXPECT_EQ(DigitalGroups::ActiveEffectCount(), 23);
    for (int bank = 0; bank < 4; ++bank)
        EXPECT_FALSE(BankItem(w, bank)->isEnabled());
    Item(w, "miPreExpress")->trigger();
    EXPECT_FALSE(PreExpressMode);
    EXPECT_EQ(DigitalGroups::ActiveEffectCount(), 25);
    for (int bank = 0; bank < 4; ++bank)
        EXPECT_TRUE(BankItem(w, bank)->isEnabled());
}

// ---- The buffer's editors ----

TEST_F(MainWindowTest, EditItemFollowsBufferLengthOnly) {
    auto& w = StartOnTestPlatform();
    PutInBuffer(TBytes(252, 0x11)); // right length, no dump header
    w.UpdateBufferMenu();
    EXPECT_TRUE(Item(w, "pmiEdit")->isEnabled());
    Item(w, "pmiEdit")->trigger();
    EXPECT_EQ(w.ChildWindows->Count(), 0);
    PutInBuffer(TBytes(406, 0));
    w.UpdateBufferMenu();
    EXPECT_TRUE(Item(w, "pmiEdit")->isEnabled());
    Item(w, "miPreExpress")->trigger();
    w.UpdateBufferMenu();
    EXPECT_FALSE(Item(w, "pmiEdit")->isEnabled());
    PutInBuffer(TBytes(262, 0));
    w.UpdateBufferMenu();
    EXPECT_TRUE(Item(w, "pmiEdit")->isEnabled());
}

TEST_F(MainWindowTest, PresetsMenuOffersTheBufferOnlyWhenItHoldsAPresetDump) {
    auto& w = StartOnTestPlatform();
    PutInBuffer(TBytes(252, 0));
    emit MenuNamed(w, "miPresets")->aboutToShow();
    EXPECT_FALSE(Item(w, "miPresetsOpen")->isEnabled());
    PutInBuffer(PresetDump("Crunch", 9));
    emit MenuNamed(w, "miPresets")->aboutToShow();
    EXPECT_TRUE(Item(w, "miPresetsOpen")->isEnabled());
    EXPECT_EQ(Status(), "Preset loaded: Crunch");
}

TEST_F(MainWindowTest, ShownPresetEditorsAreNeverReusedHiddenOnesAre) {
    auto& w = StartOnTestPlatform();
    PutInBuffer(PresetDump("Clean"));
    w.LoadedFileName = "/tmp/Clean.hrz";
    w.OpenBufferInEditor();
    w.OpenBufferInEditor();
    ASSERT_EQ(w.ChildWindows->Count(), 2);
    auto* first = qobject_cast<TfrmPresetEditor*>(w.ChildWindows->At(0));
    auto* second = qobject_cast<TfrmPresetEditor*>(w.ChildWindows->At(1));
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->edtTitle->text(), "Clean");
    EXPECT_EQ(first->FileName(), "/tmp/Clean.hrz");
    EXPECT_EQ(first->windowTitle(), "HRZ2000e Preset Editor - /tmp/Clean.hrz");

    second->Preset().Params[0] = 3; // unsaved work: the close asks, and is told No
    dialogs.service.QueueResult(mrNo);
    second->close(); // hidden, not freed
    PutInBuffer(PresetDump("Lead"));
    w.LoadedFileName.clear();
    Item(w, "miPresetsOpen")->trigger();
    EXPECT_EQ(w.ChildWindows->Count(), 2);
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->edtTitle->text(), "Lead");
    EXPECT_EQ(second->FileName(), "");
    EXPECT_EQ(second->History().UndoCount(), 1);
    EXPECT_EQ(first->edtTitle->text(), "Clean");
    // The editor reaches the unit through what it was handed.
    second->SendPreset();
    EXPECT_EQ(SentBytes().back().size(), 252u);
    EXPECT_EQ(SentBytes().back()[121], 'L');
}

TEST_F(MainWindowTest, WhereAPresetListingWentShowsInTheStatusBar) {
    auto& w = StartOnTestPlatform();
    TRecordingPrinterCanvas printer;
    TScopedPrinter installed(printer);
    Item(w, "miNewPreset")->trigger();
    PutInBuffer(PresetDump("Clean"));
    Item(w, "miPresetsOpen")->trigger();
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* editor = qobject_cast<TfrmPresetEditor*>(top)) {
            w.ShowStatus({});
            editor->btnPrint->click();
            EXPECT_EQ(Status(), "Printout recorded");
        }
    EXPECT_EQ(printer.DocumentsEnded(), 2);
}

TEST_F(MainWindowTest, NewPresetWindowsAreNotReusedAndAllGoWithTheMainWindow) {
    auto& w = StartOnTestPlatform();
    Item(w, "miNewPreset")->trigger();
    EXPECT_EQ(w.ChildWindows->Count(), 0);
    PutInBuffer(PresetDump("Clean"));
    Item(w, "miPresetsOpen")->trigger();
    QPointer<QWidget> fromBuffer = w.ChildWindows->At(0);
    QPointer<QObject> menu = MenuNamed(w, "miHRZRequests");
    int editors = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        editors += qobject_cast<TfrmPresetEditor*>(top) != nullptr;
    EXPECT_EQ(editors, 2);
    window.reset();
    EXPECT_TRUE(fromBuffer.isNull());
    EXPECT_TRUE(menu.isNull());
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TfrmPresetEditor*>(top), nullptr);
}

TEST_F(MainWindowTest, TableEditorFreesItselfOnClose) {
    auto& w = StartOnTestPlatform();
    TBytes table(406, 0);
    table[0] = 0xF0;
    table[1] = 0x1A;
    table[3] = 0x12;
    table[4] = 0x13;
    table[405] = 0xF7;
    PutInBuffer(table);
    w.OpenBufferInEditor();
    TfrmMPTEdit* editor = w.findChild<TfrmMPTEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->TableBytes(), table);
    QPointer<TfrmMPTEdit> watch = editor;
    editor->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
}

TEST_F(MainWindowTest, OwnedObjectsLeaveParentedEntriesToTheirParent) {
    QObject parent;
    auto* child = new QObject(&parent);
    QPointer<QObject> loose = new QObject;
    QPointer<QObject> gone = new QObject;
    {
        TOwnedObjects owned;
        owned.Add(child);
        owned.Add(loose);
        owned.Add(gone);
        delete gone.data(); // freed elsewhere first: skipped, not freed twice
    }
    EXPECT_TRUE(loose.isNull());
    EXPECT_EQ(parent.children().size(), 1);
}

TEST_F(MainWindowTest, ClosingTheProgramAsksOpenEditorsAboutUnsavedWork) {
    auto& w = StartOnTestPlatform();
    w.show();
    PutInBuffer(PresetDump("Clean"));
    Item(w, "miPresetsOpen")->trigger();
    auto* editor = qobject_cast<TfrmPresetEditor*>(w.ChildWindows->At(0));
    editor->Preset().Title = "Changed";
    dialogs.service.QueueResult(mrCancel);
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(editor->isVisible());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Do you want to save your changes?");
    dialogs.service.QueueResult(mrNo);
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(editor->isVisible());
}
