// Ingestion of short messages: a producer thread plays the platform's callback
// thread at a fixed rate; the window thread drains the input port, opened with
// the workbench's ring, through posted notifications. Reports the highest rate
// sustained without losing or reordering a message, as a multiple of the MIDI
// 1.0 wire rate. Target: 100 times. Meant to be run also while the machine is
// busy (for example beside two `sh -c 'while :; do :; done' &`).
//
// Usage: bench_midi_ingest [seconds per rate, default 2]
#include "midi/input_capacity.h"
#include "midi/midi_input.h"
#include "tests/support/test_midi_platform.h"

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kTargetMultiple = 100;
// A paced row counts only when the producer kept up with its schedule.
constexpr double kRateReached = 0.95;

struct TRun {
    std::uint32_t Sent = 0;
    std::uint32_t Received = 0;
    std::uint32_t Reordered = 0; // arrived after a later one
    std::uint32_t Missing = 0;   // skipped over (lost), counted once each
    int Overflows = 0;
    double SendSeconds = 0; // first to last message sent
    double Seconds = 0;     // until the last one was taken
    double AchievedRate() const { return SendSeconds > 0 ? Sent / SendSeconds : 0; }
    bool Lossless() const {
        return Received == Sent && Reordered == 0 && Missing == 0 && Overflows == 0;
    }
};

// rate 0: as fast as the producer can go while staying within the ring.
TRun Run(TTestMidiPlatform& platform, double rate, double seconds) {
    TMidiInput port;
    port.SetCapacity(kWorkbenchInputCapacity);
    TRun run;
    std::atomic<std::uint32_t> received{0};
    std::uint32_t next = 0; // the sequence number expected next
    port.OnMidiInput = [&](QObject*) {
        while (auto event = port.ReadEvent()) {
            const std::uint32_t n = event->Time;
            if (n < next) {
                ++run.Reordered;
            } else {
                run.Missing += n - next;
                next = n + 1;
            }
            received.fetch_add(1, std::memory_order_release);
        }
    };
    port.OnOverflow = [&](QObject*) { ++run.Overflows; };
    port.Open();
    port.Start();

    const auto total = static_cast<std::uint32_t>(rate > 0 ? rate * seconds : 300'000);
    std::atomic<bool> stop{false};
    std::atomic<bool> producing{true};
    Clock::time_point lastSent;
    const auto start = Clock::now();
    std::thread producer([&] {
        const std::uint32_t window = kWorkbenchInputCapacity / 2;
        for (std::uint32_t n = 0; n < total && !stop; ++n) {
            if (rate > 0) {
                const auto due = start + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(n / rate));
                while (Clock::now() < due && !stop)
                    std::this_thread::yield();
            } else {
                while (n - received.load(std::memory_order_acquire) >= window && !stop)
                    std::this_thread::yield();
            }
            platform.InjectShort(0, 0x403C90, n);
        }
        lastSent = Clock::now();
        producing = false;
    });
    const auto deadline = start + std::chrono::duration<double>(seconds * 3 + 30);
    while ((producing || received.load() + run.Overflows < total) && Clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    stop = true;
    producer.join();
    QCoreApplication::sendPostedEvents();
    run.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.SendSeconds = std::chrono::duration<double>(lastSent - start).count();
    run.Sent = total;
    run.Received = received.load();
    // Lost at the end leave no later message to show the gap.
    if (next < total)
        run.Missing += total - next;
    port.Close();
    QCoreApplication::sendPostedEvents();
    return run;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QCoreApplication application(argc, argv);
    const double seconds = argc > 1 ? std::max(0.1, std::atof(argv[1])) : 2.0;
    TTestMidiPlatform platform;
    platform.AddInputDevice("Bench In");
    SetMidiPlatform(&platform);

    std::printf("MIDI 1.0 wire rate: %.0f three-byte messages/s; input ring %u items "
                "(%.2f s at %.0fx); %.1f s per rate\n",
                kMidiWireMessagesPerSecond, kWorkbenchInputCapacity,
                kWorkbenchInputCapacity / (kMidiWireMessagesPerSecond * kTargetMultiple),
                kTargetMultiple, seconds);
    double best = 0;
    for (double multiple : {10.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0}) {
        const double rate = kMidiWireMessagesPerSecond * multiple;
        const TRun run = Run(platform, rate, seconds);
        const bool reached = run.AchievedRate() >= rate * kRateReached;
        std::printf("  %6.0fx (%9.0f msg/s): achieved %9.0f msg/s (%6.0fx), sent %8u received "
                    "%8u lost %u overflow %d reordered %u -> %s\n",
                    multiple, rate, run.AchievedRate(),
                    run.AchievedRate() / kMidiWireMessagesPerSecond, run.Sent, run.Received,
                    run.Missing, run.Overflows, run.Reordered,
                    !run.Lossless() ? "LOSS"
                    : reached       ? "lossless"
                                    : "lossless, but the producer fell behind its rate");
        if (!run.Lossless() || !reached)
            break;
        best = multiple;
    }
    const TRun flat = Run(platform, 0, 0);
    const double throughput = flat.Received / flat.Seconds;
    std::printf("Unpaced with flow control: %u messages in %.3f s = %.0f msg/s (%.0fx wire rate), "
                "%s\n",
                flat.Received, flat.Seconds, throughput, throughput / kMidiWireMessagesPerSecond,
                flat.Lossless() ? "lossless" : "LOSS");
    std::printf("Highest paced rate without loss: %.0fx the MIDI wire rate (target %.0fx)\n", best,
                kTargetMultiple);
    SetMidiPlatform(nullptr);
    std::printf("ratio: %.0f\n", best);
    return best >= kTargetMultiple ? 0 : 1;
}
