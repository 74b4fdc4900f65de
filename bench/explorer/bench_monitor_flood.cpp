// The monitor under a flood: a producer thread plays short messages into the
// scriptable MIDI platform at multiples of the MIDI wire rate; the window
// thread drains the input port into the 500-line log. Reports the events per
// second turned into log lines, the ratio to the wire rate, ring overflows and
// the longest stall of the window thread. Target: the monitor logs at least 20
// times the wire rate without losing a message.
#include "explorer/midi_explorer.h"
#include "midi/input_capacity.h"
#include "settings/lv_reg_util.h"
#include "settings/qt_registry_layer.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_app.h"
#include "tests/support/test_midi_platform.h"

#include <QElapsedTimer>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr double kWireRate = kMidiWireMessagesPerSecond;
constexpr double kTargetMultiple = 20;
// A rate counts when nothing was lost and, over the whole row until the
// backlog drained, nearly the offered rate was logged. A row that falls a
// little behind (a stall of the machine at its start) does not end the
// measurement; only a loss does.
constexpr double kRateReached = 0.95;

class TCountingExplorer : public TfrmMIDIExplorer {
public:
    void AddLogLine(const QString& text) override {
        ++lines;
        TfrmMIDIExplorer::AddLogLine(text);
    }
    long lines = 0;
};

struct TResult {
    double offered = 0, handled = 0, seconds = 0;
    long injected = 0, logged = 0, overflows = 0;
    qint64 worstStallMs = 0;
};

TResult Run(TTestMidiPlatform& platform, TCountingExplorer& window, double rate, double seconds) {
    std::atomic<bool> done{false};
    std::atomic<long> injected{0};
    long overflows = 0;
    window.MidiIn->OnOverflow = [&](QObject*) { ++overflows; };
    const long linesBefore = window.lines;

    // The window thread's responsiveness: how late a 10 ms timer fires.
    QElapsedTimer sinceTick;
    qint64 worst = 0;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout,
                     [&] { worst = std::max(worst, sinceTick.restart() - 10); });
    sinceTick.start();
    tick.start();

    std::atomic<qint64> firstInjectionNs{-1};
    QElapsedTimer wall;
    wall.start();
    std::thread producer([&] {
        using clock = std::chrono::steady_clock;
        const auto start = clock::now();
        firstInjectionNs = wall.nsecsElapsed();
        const auto end = start + std::chrono::duration<double>(seconds);
        long sent = 0;
        while (clock::now() < end) {
            const double elapsed = std::chrono::duration<double>(clock::now() - start).count();
            const long due = static_cast<long>(elapsed * rate);
            for (; sent < due; ++sent)
                platform.InjectShort(0, 0x00403C90u | ((sent & 0x7F) << 8),
                                     static_cast<std::uint32_t>(sent));
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        injected = sent;
        done = true;
    });

    while (!done || window.MidiIn->PendingEventCount() != 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
    producer.join();
    tick.stop();

    TResult r;
    // From the first message offered to the last one logged.
    r.seconds = static_cast<double>(wall.nsecsElapsed() - firstInjectionNs) / 1e9;
    r.injected = injected;
    r.logged = window.lines - linesBefore;
    r.overflows = overflows;
    r.offered = rate;
    r.handled = static_cast<double>(r.logged) / r.seconds;
    r.worstStallMs = worst;
    window.MidiIn->OnOverflow = nullptr;
    return r;
}

} // namespace

int main() {
    TestApp();
    TScopedDialogService dialogs;
    TTestMidiPlatform platform;
    platform.AddInputDevice("Flood In");
    platform.AddOutputDevice("Flood Out");
    SetMidiPlatform(&platform);
    QTemporaryDir dir;
    TlvRegUtil store(std::make_unique<TQtRegistryLayer>(dir.filePath("bench.ini")));
    store.SetPath("\\SOFTWARE\\Lumivale/HRZ2000e");
    double best = 0;
    {
        TCountingExplorer window;
        window.InitializeWindow(&store, "HRZ2000e");
        window.resize(1000, 700);
        if (!qEnvironmentVariableIsSet("HRZ_BENCH_HIDDEN"))
            window.show();
        if (!qEnvironmentVariableIsSet("HRZ_BENCH_FILES_TAB"))
            window.pgcTab->setCurrentWidget(window.tsMonitor);

        std::printf("wire rate: %.0f three-byte messages/s\n", kWireRate);
        std::printf("%8s %10s %10s %10s %8s %10s %9s\n", "x wire", "offered/s", "logged/s", "ratio",
                    "lost", "overflows", "stall ms");
        for (double factor : {1.0, 10.0, 20.0, 40.0, 80.0, 160.0, 320.0}) {
            const TResult r = Run(platform, window, kWireRate * factor, 2.0);
            const bool lossless = r.injected == r.logged && r.overflows == 0;
            const bool reached = lossless && r.handled >= r.offered * kRateReached;
            std::printf("%8.0f %10.0f %10.0f %9.1fx %8ld %10ld %9lld%s\n", factor, r.offered,
                        r.handled, r.handled / kWireRate, r.injected - r.logged, r.overflows,
                        static_cast<long long>(r.worstStallMs),
                        reached ? "" : (lossless ? "  (behind the offered rate)" : "  LOSS"));
            if (!lossless)
                break;
            if (reached)
                best = factor;
        }
        std::printf("log lines kept: %d (cap 500)\n", window.LogCount());
    }
    SetMidiPlatform(nullptr);
    std::printf("Highest rate logged without loss: %.0fx the MIDI wire rate (target %.0fx)\n", best,
                kTargetMultiple);
    std::printf("ratio: %.0f\n", best);
    return best >= kTargetMultiple ? 0 : 1;
}
