// The standalone unit over a real transport: a private JACK server, the
// hrz2000-unit program on it, and this system's own ports on the RtMidi backend.
#include "midi/rtmidi_platform.h"
#include "tests/support/jack_test_server.h"
#include "tests/unit/port_session.h"
#include "unit/factory_presets.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

TEST(UnitOverJack, PresetAndTableArriveIntact) {
    const std::string server = "hrzunit" + std::to_string(getpid());
    const fs::path dir = fs::temp_directory_path() / (server + "_files");
    fs::create_directories(dir);
    struct TRemove {
        fs::path Dir;
        ~TRemove() {
            std::error_code ec;
            fs::remove_all(Dir, ec);
        }
    } removeAtEnd{dir};

    TPrivateJackServer jack(server, (dir / "jackd.log").string());
    if (!jack.WaitUntilUp())
        GTEST_SKIP() << "a JACK server could not be started here: " << jack.Failure();

    const std::string portName = "hrzu" + std::to_string(getpid());
    TChildProcess unit({HRZ_UNIT_PROGRAM, "--api", "jack", "--quiet", "--name", portName, "--state",
                        (dir / "unit.state").string()},
                       (dir / "unit.log").string());
    ASSERT_TRUE(unit.Started());

    // The unit's ports appear once the program is up.
    std::string inName, outName;
    for (int i = 0; i < 100 && (inName.empty() || outName.empty()) && unit.Running(); ++i) {
        std::this_thread::sleep_for(100ms);
        TRtMidiPlatform lister("hrz-lister", {"jack"});
        inName = FindDeviceContaining(lister, true, portName);
        outName = FindDeviceContaining(lister, false, portName);
    }
    ASSERT_FALSE(inName.empty()) << "the unit's ports never appeared (unit running: "
                                 << unit.Running() << ")";
    ASSERT_FALSE(outName.empty());

    {
        TRtMidiPlatform platform("hrz-test", {"jack"});
        TPortSession session(platform, inName, outName);
        session.Settle(300ms);
        const auto dump = session.AskRepeating({0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7}, 0x05);
        ASSERT_EQ(dump.size(), 252u)
            << inName << " / " << outName << ": " << session.Received().size() << " events";
        const auto factory = FactoryPresetDump(0, 0, false);
        EXPECT_TRUE(std::equal(dump.begin(), dump.end(), factory.begin()));

        const auto table = session.AskRepeating({0xF0, 0x1A, 0x00, 0x12, 0x53, 0xF7}, 0x13);
        ASSERT_EQ(table.size(), 406u);
        EXPECT_EQ(table[4], 0x13);
        EXPECT_EQ(table[5 + 2 * 150], 150 - 128);
        EXPECT_EQ(table[6 + 2 * 150], 1);
    }
    EXPECT_EQ(unit.Stop(), 0) << "the unit ends cleanly on SIGTERM";
}

} // namespace
