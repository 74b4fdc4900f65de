#include "tests/explorer/explorer_fixture.h"

#include <QClipboard>
#include <QListView>
#include <QTabWidget>

namespace {

// An explorer that records what the main window would do with the buffer.
class TRecordingExplorer : public TfrmMIDIExplorer {
public:
    void OpenBufferInEditor() override { opened.push_back(BufferBytes()); }
    std::vector<std::vector<std::uint8_t>> opened;
};

class MonitorTest : public ExplorerTest {
protected:
    TRecordingExplorer& StartRecording() {
        AddDevices();
        auto w = std::make_unique<TRecordingExplorer>();
        recorder = w.get();
        window = std::move(w);
        window->InitializeWindow(store.get(), "HRZ2000e");
        return *recorder;
    }
    int Count() { return window->LogCount(); }
    QString Text(int i) { return window->LogText(i); }
    void SetCurrent(int row) {
        window->FlushLog();
        window->lbxLog->setCurrentIndex(window->lbxLog->model()->index(row, 0));
    }
    void Select(int row) {
        window->FlushLog();
        window->lbxLog->selectionModel()->select(window->lbxLog->model()->index(row, 0),
                                                 QItemSelectionModel::Select);
    }
    void DoubleClick(int row) {
        SetCurrent(row);
        window->lbxLogDblClick();
    }
    TRecordingExplorer* recorder = nullptr;
};

} // namespace

TEST_F(MonitorTest, ReceivedEventsBecomeLinesThatOwnThem) {
    StartRecording();
    platform.InjectShort(0, 0x05C0, 0x10002);
    platform.InjectSysex(0, {0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7}, 7);
    Pump();
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(Text(0), "Program Change C0 05     00010002");
    EXPECT_EQ(Text(1), "Sysex (6): F0 1A 00 12 45 F7 ");
    ASSERT_NE(window->LogEvent(1), nullptr);
    EXPECT_EQ(window->LogEvent(1)->Sysex.size(), 6u);
    EXPECT_EQ(window->StatusText(0), "Received 6 MIDI in bytes");
    EXPECT_EQ(platform.QueuedBufferCount(0), 16u);
}

TEST_F(MonitorTest, TheLogKeepsFiveHundredEventLinesDroppingTheOldest) {
    StartRecording();
    window->AddLogLine("plain line");
    for (int i = 0; i < 520; ++i)
        window->AddEventLine(TMyMidiEvent::Short(0x90, static_cast<std::uint8_t>(i & 0x7F), 1,
                                                 static_cast<std::uint32_t>(i)));
    EXPECT_EQ(Count(), 500);
    // The plain line went first, then the oldest events.
    EXPECT_EQ(window->LogEvent(0)->Time, 20u);
    EXPECT_EQ(window->LogEvent(499)->Time, 519u);
    EXPECT_EQ(window->CurrentLogLine(), 499);
    EXPECT_EQ(window->lbxLog->model()->rowCount(), 500);
    // Plain lines do not count until the next event line.
    window->AddLogLine("a");
    window->AddLogLine("b");
    EXPECT_EQ(Count(), 502);
    window->AddEventLine(TMyMidiEvent::Short(0x80, 1, 1));
    EXPECT_EQ(Count(), 502);
}

TEST_F(MonitorTest, LongSysexLinesAreCutTo255Characters) {
    StartRecording();
    window->AddEventLine(TMyMidiEvent::SysexBlock(std::vector<std::uint8_t>(200, 0x11)));
    EXPECT_EQ(Text(0).size(), 255);
    EXPECT_TRUE(Text(0).startsWith("Sysex (200): 11 11"));
    // The event keeps all its bytes.
    EXPECT_EQ(window->LogEvent(0)->Sysex.size(), 200u);
}

TEST_F(MonitorTest, DoubleClickLoadsOpensOrSendsPerTheChosenAction) {
    auto& w = StartRecording();
    w.AddEventLine(TMyMidiEvent::Short(0xC0, 0x05, 0x00));
    w.AddEventLine(TMyMidiEvent::SysexBlock({0xF0, 0x7E, 0xF7}));
    w.AddLogLine("Device is online");

    DoubleClick(0);
    EXPECT_EQ(MemoText(), "C0 05 ");
    EXPECT_EQ(w.MessageBufferCount, 3u);
    EXPECT_TRUE(w.opened.empty());
    EXPECT_TRUE(platform.Sent().empty());

    w.pmiSetLogEdit->trigger();
    EXPECT_EQ(store->ReadInteger("DBL_CLICK_LOG_ACTION", false, -1), 1);
    DoubleClick(1);
    ASSERT_EQ(w.opened.size(), 1u);
    EXPECT_EQ(w.opened[0], (std::vector<std::uint8_t>{0xF0, 0x7E, 0xF7}));

    w.pmiSetLogSend->trigger();
    DoubleClick(1);
    ASSERT_EQ(platform.Sent().size(), 1u);
    EXPECT_EQ(platform.Sent()[0].Bytes, (std::vector<std::uint8_t>{0xF0, 0x7E, 0xF7}));
}

TEST_F(MonitorTest, PlainLinesCarryNoDataToActOn) {
    auto& w = StartRecording();
    w.AddLogLine("Device is online");
    SetMemo("F0 F7 ");
    w.pmiSetLogEdit->trigger();
    DoubleClick(0);
    EXPECT_EQ(w.StatusText(0), "The selected item cannot be edited");
    EXPECT_EQ(MemoText(), "F0 F7 ");
    EXPECT_TRUE(w.opened.empty());
    w.pmiSetLogSend->trigger();
    DoubleClick(0);
    EXPECT_EQ(w.StatusText(0), "MIDI data is unavailable for the selected item");
    EXPECT_TRUE(platform.Sent().empty());
}

TEST_F(MonitorTest, TheTabSaysWhenEventsCameInWhileHidden) {
    auto& w = StartRecording();
    const int monitor = w.pgcTab->indexOf(w.tsMonitor);
    ASSERT_EQ(w.pgcTab->currentWidget(), w.tsExplorer);
    w.AddEventLine(TMyMidiEvent::Short(0x90, 60, 100));
    EXPECT_EQ(w.pgcTab->tabText(monitor), "MIDI Monitor: events received");
    w.pgcTab->setCurrentIndex(monitor);
    EXPECT_EQ(w.pgcTab->tabText(monitor), "MIDI Monitor");
    w.AddEventLine(TMyMidiEvent::Short(0x90, 60, 100));
    EXPECT_EQ(w.pgcTab->tabText(monitor), "MIDI Monitor");
}

TEST_F(MonitorTest, PopupCopiesDeletesAndClearsSelectedLines) {
    auto& w = StartRecording();
    for (const char* t : {"zero", "one", "two", "three"})
        w.AddLogLine(t);
    w.UpdateLogMenu();
    EXPECT_FALSE(w.pmiDelete->isEnabled());
    EXPECT_FALSE(w.pmiCopySelectedText->isEnabled());
    EXPECT_TRUE(w.pmiClearinputLog->isEnabled());

    Select(3);
    Select(1);
    w.UpdateLogMenu();
    EXPECT_TRUE(w.pmiDelete->isEnabled());
    w.pmiCopySelectedText->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "one\r\nthree\r\n");
    w.pmiDelete->trigger();
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(Text(0), "zero");
    EXPECT_EQ(Text(1), "two");
    w.miClearIn->trigger();
    EXPECT_EQ(Count(), 0);
    w.UpdateLogMenu();
    EXPECT_FALSE(w.pmiClearinputLog->isEnabled());
}

TEST_F(MonitorTest, AFloodIsDrainedCompletelyByOneNotification) {
    StartRecording();
    for (int i = 0; i < 300; ++i)
        platform.InjectShort(0, 0x403C90u, static_cast<std::uint32_t>(i));
    Pump();
    EXPECT_EQ(Count(), 300);
    EXPECT_EQ(window->LogEvent(299)->Time, 299u);
}
