// The run's preset requests, its watchdog and a run over the virtual unit.
#include "midi/midi_output.h"
#include "model/safe_file_name.h"
#include "tests/app/window/main_window_fixture.h"
#include "tests/support/manual_tick_source.h"
#include "unit/factory_presets.h"

#include <QDir>
#include <QFile>

namespace {

// Installs a manual clock for the lifetime of the guard.
class TScopedClock {
public:
    TScopedClock() : clock(100000, 1) { SetTickSource(&clock); }
    ~TScopedClock() { SetTickSource(nullptr); }
    TManualTickSource clock;
};

} // namespace

TEST_F(MainWindowTest, PresetTwoHundredByNumberAndByProgramChange) {
    store->WriteInteger("MIDI_OUT_CH", 5);
    auto& w = StartOnTestPlatform();
    TScriptedReplies replies(platform);
    // The unit says it is on preset 200 (index 199: 0x47 and the high flag).
    replies.Reply(64, {0xF0, 0x1A, 0x05, 0x12, 0x03, 0x40, 0x47, 0x01, 0xF7});
    w.BackupRun().RunActive = true;
    w.BackupRun().RunPresetIndex = 199;
    w.BackupRun().RequestPreset();
    EXPECT_EQ(SentBytes(), (std::vector<TBytes>{{0xF0, 0x1A, 0x05, 0x12, 0x09, 0x47, 0x01, 0xF7},
                                                {0xF0, 0x1A, 0x05, 0x12, 0x43, 0x40, 0xF7},
                                                {0xF0, 0x1A, 0x05, 0x12, 0x45, 0xF7}}));
    EXPECT_EQ(Status(), "Requested preset #200");

    // By program change the unit's table names the preset to expect: here 200.
    platform.ClearSent();
    replies.Restart();
    w.BackupRun().RunByPresetNumber = false;
    w.BackupRun().RunTable.emplace();
    (*w.BackupRun().RunTable)[199] = 199;
    w.BackupRun().RequestPreset();
    const auto sent = SentBytes();
    ASSERT_EQ(sent.size(), 5u);
    // Short messages go out on MIDI channel 1 whatever the device channel.
    EXPECT_EQ(sent[0], (TBytes{0xB0, 0x00, 0x00}));
    EXPECT_EQ(sent[1], (TBytes{0xB0, 0x20, 0x01}));
    EXPECT_EQ(sent[2][0], 0xC0);
    EXPECT_EQ(sent[2][1], 0x47);
    EXPECT_EQ(sent[3][4], 0x43);
    EXPECT_EQ(sent[4][4], 0x45);

    platform.ClearSent();
    replies.Restart();
    w.BackupRun().RunByPresetNumber = true;
    w.BackupRun().RunPresetIndex = 127;
    replies.Reply(64, {0xF0, 0x1A, 0x05, 0x12, 0x03, 0x40, 0x7F, 0x00, 0xF7});
    w.BackupRun().RequestPreset();
    EXPECT_EQ(SentBytes()[0], (TBytes{0xF0, 0x1A, 0x05, 0x12, 0x09, 0x7F, 0x00, 0xF7}));
    EXPECT_EQ(SentBytes().back(), (TBytes{0xF0, 0x1A, 0x05, 0x12, 0x45, 0xF7}));
}

// The unit answers for another preset, then not at all: two more selects, and
// without confirmation the preset is not asked for but left, logged and counted.
TEST_F(MainWindowTest, APresetTheUnitIsNotConfirmedOnIsSelectedThriceThenLeft) {
    auto& w = StartOnTestPlatform();
    TScriptedReplies replies(platform);
    replies.Reply(64, Reply(64, 4)); // preset 5
    w.BackupRun().RunActive = true;
    w.BackupRun().RunPresetIndex = 6;
    w.BackupRun().RunLastIndex = 6;
    w.CurrentBank = 1;
    w.BackupRun().RequestPreset();
    int selects = 0;
    for (const auto& b : SentBytes()) {
        EXPECT_NE(b, (TBytes{0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7})) << "asked for a dump";
        selects += b.size() == 8 && b[4] == 0x09 ? 1 : 0;
    }
    EXPECT_EQ(selects, 3);
    EXPECT_EQ(SentItemRequests(), (std::vector<int>{64, 64, 64}));
    EXPECT_EQ(Log(), (QStringList{"Preset #7: the unit is on preset 5; selecting it again",
                                  "Preset #7: the unit is on preset 5; selecting it again",
                                  "Preset #7 could not be selected (the unit stayed on preset "
                                  "5): not saved"}));
    EXPECT_EQ(w.BackupRun().RunUnconfirmed, QStringList{"B 007"});
    EXPECT_FALSE(w.BackupRun().RunAwaitingDump);
    w.BackupRun().RunActive = false;
}

TEST_F(MainWindowTest, RunAbortedDuringTheRequestDelayAsksForNothingMore) {
    auto& w = StartOnTestPlatform();
    w.BackupRun().RunActive = true;
    w.BackupRun().RunPresetIndex = 3;
    w.BackupRun().OriginalBank = 2;
    w.CurrentBank = 0;
    QTimer::singleShot(5, &w, [&w] {
        int key = Qt::Key_C;
        w.HandleFunctionKey(key, Qt::ControlModifier);
    });
    w.BackupRun().RequestPreset();
    const auto sent = SentBytes();
    // The select, the two controller resets, and the unit back on its bank.
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0][4], 0x09);
    EXPECT_EQ(sent[1], (TBytes{0xB0, 0x00, 0x00}));
    EXPECT_EQ(sent[3], (TBytes{0xF0, 0x1A, 0x00, 0x12, 0x03, 0x09, 0x02, 0xF7}));
    EXPECT_EQ(w.CurrentBank, 2);
    EXPECT_EQ(Log(), (QStringList{"Stopped at preset A 004, before it was received",
                                  "Procedure aborted"}));
}

TEST_F(MainWindowTest, WatchdogRepeatsAStalledRequestAfterTenSeconds) {
    auto& w = StartOnTestPlatform();
    TScopedClock time;
    TScriptedReplies replies(platform);
    replies.Reply(64, Reply(64, 9)); // on preset 10
    w.BackupRun().RunActive = true;
    w.BackupRun().RunPresetIndex = 9;
    // Nothing received yet in this program: the first tick repeats the request.
    FireRequestTimer(w);
    EXPECT_EQ(Log(), (QStringList{"Last request timed out; restarting", "Press Ctrl-c to abort"}));
    EXPECT_EQ(Status(), "Requested preset #10");
    EXPECT_EQ(SentBytes().back(), (TBytes{0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7}));

    platform.ClearSent();
    replies.Restart();
    w.BackupRun().RunReceptionSeen = true;
    w.BackupRun().LastReceptionTick = tick::GetTickCount();
    time.clock.Advance(9000);
    FireRequestTimer(w);
    EXPECT_TRUE(SentBytes().empty());
    time.clock.Advance(1100);
    FireRequestTimer(w);
    EXPECT_EQ(SentBytes().size(), 3u); // select, preset number, dump
    EXPECT_EQ(w.LogCount(), 4);
}

TEST_F(MainWindowTest, DuringARunOnlyWholePresetDumpsCount) {
    auto& w = StartOnTestPlatform();
    w.BackupRun().RunActive = true;
    w.BackupRun().RunSaveFiles = false;
    w.BackupRun().RunPresetIndex = 0;
    w.BackupRun().RunLastIndex = 5;
    w.BackupRun().RunAwaitingDump = true;
    w.PendingStatusReplies = 1;
    platform.InjectSysex(0, Reply(0, 1), 0);
    platform.InjectShort(0, 0x00C0, 0);
    platform.InjectSysex(0, TBytes(251, 0x01), 0);
    Wait(20);
    w.FlushLog();
    EXPECT_EQ(w.LogCount(), 0);
    EXPECT_EQ(w.PendingStatusReplies, 1);
    EXPECT_EQ(w.BackupRun().RunPresetIndex, 0);

    // A dump is handled (the next one requested) and, when not saving, logged.
    TScriptedReplies replies(platform);
    replies.Reply(64, Reply(64, 1)); // on preset 2
    platform.InjectSysex(0, PresetDump("Clean"), 0);
    WaitFor(
        [&] {
            const auto sent = SentBytes();
            return !sent.empty() && sent.back() == TBytes{0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7};
        },
        2000);
    w.FlushLog();
    EXPECT_EQ(w.BackupRun().RunPresetIndex, 1);
    EXPECT_EQ(w.MessageBufferCount, 252u);
    EXPECT_EQ(BufferTitle(w), "Clean");
    ASSERT_EQ(w.LogCount(), 1);
    EXPECT_NE(w.LogEvent(0), nullptr);
    EXPECT_EQ(SentBytes().back(), (TBytes{0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7}));
}

TEST_F(MainWindowTest, RunOverTheUnitSavesEachBankAndRestoresTheOriginalBank) {
    auto& w = StartOnUnit();
    const QString out = dir.filePath("out") + "/";
    ASSERT_TRUE(QDir().mkpath(out + "Bank A"));
    w.BackupRun().OutputDirectory = out;
    w.BackupRun().RunSaveFiles = true;
    w.BackupRun().RunBanks = {true, false, true, false};
    w.BackupRun().RunByPresetNumber = true;
    w.BackupRun().OriginalBank = 1;
    w.CurrentBank = 0;
    w.SelectBank(0);
    w.BackupRun().RunPresetIndex = 20; // 21..23 holds an untitled preset (n % 23 == 22)
    w.BackupRun().RunLastIndex = 23;
    w.BackupRun().RunActive = true;
    w.BackupRun().RequestPreset();
    for (int i = 0; i < 400 && w.BackupRun().RunActive; ++i)
        Wait(10);
    ASSERT_FALSE(w.BackupRun().RunActive);

    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Procedure is complete");
    EXPECT_EQ(Messages()[0].caption, "Congratulations...");
    EXPECT_EQ(unit->WithUnit([](const THrzVirtualUnit& u) { return u.Memory().CurrentBank; }), 1);
    EXPECT_EQ(w.CurrentBank, 1);

    const auto expect = [&](int bank, int index) {
        const std::string title = FactoryPresetTitle(bank, index);
        const QString folder = out + "Bank " + QChar('A' + bank) + "/";
        if (title.empty()) {
            EXPECT_TRUE(
                Log().contains(QString("Preset #%1 is untitled (not saved)").arg(index + 1)));
            return;
        }
        const QString name = QString::fromStdString(SafeFileName(
            title + ".hrz" + QString("%1").arg(index + 1, 3, 10, QChar('0')).toStdString()));
        QFile file(folder + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        const QByteArray bytes = file.readAll();
        ASSERT_EQ(bytes.size(), 252);
        EXPECT_EQ(static_cast<std::uint8_t>(bytes[4]), 0x05);
    };
    // Bank A from the first number, bank C from preset 1, each up to the last.
    for (int i = 20; i <= 23; ++i)
        expect(0, i);
    for (int i = 0; i <= 23; ++i)
        expect(2, i);
    EXPECT_TRUE(Log().contains("Created subdirectory for bank C"));
    EXPECT_TRUE(Log().contains("Begin processing Bank C"));
}
