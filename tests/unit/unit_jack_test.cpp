// The standalone unit over a real transport: a private JACK server, the
// hrz2000-unit program on it, and this system's own ports on the RtMidi backend.
#include "midi/rtmidi_platform.h"
#include "tests/support/jack_test_server.h"
#include "tests/unit/port_session.h"
#include "unit/factory_presets.h"
#include "unit/rtmidi_unit_transport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

class UnitOverJack : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("hrzunit" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        jack_ = std::make_unique<TPrivateJackServer>("hrz-test", (dir_ / "jackd.log").string());
        if (!jack_->WaitUntilUp())
            GTEST_SKIP() << "a JACK server could not be started here: " << jack_->Failure();
    }
    void TearDown() override {
        unit_.reset();
        jack_.reset();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // Starts hrz2000-unit and waits until its ports are listed; false if they never are.
    bool StartUnit() {
        name_ = "hrzu" + std::to_string(getpid());
        unit_ = std::make_unique<TChildProcess>(
            std::vector<std::string>{HRZ_UNIT_PROGRAM, "--api", "jack", "--quiet", "--name", name_,
                                     "--state", (dir_ / "unit.state").string()},
            Log());
        for (int i = 0; i < 100 && (inName_.empty() || outName_.empty()) && unit_->Running(); ++i) {
            std::this_thread::sleep_for(100ms);
            TRtMidiPlatform lister("hrz-lister", {"jack"});
            inName_ = FindDeviceContaining(lister, true, name_);
            outName_ = FindDeviceContaining(lister, false, name_);
        }
        return !inName_.empty() && !outName_.empty();
    }
    std::string Log() const { return (dir_ / "unit.log").string(); }
    std::string LogText() const {
        std::ifstream in(Log());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path dir_;
    std::unique_ptr<TPrivateJackServer> jack_;
    std::unique_ptr<TChildProcess> unit_;
    std::string name_, inName_, outName_;
};

TEST_F(UnitOverJack, PresetAndTableArriveIntact) {
    ASSERT_TRUE(StartUnit()) << "the unit's ports never appeared (unit running: "
                             << unit_->Running() << ")";
    // One client with plainly named ports: what the unit sends comes from its "MIDI out".
    EXPECT_EQ(inName_, name_ + ":MIDI out");
    EXPECT_EQ(outName_, name_ + ":MIDI in");

    {
        TRtMidiPlatform platform("hrz-test", {"jack"});
        TPortSession session(platform, inName_, outName_);
        session.Settle(300ms);
        const auto dump = session.AskRepeating({0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7}, 0x05);
        ASSERT_EQ(dump.size(), 252u)
            << inName_ << " / " << outName_ << ": " << session.Received().size() << " events";
        const auto factory = FactoryPresetDump(0, 0, false);
        EXPECT_TRUE(std::equal(dump.begin(), dump.end(), factory.begin()));

        const auto table = session.AskRepeating({0xF0, 0x1A, 0x00, 0x12, 0x53, 0xF7}, 0x13);
        ASSERT_EQ(table.size(), 406u);
        EXPECT_EQ(table[4], 0x13);
        EXPECT_EQ(table[5 + 2 * 150], 150 - 128);
        EXPECT_EQ(table[6 + 2 * 150], 1);
    }
    EXPECT_EQ(unit_->Stop(), 0) << "the unit ends cleanly on SIGTERM";
}

TEST_F(UnitOverJack, WithoutAnApiItSaysOnceWhichItUsed) {
    if (access("/dev/snd/seq", F_OK) == 0)
        GTEST_SKIP() << "this machine has an ALSA sequencer, which the unit takes first";
    const std::string name = "hrzauto" + std::to_string(getpid());
    TChildProcess unit(
        {HRZ_UNIT_PROGRAM, "--name", name, "--state", (dir_ / "auto.state").string()}, Log());
    for (int i = 0;
         i < 100 && unit.Running() && LogText().find("Press Ctrl+C") == std::string::npos; ++i)
        std::this_thread::sleep_for(100ms);
    EXPECT_EQ(LogText(), "HRZ2000 virtual unit (Express, channel 1) on JACK ports \"" + name +
                             ":MIDI in\" and \"" + name + ":MIDI out\"\nMemory: " +
                             (dir_ / "auto.state").string() + "\nPress Ctrl+C to stop.\n");
    EXPECT_EQ(unit.Stop(), 0);
}

// Raw RtMidi clients connected to the unit's ports, counting whole preset dumps.
struct TDumpCounter {
    std::mutex Mutex;
    int Dumps = 0;
    int Other = 0;
    static void Received(double, std::vector<unsigned char>* message, void* self) {
        auto& c = *static_cast<TDumpCounter*>(self);
        std::lock_guard lock(c.Mutex);
        if (message->size() == 252 && (*message)[0] == 0xF0 && (*message)[4] == 0x05 &&
            message->back() == 0xF7)
            ++c.Dumps;
        else
            ++c.Other;
    }
    int Count() {
        std::lock_guard lock(Mutex);
        return Dumps;
    }
};

int PortIndex(RtMidi& client, const std::string& name) {
    for (unsigned i = 0; i < client.getPortCount(); ++i)
        if (client.getPortName(i) == name)
            return static_cast<int>(i);
    return -1;
}

TEST_F(UnitOverJack, EveryDumpOfRepeatedBulkRequestsArrives) {
    ASSERT_TRUE(StartUnit());
    TDumpCounter counter;
    RtMidiIn in(RtMidi::UNIX_JACK, "hrz-count-in");
    RtMidiOut out(RtMidi::UNIX_JACK, "hrz-count-out");
    in.ignoreTypes(false, false, false);
    in.setCallback(&TDumpCounter::Received, &counter);
    const int inIndex = PortIndex(in, inName_), outIndex = PortIndex(out, outName_);
    ASSERT_GE(inIndex, 0);
    ASSERT_GE(outIndex, 0);
    in.openPort(static_cast<unsigned>(inIndex));
    out.openPort(static_cast<unsigned>(outIndex));
    std::this_thread::sleep_for(300ms); // connections come up in the background

    const std::vector<unsigned char> bulk{0xF0, 0x1A, 0x00, 0x12, 0x52, 0xF7};
    for (int round = 1; round <= 3; ++round) {
        out.sendMessage(&bulk);
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (counter.Count() < 200 * round && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(20ms);
        ASSERT_EQ(counter.Count(), 200 * round) << "round " << round << "\n" << LogText();
    }
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(counter.Count(), 600) << "nothing twice";
    EXPECT_EQ(counter.Other, 0);
}

TEST_F(UnitOverJack, AFloodOfBulkRequestsStaysWithinTheUnitsBufferAndIsSaidOnce) {
    ASSERT_TRUE(StartUnit());
    RtMidiOut out(RtMidi::UNIX_JACK, "hrz-flood-out");
    const int outIndex = PortIndex(out, outName_);
    ASSERT_GE(outIndex, 0);
    out.openPort(static_cast<unsigned>(outIndex));
    std::this_thread::sleep_for(300ms);
    // 40 bulk requests a cycle for two seconds: 800 MB of replies unbounded.
    const std::vector<unsigned char> bulk{0xF0, 0x1A, 0x00, 0x12, 0x52, 0xF7};
    for (int i = 0; i < 16000; ++i) {
        out.sendMessage(&bulk);
        if (i % 40 == 39)
            std::this_thread::sleep_for(5ms);
    }
    std::this_thread::sleep_for(1s);
    std::ifstream status("/proc/" + std::to_string(unit_->Pid()) + "/status");
    std::string line;
    long peakKb = -1;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            peakKb = std::stol(line.substr(6));
    EXPECT_GT(peakKb, 0);
    // AddressSanitizer's quarantine and shadow memory come on top in its builds.
    long peakLimitKb = 200 * 1024;
#if defined(__SANITIZE_ADDRESS__)
    peakLimitKb = 700 * 1024;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    peakLimitKb = 700 * 1024;
#endif
#endif
    EXPECT_LT(peakKb, peakLimitKb) << "the reply backlog grew with the flood";
    const std::string log = LogText();
    int said = 0;
    for (auto at = log.find(" dropped: "); at != std::string::npos;
         at = log.find(" dropped: ", at + 1))
        ++said;
    EXPECT_EQ(said, 1) << log;
    EXPECT_TRUE(unit_->Running());
}

TEST_F(UnitOverJack, TheUnitStopsAndSaysSoWhenTheServerDies) {
    // It also tells where a damaged memory file went.
    std::ofstream(dir_ / "unit.state") << "not a memory file";
    ASSERT_TRUE(StartUnit());
    EXPECT_NE(LogText().find("was kept as " + (dir_ / "unit.state.damaged").string()),
              std::string::npos)
        << LogText();
    jack_->Stop();
    for (int i = 0; i < 100 && unit_->Running(); ++i)
        std::this_thread::sleep_for(100ms);
    ASSERT_FALSE(unit_->Running()) << "the unit kept running without its ports";
    EXPECT_EQ(unit_->Stop(), 1);
    EXPECT_NE(LogText().find("hrz2000-unit: the JACK server has stopped"), std::string::npos)
        << LogText();
}

TEST_F(UnitOverJack, RtMidiPortsKeepTheirCallbackStateAfterOpening) {
    // The ALSA path: RtMidi calls back into the transport from its own thread for
    // as long as the ports live, long after they were opened.
    const std::string name = "hrzrt" + std::to_string(getpid());
    auto transport = OpenRtMidiUnitTransport(RtMidi::UNIX_JACK, name);
    EXPECT_NE(transport->Description().find("\"" + name + ":MIDI in\""), std::string::npos);
    RtMidiOut out(RtMidi::UNIX_JACK, "hrz-send");
    const int index = PortIndex(out, name + ":MIDI in");
    ASSERT_GE(index, 0);
    out.openPort(static_cast<unsigned>(index));
    std::this_thread::sleep_for(300ms);
    const std::vector<unsigned char> request{0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7};
    std::vector<IUnitTransport::TMessage> received;
    for (int i = 0; i < 50 && received.empty(); ++i) {
        out.sendMessage(&request);
        transport->Wait(std::chrono::steady_clock::now() + 200ms, received);
    }
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.front(), request);
    transport.reset(); // the ports stop before the state they call into goes
}

} // namespace
