// The MIDI input's sysex assembly: any sequence of short messages and sysex
// blocks, split and joined across buffers of any size and count, read through
// the input port as the window thread reads it. Every sysex byte a buffer took
// comes out once, in order, unless the ring overflowed (and that is reported).
#include "fuzz/fuzz_input.h"
#include "midi/midi_input.h"
#include "tests/support/test_midi_platform.h"

#include <QCoreApplication>

#include <cstdlib>

namespace {

// Never destroyed: Qt tears down its own globals at exit first.
QCoreApplication* gApp = nullptr;
TTestMidiPlatform* gPlatform = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static int argc = 1;
    static char name[] = "fuzz_midi_input";
    static char* argv[] = {name, nullptr};
    // Glib's loop makes a system call for every posted event; Qt's own wakes
    // once until the events are sent, which doubles the executions a second.
    qputenv("QT_NO_GLIB", "1");
    gApp = new QCoreApplication(argc, argv);
    gPlatform = new TTestMidiPlatform;
    gPlatform->AddInputDevice("Fuzz In");
    SetMidiPlatform(gPlatform);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    const std::uint16_t bufferSize = input.Word() % 4097;
    const std::uint8_t header = input.Byte();
    TMidiInput port;
    port.SetSysexBufferSize(bufferSize);
    port.SetSysexBufferCount(header % 33);
    port.SetCapacity(static_cast<std::uint16_t>(1 + (header >> 2) * 4)); // small rings overflow
    bool overflow = false;
    port.OnOverflow = [&](QObject*) { overflow = true; };
    port.Open();
    port.Start();

    std::vector<std::uint8_t> sent, received;
    std::uint32_t time = 0;
    const auto readAll = [&] {
        QCoreApplication::sendPostedEvents();
        while (auto event = port.ReadEvent()) {
            if (event->Status == 0xF0)
                received.insert(received.end(), event->Sysex.begin(), event->Sysex.end());
            else if (!event->Sysex.empty())
                std::abort();
        }
    };
    const auto inject = [&](const std::vector<std::uint8_t>& block) {
        const std::size_t taken = gPlatform->InjectSysex(0, block, ++time);
        sent.insert(sent.end(), block.begin(), block.begin() + static_cast<long>(taken));
    };
    while (!input.Empty()) {
        switch (static_cast<TFuzzRecord>(input.Byte() % 4)) {
        case TFuzzRecord::Short: {
            const std::uint32_t status = input.Byte(), d1 = input.Byte(), d2 = input.Byte();
            gPlatform->InjectShort(0, status | (d1 << 8) | (d2 << 16), ++time);
            break;
        }
        case TFuzzRecord::Sysex:
            inject(input.Take(input.Word() % 12000));
            break;
        case TFuzzRecord::Read:
            readAll();
            break;
        case TFuzzRecord::SplitSysex: {
            const std::size_t first = input.Word() % 6000, second = input.Word() % 6000;
            inject(input.Take(first));
            inject(input.Take(second));
            break;
        }
        }
    }
    readAll();
    if (!overflow && received != sent)
        std::abort();
    if (received.size() > sent.size())
        std::abort();
    port.Close();
    QCoreApplication::sendPostedEvents();
    return 0;
}
