// The running workbench under floods and faults: more input than the ring holds,
// sysex far beyond the buffers, a device that goes away and comes back, a
// settings store that cannot be written.
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "tests/explorer/explorer_fixture.h"

#include <QMenu>
#include <QTimer>

using namespace mm;

namespace {

class FaultTest : public ExplorerTest {
protected:
    // Opens and closes the menu as a user does, so it lists what is there now.
    static QStringList OpenMenu(QMenu* menu,
                                const std::vector<std::unique_ptr<TlvMIDIMenuItem>>& items) {
        menu->popup(QPoint(0, 0));
        Pump();
        menu->hide();
        QStringList names;
        for (const auto& item : items)
            names << item->DeviceName();
        return names;
    }
};

} // namespace

TEST_F(FaultTest, AFloodAboveTheRingsCapacityIsCountedAndTheLogStaysAt500Lines) {
    AddDevices();
    auto& w = Start();
    const int capacity = w.MidiIn->Capacity();
    for (int i = 0; i < 3 * capacity; ++i)
        platform.InjectShort(0, 0x403C90u, static_cast<std::uint32_t>(i)); // nobody reads meanwhile
    for (int i = 0; i < 40; ++i)
        platform.InjectSysex(0, {0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7}, 1);
    Pump();
    w.FlushLog();
    EXPECT_EQ(w.LogCount(), TfrmMIDIExplorer::kMaxLogLines);
    EXPECT_GT(w.LostInputEvents, 0);
    EXPECT_TRUE(w.StatusText(0).contains("MIDI in events lost")) << w.StatusText(0).toStdString();
    // Reception goes on: the buffers of lost sysex items were queued again.
    platform.InjectSysex(0, {0xF0, 0x43, 0xF7}, 2);
    Pump();
    w.FlushLog();
    EXPECT_EQ(w.LogText(w.LogCount() - 1), "Sysex (3): F0 43 F7 ");
}

TEST_F(FaultTest, SysexOfTenThousandAndOneBytesAndOfAMegabyte) {
    AddDevices();
    auto& w = Start();
    const std::size_t buffer = w.MidiIn->SysexBufferSize();
    std::vector<std::uint8_t> dump(10001, 0x11);
    dump.front() = 0xF0;
    dump.back() = 0xF7;
    EXPECT_EQ(platform.InjectSysex(0, dump, 1), dump.size());
    Pump();
    w.FlushLog();
    // One line per buffer the driver filled, the last one with the end byte.
    ASSERT_EQ(w.LogCount(), static_cast<int>((dump.size() + buffer - 1) / buffer));
    std::size_t seen = 0;
    for (int i = 0; i < w.LogCount(); ++i)
        seen += w.LogEvent(i)->Sysex.size();
    EXPECT_EQ(seen, dump.size());
    EXPECT_EQ(w.LogEvent(w.LogCount() - 1)->Sysex.back(), 0xF7);

    std::vector<std::uint8_t> huge(1 << 20, 0x22);
    huge.front() = 0xF0;
    huge.back() = 0xF7;
    const std::size_t taken = platform.InjectSysex(0, huge, 2);
    EXPECT_LT(taken, huge.size()) << "what finds no buffer is lost, not kept without bound";
    Pump();
    platform.InjectSysex(0, {0xF0, 0x43, 0xF7}, 3);
    Pump();
    w.FlushLog();
    EXPECT_EQ(w.LogText(w.LogCount() - 1), "Sysex (3): F0 43 F7 ");
    EXPECT_LE(w.LogCount(), TfrmMIDIExplorer::kMaxLogLines);
}

TEST_F(FaultTest, ADeviceThatGoesAwayFailsWithItsTextAndIsFoundWhenItIsBack) {
    AddDevices(1, 2);
    auto& w = Start();
    w.OutputDeviceItems[1]->MenuItem()->trigger();
    ASSERT_TRUE(platform.IsOutputOpen(1));
    SetMemo("F0 7E 00 06 01 F7 ");

    // Unplugged while open: sending fails with the port's own text, nothing else breaks.
    platform.RemoveOutputDevice(1);
    platform.Fail(TMidiOp::OutLongMsg, MIDIERR_NODEVICE, -1);
    Key(w.memMsgBuf, Qt::Key_F9);
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(LastMessage().toStdString(), w.MidiOut->ErrorText(MIDIERR_NODEVICE));
    EXPECT_EQ(OpenMenu(w.miMIDIOut, w.OutputDeviceItems), QStringList{"Test Out 0"});

    // Plugged in again: the menu lists it when it opens, and choosing it works.
    platform.ClearFailures();
    platform.AddOutputDevice("Test Out 1");
    EXPECT_EQ(OpenMenu(w.miMIDIOut, w.OutputDeviceItems),
              (QStringList{"Test Out 0", "Test Out 1"}));
    w.OutputDeviceItems[1]->MenuItem()->trigger();
    EXPECT_TRUE(w.OutputDeviceItems[1]->MenuItem()->isChecked());
    EXPECT_EQ(w.StatusText(0), "Test Out 1 opened for output");
    platform.ClearSent();
    Key(w.memMsgBuf, Qt::Key_F9);
    ASSERT_EQ(platform.Sent().size(), 1u);
    EXPECT_EQ(platform.Sent()[0].DeviceId, 1);

    // The same for input: a new device appears in the MIDI In menu.
    platform.AddInputDevice("Test In 1");
    EXPECT_EQ(OpenMenu(w.miMIDIIn, w.InputDeviceItems), (QStringList{"Test In 0", "Test In 1"}));
    EXPECT_TRUE(w.InputDeviceItems[0]->MenuItem()->isChecked()) << "the open one keeps its tick";
}

TEST_F(FaultTest, ASettingsStoreThatCannotBeWrittenIsReportedAndTheWindowRuns) {
    AddDevices();
    // A settings file whose folder is a file: no write can succeed (even as root).
    QFile blocker(dir.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    store = std::make_unique<TlvRegUtil>(
        std::make_unique<TQtRegistryLayer>(dir.filePath("blocked/settings.ini")));
    store->SetPath(kPath);
    auto& w = Start();
    // Chosen from the event loop, as a click is: the channel is stored at once.
    QTimer::singleShot(0, w.miChannel[4], &QAction::trigger);
    Pump();
    ASSERT_FALSE(Messages().empty());
    EXPECT_TRUE(LastMessage().contains("Cannot write the settings file"))
        << LastMessage().toStdString();
    SetMemo("F0 F7 ");
    platform.ClearSent();
    w.miSendClick();
    EXPECT_EQ(platform.Sent().size(), 1u) << "the window keeps working";
}
