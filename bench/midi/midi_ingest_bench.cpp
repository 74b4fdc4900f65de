// Ingestion of short messages: a producer thread plays the platform's callback
// thread at a fixed rate; the window thread drains the input port through
// posted notifications. Reports the highest rate sustained without losing or
// reordering a message, as a multiple of the MIDI 1.0 wire rate.
#include "midi/midi_input.h"
#include "midi/test_midi_platform.h"

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// 31,250 baud, 10 bits a byte, three bytes a message.
constexpr double kWireRate = 31250.0 / 10.0 / 3.0;

struct TRun {
    std::uint32_t Sent = 0;
    std::uint32_t Received = 0;
    std::uint32_t OutOfOrder = 0;
    int Overflows = 0;
    double Seconds = 0;
    bool Lossless() const { return Received == Sent && OutOfOrder == 0 && Overflows == 0; }
};

// rate 0: as fast as the producer can go while staying within the ring.
TRun Run(TTestMidiPlatform& platform, double rate, double seconds) {
    TMidiInput port;
    TRun run;
    std::atomic<std::uint32_t> received{0};
    port.OnMidiInput = [&](QObject*) {
        while (auto event = port.ReadEvent()) {
            if (event->Time != received.load(std::memory_order_relaxed))
                ++run.OutOfOrder;
            received.fetch_add(1, std::memory_order_release);
        }
    };
    port.OnOverflow = [&](QObject*) { ++run.Overflows; };
    port.Open();
    port.Start();

    const auto total = static_cast<std::uint32_t>(rate > 0 ? rate * seconds : 300'000);
    std::atomic<bool> stop{false};
    std::atomic<bool> producing{true};
    const auto start = Clock::now();
    std::thread producer([&] {
        for (std::uint32_t n = 0; n < total && !stop; ++n) {
            if (rate > 0) {
                const auto due = start + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(n / rate));
                while (Clock::now() < due && !stop)
                    std::this_thread::yield();
            } else {
                while (n - received.load(std::memory_order_acquire) >= 1000 && !stop)
                    std::this_thread::yield();
            }
            platform.InjectShort(0, 0x403C90, n);
        }
        producing = false;
    });
    const auto deadline = start + std::chrono::duration<double>(seconds * 3 + 30);
    while ((producing || received.load() < total) && Clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    stop = true;
    producer.join();
    QCoreApplication::sendPostedEvents();
    run.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.Sent = total;
    run.Received = received.load();
    port.Close();
    QCoreApplication::sendPostedEvents();
    return run;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QCoreApplication application(argc, argv);
    TTestMidiPlatform platform;
    platform.AddInputDevice("Bench In");
    SetMidiPlatform(&platform);

    std::printf("MIDI 1.0 wire rate: %.0f three-byte messages/s\n", kWireRate);
    double best = 0;
    for (double ratio : {10.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0}) {
        const TRun run = Run(platform, kWireRate * ratio, 0.5);
        std::printf("  %6.0fx wire rate (%9.0f msg/s): sent %8u received %8u overflow %d order "
                    "errors %u -> %s\n",
                    ratio, kWireRate * ratio, run.Sent, run.Received, run.Overflows, run.OutOfOrder,
                    run.Lossless() ? "lossless" : "LOSS");
        if (!run.Lossless())
            break;
        best = ratio;
    }
    const TRun flat = Run(platform, 0, 0);
    const double throughput = flat.Received / flat.Seconds;
    std::printf("Unpaced with flow control: %u messages in %.3f s = %.0f msg/s (%.0fx wire rate), "
                "%s\n",
                flat.Received, flat.Seconds, throughput, throughput / kWireRate,
                flat.Lossless() ? "lossless" : "LOSS");
    std::printf("Highest paced rate without loss: %.0fx the MIDI wire rate (target 100x)\n", best);
    SetMidiPlatform(nullptr);
    return best >= 100 ? 0 : 1;
}
