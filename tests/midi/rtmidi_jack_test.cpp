// The RtMidi backend over a real transport: a private JACK server started by
// the test, a relay client that passes everything it gets back out, and this
// program's own ports on both ends.
#include "midi/kept_until_exit.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "midi/rtmidi_platform.h"
#include "tests/midi/port_test_support.h"
#include "tests/support/jack_test_server.h"

#include <chrono>
#ifdef HRZ_HAVE_JACK
#include <jack/jack.h>
#endif
#include <thread>
#include <unistd.h>

using namespace mm;

namespace {

using namespace std::chrono_literals;

// Passes every message from its input port straight to its output port. A
// port listed before them makes the program look past the first one.
struct TRelay {
    RtMidiOut Decoy{RtMidi::UNIX_JACK, "hrz-relay"};
    RtMidiIn In{RtMidi::UNIX_JACK, "hrz-relay"};
    RtMidiOut Out{RtMidi::UNIX_JACK, "hrz-relay"};
    TRelay() {
        Decoy.openVirtualPort("decoy");
        In.ignoreTypes(false, false, false);
        In.setCallback([](double, std::vector<unsigned char>* message,
                          void* relay) { static_cast<TRelay*>(relay)->Out.sendMessage(message); },
                       this);
        In.openVirtualPort("relay-in");
        Out.openVirtualPort("relay-out");
    }
};

#ifdef HRZ_HAVE_JACK
// Which of the named clients the current server has, asked by a client of its own.
std::vector<std::string> JackClientsOnServer(const std::vector<std::string>& names) {
    std::vector<std::string> present;
    jack_client_t* look = jack_client_open("hrz-look", JackNoStartServer, nullptr);
    if (look == nullptr)
        return present;
    for (const auto& name : names) {
        char* uuid = jack_get_uuid_for_client_name(look, name.c_str());
        if (uuid != nullptr)
            present.push_back(name);
        jack_free(uuid);
    }
    jack_client_close(look);
    return present;
}
#endif

} // namespace

TEST(RtMidiPlatform, UnavailableTransportsGiveNoDevicesAndNoNoise) {
    TJackServerName server("hrz-no-such-server-" + std::to_string(getpid()));
    testing::internal::CaptureStderr();
    TRtMidiPlatform platform("HRZ2000e test");
    const std::string noise = testing::internal::GetCapturedStderr();
    if (access("/dev/snd/seq", F_OK) == 0)
        GTEST_SKIP() << "this machine has an ALSA sequencer; its devices are listed";
    EXPECT_EQ(platform.midiInGetNumDevs(), 0u);
    EXPECT_EQ(platform.midiOutGetNumDevs(), 0u);
    EXPECT_EQ(noise, "");
    HMIDIIN in = nullptr;
    EXPECT_EQ(platform.midiInOpen(&in, 0, nullptr, 0, 0), MMSYSERR_BADDEVICEID);
}

TEST(RtMidiPlatform, DumpAndShortMessageMakeTheRoundTripThroughJack) {
    TPrivateJackServer jack("hrz-test");
    if (!jack.WaitUntilUp())
        GTEST_SKIP() << "JACK server unavailable: " << jack.Failure();

    std::unique_ptr<TRelay> relay;
    // A failure may mean the server is gone, and a client whose server has gone
    // cannot be closed: then the relay is kept.
    struct TKeepOnFailure {
        std::unique_ptr<TRelay>& Relay;
        ~TKeepOnFailure() {
            if (::testing::Test::HasFailure())
                KeepUntilExit(std::move(Relay));
        }
    } keep{relay};
    try {
        relay = std::make_unique<TRelay>();
    } catch (const RtMidiError& error) {
        FAIL() << "relay client: " << error.getMessage();
    }
    TRtMidiPlatform platform("HRZ2000e", {"jack"});
    const std::string inName = FindDeviceContaining(platform, true, "relay-out");
    const std::string outName = FindDeviceContaining(platform, false, "relay-in");
    ASSERT_FALSE(inName.empty());
    ASSERT_FALSE(outName.empty());
    EXPECT_LE(inName.size(), 31u);
#ifdef HRZ_HAVE_JACK
    // The client that asked whether the server answers is gone again.
    EXPECT_EQ(JackClientsOnServer({"HRZ2000e probe"}), std::vector<std::string>{});
#endif

    SetMidiPlatform(&platform);
    std::vector<std::unique_ptr<TMyMidiEvent>> received;
    {
        TMidiInput input;
        input.SetProductName(inName);
        input.OnMidiInput = [&](QObject*) {
            while (auto event = input.ReadEvent())
                received.push_back(std::move(event));
        };
        input.Open();
        input.Start();
        {
            // The first port in the list opens too.
            TMidiInput first;
            first.SetProductName(FindDeviceContaining(platform, true, "decoy"));
            first.Open();
            EXPECT_TRUE(first.IsOpen());
        }
        TMidiOutput output;
        int blocksDone = 0;
        output.Onmidioutput = [&](QObject*) { ++blocksDone; };
        output.SetProductName(outName);
        output.Open();
        // The program's own open ports are no devices to choose.
        TRtMidiPlatform listing("HRZ2000e", {"jack"});
        for (std::uint32_t i = 0; i < listing.midiInGetNumDevs(); ++i) {
            MIDIINCAPS caps;
            listing.midiInGetDevCaps(i, caps);
            EXPECT_EQ(std::string(caps.szPname).find("HRZ2000e"), std::string::npos)
                << caps.szPname;
        }
        for (std::uint32_t i = 0; i < listing.midiOutGetNumDevs(); ++i) {
            MIDIOUTCAPS caps;
            listing.midiOutGetDevCaps(static_cast<int>(i), caps);
            EXPECT_EQ(std::string(caps.szPname).find("HRZ2000e"), std::string::npos)
                << caps.szPname;
        }
        EXPECT_GE(listing.midiInGetNumDevs(), 1u);

        std::vector<std::uint8_t> dump(252);
        for (std::size_t i = 0; i < dump.size(); ++i)
            dump[i] = static_cast<std::uint8_t>((i * 7) & 0x7F);
        dump.front() = 0xF0;
        dump.back() = 0xF7;
        output.SendEvent(*TMyMidiEvent::SysexBlock(dump));
        output.SendShort(0xF1, 0x25, 0); // a time code quarter frame: shown, not filtered
        output.SendShort(0x80, 0x3C, 0x40);
        output.SendShort(0xC0, 0x05, 0);

        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (received.size() < 4 && std::chrono::steady_clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_EQ(blocksDone, 1);
        ASSERT_EQ(received.size(), 4u);
        EXPECT_EQ(received[0]->Status, 0xF0);
        EXPECT_EQ(received[0]->Sysex, dump);
        std::vector<std::string> shorts; // without the time at the end
        for (std::size_t i = 1; i < received.size(); ++i) {
            const std::string text = MidiEventText(*received[i]);
            shorts.push_back(text.substr(0, text.find_last_not_of(' ', text.rfind(' ')) + 1));
        }
        EXPECT_EQ(shorts, (std::vector<std::string>{"MTC Quarter Frame F1 25", "Note Off 80 3C 40",
                                                    "Program Change C0 05"}));
        EXPECT_GE(received[3]->Time, received[0]->Time);
        input.Close();
        output.Close();
#ifdef HRZ_HAVE_JACK
        // Closed ports leave the server with their clients (nothing is kept
        // while the server answers).
        EXPECT_EQ(JackClientsOnServer({"HRZ2000e", "HRZ2000e-01", "HRZ2000e-02"}),
                  std::vector<std::string>{});
#endif
    }
    SetMidiPlatform(nullptr);

    // A block that is missing, points nowhere or is not prepared is refused, not sent.
    HMIDIOUT raw = nullptr;
    for (int id = 0; raw == nullptr && id < static_cast<int>(platform.midiOutGetNumDevs()); ++id) {
        MIDIOUTCAPS caps;
        if (platform.midiOutGetDevCaps(id, caps) == MMSYSERR_NOERROR && caps.szPname == outName) {
            ASSERT_EQ(platform.midiOutOpen(&raw, id, nullptr, 0, 0), MMSYSERR_NOERROR);
        }
    }
    ASSERT_NE(raw, nullptr);
    MIDIHDR header{};
    EXPECT_EQ(platform.midiOutLongMsg(raw, nullptr), MMSYSERR_INVALPARAM);
    EXPECT_EQ(platform.midiOutLongMsg(raw, &header), MIDIERR_UNPREPARED);
    header.dwBufferLength = 4;
    EXPECT_EQ(platform.midiOutLongMsg(raw, &header), MMSYSERR_INVALPARAM);
    EXPECT_EQ(platform.midiOutClose(raw), MMSYSERR_NOERROR);
}

// A JACK server stopped under open ports (the user quit it, or it failed) takes
// their clients with it; closing the ports then must not crash the program.
TEST(RtMidiPlatform, PortsOpenWhenTheServerStopsCloseWithoutACrash) {
    TPrivateJackServer jack("hrz-test");
    if (!jack.WaitUntilUp())
        GTEST_SKIP() << "JACK server unavailable: " << jack.Failure();
    auto relay = std::make_unique<TRelay>();
    TRtMidiPlatform platform("HRZ2000e", {"jack"});
    const std::string inName = FindDeviceContaining(platform, true, "relay-out");
    const std::string outName = FindDeviceContaining(platform, false, "relay-in");
    ASSERT_FALSE(inName.empty());
    ASSERT_FALSE(outName.empty());
    SetMidiPlatform(&platform);
    {
        TMidiInput input;
        input.SetProductName(inName);
        input.Open();
        input.Start();
        TMidiOutput output;
        output.SetProductName(outName);
        output.Open();
        jack.Stop();
        // The user looks at the device list again: no JACK devices now.
        EXPECT_EQ(TRtMidiPlatform("HRZ2000e", {"jack"}).midiInGetNumDevs(), 0u);
        output.SendShort(0xC0, 0x05, 0); // into a ring nobody reads: no crash either
        input.Close();
        output.Close();
    }
    SetMidiPlatform(nullptr);
    // The relay's clients died with the server too; RtMidi cannot close them.
    KeepUntilExit(std::move(relay));
}

// A server that hangs (stopped, or stuck) is not waited for: the device list
// comes after the probe's time-out, without its devices.
TEST(RtMidiPlatform, AServerThatHangsIsNotWaitedFor) {
    TPrivateJackServer jack("hrz-test");
    if (!jack.WaitUntilUp())
        GTEST_SKIP() << "JACK server unavailable: " << jack.Failure();
    ASSERT_EQ(kill(jack.Pid(), SIGSTOP), 0);
    // Should the list wait after all, the server goes on after 8 s, and the
    // test fails on the time instead of hanging with a stopped server.
    std::thread([pid = jack.Pid()] {
        std::this_thread::sleep_for(8s);
        kill(pid, SIGCONT);
    }).detach();
    const auto start = std::chrono::steady_clock::now();
    TRtMidiPlatform platform("HRZ2000e", {"jack"});
    const auto waited = std::chrono::steady_clock::now() - start;
    kill(jack.Pid(), SIGCONT);
    EXPECT_EQ(platform.midiInGetNumDevs(), 0u);
    EXPECT_EQ(platform.midiOutGetNumDevs(), 0u);
    EXPECT_LT(waited, 5s);
}

TEST(RtMidiPlatform, ALongSysexArrivesWholeThroughTheAlsaSequencer) {
    // ALSA hands a sysex over in chunks of its decoder's size; the delivery
    // joins them (the shapes are replayed byte for byte in RtMidiDeliveryTest).
    if (access("/dev/snd/seq", F_OK) != 0)
        GTEST_SKIP() << "no ALSA sequencer on this machine (/dev/snd/seq is missing: the kernel "
                        "has no sound devices here); ALSA's shapes are replayed by "
                        "RtMidiDeliveryTest instead";
    try {
        RtMidiIn probe(RtMidi::LINUX_ALSA, "hrz-alsa-probe");
    } catch (const RtMidiError& error) {
        GTEST_SKIP() << "the ALSA sequencer does not start here: " << error.getMessage();
    }
    RtMidiOut source(RtMidi::LINUX_ALSA, "hrz-alsa-source");
    source.openVirtualPort("dump-out");
    TRtMidiPlatform platform("HRZ2000e", {"alsa"});
    const std::string inName = FindDeviceContaining(platform, true, "dump-out");
    ASSERT_FALSE(inName.empty());
    SetMidiPlatform(&platform);
    std::vector<std::unique_ptr<TMyMidiEvent>> received;
    {
        TMidiInput input;
        input.SetProductName(inName);
        input.OnMidiInput = [&](QObject*) {
            while (auto event = input.ReadEvent())
                received.push_back(std::move(event));
        };
        input.Open();
        input.Start();
        std::this_thread::sleep_for(200ms);
        std::vector<unsigned char> dump(1000);
        for (std::size_t i = 0; i < dump.size(); ++i)
            dump[i] = static_cast<unsigned char>(i & 0x7F);
        dump.front() = 0xF0;
        dump.back() = 0xF7;
        source.sendMessage(&dump);
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (received.empty() && std::chrono::steady_clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0]->Sysex, std::vector<std::uint8_t>(dump.begin(), dump.end()));
        input.Close();
    }
    SetMidiPlatform(nullptr);
}
