// Requests, replies and pacing against the scriptable platform and the virtual unit.
#include "explorer/msg_buf_memo.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "model/errors.h"
#include "model/stream.h"
#include "tests/app/window/main_window_fixture.h"

#include <QAction>
#include <QKeyEvent>
#include <QTabWidget>
#include <functional>

using namespace mm;

namespace {

void Key(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(target, &press);
}

const TBytes kCurrentPresetRequest{0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7};

// Notes a value at the first paint of a window.
class TPaintSpy : public QObject {
public:
    TPaintSpy(QWidget& window, std::function<int()> value) : value_(std::move(value)) {
        window.installEventFilter(this);
    }
    bool Seen() const { return atFirstPaint_ >= 0; }
    int ValueAtFirstPaint() const { return atFirstPaint_; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && atFirstPaint_ < 0)
            atFirstPaint_ = value_();
        return false;
    }

private:
    std::function<int()> value_;
    int atFirstPaint_ = -1;
};

} // namespace

// ---- Online check ----

TEST_F(MainWindowTest, OnlineCheckAgainstTheUnitReportsItsBankAndBypass) {
    auto& w = StartOnUnit();
    w.SelectBank(2);
    EXPECT_EQ(Status(), "Bank C selected");
    Item(w, "miBypass")->trigger();
    Wait(30);
    EXPECT_TRUE(unit->WithUnit([](const THrzVirtualUnit& u) { return u.Memory().Bypass; }));
    Item(w, "miBypass")->setChecked(false);
    w.CheckOnline();
    Wait(30);
    EXPECT_EQ(Status(), "The HRZ2000 is online! Your currently selected bank is: C");
    // From the virtual unit, never to be taken for the hardware's answer.
    EXPECT_EQ(StatusAsShown(),
              "The HRZ2000 is online! Your currently selected bank is: C (HRZ2000 virtual unit)");
    EXPECT_EQ(w.windowTitle(), "HRZ2000e - HRZ2000 virtual unit");
    EXPECT_EQ(w.CurrentBank, 2);
    EXPECT_TRUE(Item(w, "miBypass")->isChecked());
    EXPECT_EQ(w.PendingStatusReplies, 0);
    EXPECT_EQ(w.LogCount(), 0); // replies are consumed, not logged
}

TEST_F(MainWindowTest, AStartNoticeIsLoggedAtOnceAndShownWhenTheOnlineCheckIsOver) {
    auto& w = StartOnTestPlatform();
    TScriptedReplies unitReplies(platform);
    unitReplies.Reply(0, Reply(0, 0));
    unitReplies.Reply(9, Reply(9, 0));
    const QString notice = "The virtual unit's memory x could not be used";
    w.ShowStartNotice(notice);
    w.FlushLog();
    ASSERT_EQ(w.LogCount(), 1);
    EXPECT_EQ(w.LogText(0), notice);
    w.show();
    EXPECT_TRUE(WaitFor([&] { return w.CurrentBank == 0; }, 5000));
    EXPECT_EQ(Status(), notice) << "the check's texts came first and did not replace it";
}

TEST_F(MainWindowTest, ShowingTheWindowPaintsItFirstThenRunsTheOnlineCheck) {
    auto& w = StartOnTestPlatform();
    TScriptedReplies unitReplies(platform);
    unitReplies.Reply(0, Reply(0, 0));
    unitReplies.Reply(9, Reply(9, 0));
    TPaintSpy painted(w, [this] { return SentItemRequestCount(); });
    QElapsedTimer clock;
    clock.start();
    w.show();
    // Nothing waits inside show().
    EXPECT_LT(clock.elapsed(), kDelay);
    EXPECT_EQ(SentItemRequestCount(), 0);
    QStringList texts;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (w.isVisible() && (texts.isEmpty() || texts.last() != Status()))
            texts << Status();
    });
    watch.start(1);
    EXPECT_TRUE(WaitFor([&] { return w.CurrentBank == 0; }, 5000));
    EXPECT_EQ(SentItemRequests(), (std::vector<int>{0, 9}));
    ASSERT_TRUE(painted.Seen());
    EXPECT_EQ(painted.ValueAtFirstPaint(), 0); // painted before the first request
    // The check's texts were shown, in turn, in the visible window.
    EXPECT_TRUE(texts.contains("The HRZ2000 is online!")) << texts.join('|').toStdString();
    EXPECT_EQ(texts.last(), "The HRZ2000 is online! Your currently selected bank is: A");
}

TEST_F(MainWindowTest, PreExpressOnlineCheckAsksOnlyForTheBypassItem) {
    auto& w = StartOnTestPlatform();
    w.CheckOnline();
    EXPECT_EQ(SentItemRequests(), (std::vector<int>{0, 9}));
    platform.ClearSent();
    Item(w, "miPreExpress")->trigger();
    w.CheckOnline();
    EXPECT_EQ(SentItemRequests(), (std::vector<int>{0}));
    EXPECT_TRUE(RequestTimer(w)->isActive());
}

TEST_F(MainWindowTest, SilentUnitIsReportedOnceByTheTimer) {
    TUnitOptions silent;
    silent.Faults.Silent = true;
    auto& w = StartOnUnit(silent);
    w.CheckOnline();
    EXPECT_EQ(w.PendingStatusReplies, 2);
    EXPECT_TRUE(RequestTimer(w)->isActive());
    Wait(10 * kDelay + 100);
    EXPECT_EQ(Status(), "No response received from HRZ2000 - are you connected properly?");
    EXPECT_EQ(w.PendingStatusReplies, 0);
    EXPECT_FALSE(RequestTimer(w)->isActive());
}

TEST_F(MainWindowTest, UnitAnsweringOnlyItemZeroIsOnlineButStillReportedSilent) {
    auto& w = StartOnTestPlatform();
    TScriptedReplies unitReplies(platform);
    unitReplies.Reply(0, Reply(0, 1));
    w.CheckOnline();
    EXPECT_EQ(Status(), "The HRZ2000 is online!");
    EXPECT_TRUE(Item(w, "miBypass")->isChecked());
    EXPECT_EQ(w.PendingStatusReplies, 1);
    Wait(10 * kDelay + 100);
    EXPECT_EQ(Status(), "No response received from HRZ2000 - are you connected properly?");
}

TEST_F(MainWindowTest, BankRepliesOutsideTheFourBanksMakeTheBankUnknownSilently) {
    auto& w = StartOnTestPlatform();
    TScriptedReplies unitReplies(platform);
    unitReplies.Reply(0, Reply(0, 0));
    unitReplies.Reply(9, Reply(9, 2));
    w.CheckOnline();
    EXPECT_EQ(Status(), "The HRZ2000 is online! Your currently selected bank is: C");
    EXPECT_EQ(w.CurrentBank, 2);
    unitReplies.Reply(9, Reply(9, 4));
    w.CheckOnline();
    EXPECT_EQ(w.CurrentBank, -1);
    EXPECT_EQ(Status(), "The HRZ2000 is online!");
    Wait(10 * kDelay + 100);
    EXPECT_EQ(Status(), "The HRZ2000 is online!"); // both answered: nothing to report
}

TEST_F(MainWindowTest, StatusRepliesAreTakenOnlyWhileRequestsArePending) {
    auto& w = StartOnTestPlatform();
    const auto reply64 =
        TMyMidiEvent::SysexBlock({0xF0, 0x1A, 0x03, 0x12, 0x03, 0x40, 0x10, 0x01, 0xF7});
    EXPECT_FALSE(w.HandleStatusReply(*reply64));
    w.PendingStatusReplies = 3;
    EXPECT_TRUE(w.HandleStatusReply(*reply64));
    EXPECT_EQ(w.UnitPresetNumber, 145);
    // Unknown item: consumed without effect.
    EXPECT_TRUE(w.HandleStatusReply(
        *TMyMidiEvent::SysexBlock({0xF0, 0x1A, 0, 0x12, 0x03, 0x05, 0x01, 0xF7})));
    // A truncated reply is still one, and reads no further than it goes.
    EXPECT_TRUE(w.HandleStatusReply(*TMyMidiEvent::SysexBlock({0xF0, 0x1A, 0, 0x12, 0x03})));
    EXPECT_EQ(w.PendingStatusReplies, 0);
    w.PendingStatusReplies = 1;
    EXPECT_FALSE(
        w.HandleStatusReply(*TMyMidiEvent::SysexBlock({0xF0, 0x43, 0, 0x12, 0x03, 0, 1, 0xF7})));
    EXPECT_FALSE(w.HandleStatusReply(*TMyMidiEvent::Short(0x90, 0x3C, 0x40)));
    EXPECT_EQ(w.PendingStatusReplies, 1);
}

TEST_F(MainWindowTest, InputOtherThanPendingRepliesGoesToTheMonitor) {
    auto& w = StartOnTestPlatform();
    platform.InjectSysex(0, Reply(0, 1), 0); // nothing pending: an ordinary event
    platform.InjectShort(0, 0x643C90, 0);
    Wait(20);
    w.FlushLog();
    EXPECT_EQ(w.LogCount(), 2);
    EXPECT_EQ(Status(), "Received 3 MIDI in bytes");
    EXPECT_NE(w.LogEvent(0), nullptr);
    w.PendingStatusReplies = 1;
    platform.InjectSysex(0, Reply(0, 1), 0);
    Wait(20);
    EXPECT_EQ(w.LogCount(), 2);
    EXPECT_EQ(w.PendingStatusReplies, 0);
}

TEST_F(MainWindowTest, OnlineCheckDoesNotNestInsideItself) {
    auto& w = StartOnTestPlatform();
    QTimer::singleShot(5, &w, [&w] { w.CheckOnline(); });
    w.CheckOnline();
    EXPECT_EQ(SentItemRequests(), (std::vector<int>{0, 9}));
    EXPECT_EQ(w.PendingStatusReplies, 2);
}

TEST_F(MainWindowTest, CurrentPresetNumberFromTheUnitOrMinusOne) {
    auto& w = StartOnUnit();
    const TBytes select144{0xF0, 0x1A, 0x00, 0x12, 0x09, 0x10, 0x01, 0xF7};
    w.MidiOut->SendLong(select144.data(), static_cast<std::uint16_t>(select144.size()));
    EXPECT_EQ(w.EditorOperations().QueryCurrentPresetNumber(), 145);
    window.reset();

    TUnitOptions silent;
    silent.Faults.Silent = true;
    auto& quiet = StartOnUnit(silent);
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(quiet.EditorOperations().QueryCurrentPresetNumber(), -1);
    // Each wait counts whole ticks of the millisecond clock, so it may end up to 1 ms early.
    EXPECT_GE(t.elapsed(), 2 * kDelay - 2);
    EXPECT_LT(t.elapsed(), 2 * kDelay + 500);
}

TEST_F(MainWindowTest, TheBuiltInUnitAnswersAsTheModelThePreExpressSwitchNames) {
    QTemporaryDir memory;
    TUnitOptions options;
    options.StatePath = memory.filePath("virtual-unit.state").toStdString();
    auto& w = StartOnUnit(options);
    const auto lastTable = [&]() -> std::vector<std::uint8_t> {
        for (int i = w.LogCount() - 1; i >= 0; --i)
            if (const TMyMidiEvent* event = w.LogEvent(i); event && event->Sysex.size() > 4)
                return event->Sysex;
        return {};
    };
    Item(w, "miGetMPT")->trigger();
    Wait(100);
    ASSERT_EQ(lastTable().size(), 406u);
    EXPECT_EQ(lastTable()[4], 0x13);

    Item(w, "miPreExpress")->trigger();
    EXPECT_TRUE(unit->PreExpress());
    Item(w, "miGetMPT")->trigger();
    Wait(100);
    ASSERT_EQ(lastTable().size(), 262u);
    EXPECT_EQ(lastTable()[4], 0x0C);
    EXPECT_EQ(unit->WithUnit([](const THrzVirtualUnit& u) { return u.Options().StatePath; }),
              memory.filePath("virtual-unit-pre-express.state").toStdString());

    Item(w, "miPreExpress")->trigger();
    EXPECT_FALSE(unit->PreExpress());
}

// ---- Requests, bank and bypass ----

TEST_F(MainWindowTest, RequestsUseTheCommandsOfTheMode) {
    auto& w = StartOnTestPlatform();
    Item(w, "miGetBulkDump")->trigger();
    EXPECT_EQ(Status(), "All Preset Request issued");
    EXPECT_EQ(w.pgcTab->currentWidget(), w.tsMonitor);
    Item(w, "miGetMPT")->trigger();
    EXPECT_EQ(Status(), "MPT Request issued");
    Item(w, "miPreExpress")->trigger();
    Item(w, "miGetBulkDump")->trigger();
    Item(w, "miGetMPT")->trigger();
    const auto sent = SentBytes();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0][4], 0x52);
    EXPECT_EQ(sent[1][4], 0x53);
    EXPECT_EQ(sent[2][4], 0x4B);
    EXPECT_EQ(sent[3], (TBytes{0xF0, 0x1A, 0x00, 0x12, 0x4C, 0xF7}));
    EXPECT_EQ(w.LastSentMessage, sent[3]);
}

TEST_F(MainWindowTest, BankSelectSendsOnlyTheFourBanksAndKeepsTheKnownBank) {
    auto& w = StartOnTestPlatform();
    w.SelectBank(4);
    w.SelectBank(-1);
    EXPECT_TRUE(SentBytes().empty());
    BankItem(w, 3)->trigger();
    EXPECT_EQ(SentBytes().back(), (TBytes{0xF0, 0x1A, 0x00, 0x12, 0x03, 0x09, 0x03, 0xF7}));
    EXPECT_EQ(Status(), "Bank D selected");
    EXPECT_EQ(w.CurrentBank, -1);
    EXPECT_NE(w.pgcTab->currentWidget(), w.tsMonitor);
}

TEST_F(MainWindowTest, BypassShowsItsTextBeforeSendingAndFlipsEvenWithOutputClosed) {
    auto& w = StartOnTestPlatform();
    platform.Fail(TMidiOp::OutLongMsg, MMSYSERR_ERROR);
    EXPECT_THROW(Item(w, "miBypass")->trigger(), EmidioutputError);
    EXPECT_TRUE(Item(w, "miBypass")->isChecked());
    EXPECT_EQ(Status(), "Bypass activation request sent");
    Item(w, "miBypass")->trigger(); // from the menu: Qt's own flip, one message
    EXPECT_FALSE(Item(w, "miBypass")->isChecked());
    EXPECT_EQ(SentBytes().back(), (TBytes{0xF0, 0x1A, 0x00, 0x12, 0x03, 0x00, 0x00, 0xF7}));
    EXPECT_EQ(Status(), "Bypass deactivation request sent");

    w.MidiOut->Close();
    platform.ClearSent();
    Item(w, "miBypass")->trigger();
    EXPECT_TRUE(Item(w, "miBypass")->isChecked());
    EXPECT_TRUE(SentBytes().empty());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "MIDI Out device not available");
    EXPECT_EQ(Status(), "Bypass deactivation request sent");
}

// ---- Keys ----

TEST_F(MainWindowTest, F10RequestsTheCurrentPresetOnTheDeviceChannel) {
    store->WriteInteger("MIDI_OUT_CH", 5);
    auto& w = StartOnTestPlatform();
    Key(w.memMsgBuf, Qt::Key_F10);
    EXPECT_EQ(SentBytes(), (std::vector<TBytes>{{0xF0, 0x1A, 0x05, 0x12, 0x45, 0xF7}}));
    EXPECT_EQ(w.pgcTab->currentWidget(), w.tsMonitor);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MainWindowTest, F10WithTheOutputClosedTellsTheUserAndSendsNothing) {
    auto& w = StartOnTestPlatform();
    w.MidiOut->Close();
    const QString before = Status();
    Key(w.memMsgBuf, Qt::Key_F10);
    EXPECT_TRUE(SentBytes().empty());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "MIDI Out device not available");
    EXPECT_EQ(Messages()[0].caption, "MIDI communications error");
    EXPECT_EQ(Status(), before);
}

// An editor's send (Auto send after every change) with no output open says so
// in words, not with the port's handle error.
TEST_F(MainWindowTest, AnEditorsSendNeedsAnOpenOutput) {
    auto& w = StartOnTestPlatform();
    TMemoryStream stream({0xF0, 0x1A, 0x00, 0xF7});
    QString text;
    w.EditorOperations().SendStream(stream, text);
    EXPECT_EQ(SentBytes(), (std::vector<TBytes>{{0xF0, 0x1A, 0x00, 0xF7}}));
    EXPECT_EQ(text, "MIDI data sent to MIDI Out");

    w.MidiOut->Close();
    platform.ClearSent();
    text.clear();
    try {
        w.EditorOperations().SendStream(stream, text);
        ADD_FAILURE() << "sent on a closed port";
    } catch (const EOutputNotOpen& e) {
        EXPECT_STREQ(e.what(), "MIDI Out device not available");
    }
    EXPECT_TRUE(SentBytes().empty());
    EXPECT_TRUE(text.isEmpty());
}

TEST_F(MainWindowTest, OnlyPlainCtrlCAbortsARun) {
    auto& w = StartOnTestPlatform();
    int key = Qt::Key_C;
    w.HandleFunctionKey(key, Qt::ControlModifier);
    EXPECT_EQ(key, Qt::Key_C); // outside a run Ctrl+C stays a copy command
    EXPECT_TRUE(SentBytes().empty());

    w.BackupRun().RunActive = true;
    RequestTimer(w)->start();
    Key(w.memMsgBuf, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(w.BackupRun().RunActive);
    Key(w.memMsgBuf, Qt::Key_C, Qt::ControlModifier);
    EXPECT_FALSE(w.BackupRun().RunActive);
    EXPECT_FALSE(RequestTimer(w)->isActive());
    EXPECT_EQ(Status(), "Procedure aborted");
    EXPECT_TRUE(Log().contains("Procedure aborted"));
    EXPECT_EQ(SentBytes(), (std::vector<TBytes>{{0xB0, 0x00, 0x00}, {0xB0, 0x20, 0x00}}));
}

// ---- Port failures ----

TEST_F(MainWindowTest, PortErrorsReachTheErrorDisplayWithThePortsText) {
    auto& w = StartOnTestPlatform();
    platform.SetErrorText(MMSYSERR_ERROR, "The cable fell out");
    platform.Fail(TMidiOp::OutLongMsg, MMSYSERR_ERROR, -1);
    try {
        Item(w, "miGetCurrentPreset")->trigger();
        FAIL() << "no error";
    } catch (const EmidioutputError& e) {
        EXPECT_EQ(std::string(e.what()), "The cable fell out");
    }
    // From the menu, the application's handler shows it and the program goes on.
    QTimer::singleShot(0, &w, [&w] { Item(w, "miGetCurrentPreset")->trigger(); });
    Wait(20);
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().back().text, "The cable fell out");
    platform.ClearFailures();
    Item(w, "miGetCurrentPreset")->trigger();
    EXPECT_EQ(SentBytes().back(), kCurrentPresetRequest);
}
