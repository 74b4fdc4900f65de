// The standalone unit and this system's ports over PipeWire's JACK, as most
// Linux desktops have it: a private PipeWire session, `pw-jack hrz2000-unit
// --api jack`, and this test program again under pw-jack (libjack is chosen
// when a program starts, so the part that talks to the unit runs as a child).
#include "midi/rtmidi_platform.h"
#include "tests/support/pipewire_test_session.h"
#include "tests/unit/port_session.h"
#include "unit/factory_presets.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using namespace mm;

namespace {

constexpr const char* kChildVariable = "HRZ_PIPEWIRE_UNIT";

std::vector<std::string> DeviceNames(IMidiPlatform& platform, bool input) {
    std::vector<std::string> names;
    const std::uint32_t count = input ? platform.midiInGetNumDevs() : platform.midiOutGetNumDevs();
    for (std::uint32_t i = 0; i < count; ++i) {
        if (input) {
            MIDIINCAPS caps;
            platform.midiInGetDevCaps(i, caps);
            names.emplace_back(caps.szPname);
        } else {
            MIDIOUTCAPS caps;
            platform.midiOutGetDevCaps(static_cast<int>(i), caps);
            names.emplace_back(caps.szPname);
        }
    }
    return names;
}

// Runs in the child, under pw-jack: the program's own device lists and ports,
// as the main window uses them.
void TalkToTheUnit(const std::string& unit) {
    TRtMidiPlatform platform("HRZ2000e");
    const auto inputs = DeviceNames(platform, true);
    const auto outputs = DeviceNames(platform, false);
    const std::string inName = unit + ":MIDI out", outName = unit + ":MIDI in";
    ASSERT_NE(std::find(inputs.begin(), inputs.end(), inName), inputs.end())
        << ::testing::PrintToString(inputs);
    ASSERT_NE(std::find(outputs.begin(), outputs.end(), outName), outputs.end())
        << ::testing::PrintToString(outputs);

    TPortSession session(platform, inName, outName);
    session.Settle(300ms);
    // The program's own ports, open now, are still no devices to choose.
    TRtMidiPlatform listing("HRZ2000e");
    for (const auto& name : DeviceNames(listing, true))
        EXPECT_EQ(name.find("HRZ2000e"), std::string::npos) << name;

    const auto dump = session.AskRepeating({0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7}, 0x05);
    ASSERT_EQ(dump.size(), 252u) << session.Received().size() << " events";
    const auto factory = FactoryPresetDump(0, 0, false);
    EXPECT_TRUE(std::equal(dump.begin(), dump.end(), factory.begin()));

    // A backup of all four banks as the program's backup run asks for it, one
    // preset at a time: every dump byte for byte, and how long it took against
    // what the MIDI cable itself would take.
    const auto start = std::chrono::steady_clock::now();
    std::size_t wireBytes = 0;
    const auto send = [&](const std::vector<std::uint8_t>& message) {
        session.Output().SendLong(message.data(), static_cast<std::uint16_t>(message.size()));
        wireBytes += message.size();
    };
    for (std::uint8_t bank = 0; bank < 4; ++bank) {
        send({0xF0, 0x1A, 0x00, 0x12, 0x03, 0x09, bank, 0xF7});
        for (int i = 0; i < 200; ++i) {
            send({0xF0, 0x1A, 0x00, 0x12, 0x09, static_cast<std::uint8_t>(i % 128),
                  static_cast<std::uint8_t>(i / 128), 0xF7});
            const auto expected = FactoryPresetDump(bank, i, false);
            const auto same = [&](const std::vector<std::uint8_t>& got) {
                return got.size() == expected.size() &&
                       std::equal(expected.begin(), expected.end(), got.begin());
            };
            auto got = session.AskRepeating({0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7}, 0x05);
            // On a loaded machine the answer to an earlier preset's repeated
            // request can come first; the unit's own answer follows it.
            for (int again = 0; again < 2 && !same(got); ++again)
                got = session.AskRepeating({0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7}, 0x05);
            wireBytes += 6 + got.size();
            ASSERT_TRUE(same(got))
                << "bank " << int(bank) << " preset " << i << ": " << got.size() << " bytes";
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double floor = static_cast<double>(wireBytes) * 10.0 / 31250.0;
    std::cout << "4 x 200 presets one by one over PipeWire's JACK: " << seconds << " s; wire floor "
              << floor << " s (" << wireBytes << " bytes at 31,250 baud)" << std::endl;
}

TEST(UnitOverPipeWire, PresetsArriveThroughTheProgramsOwnPorts) {
    if (const char* unit = std::getenv(kChildVariable)) {
        TalkToTheUnit(unit);
        return;
    }
    const fs::path dir = fs::temp_directory_path() / ("hrzpw" + std::to_string(getpid()));
    fs::create_directories(dir);
    {
        TPrivatePipeWire pipewire(dir);
        if (!pipewire.WaitUntilUp())
            GTEST_SKIP() << "PipeWire could not be started here: " << pipewire.Failure();

        // PipeWire's JACK library keeps its client's allocations until the
        // process ends; the leak checker of sanitizer builds is told so in the
        // unit and in the child alike (no effect in other builds).
        const std::string suppressions = (dir / "lsan.supp").string();
        std::ofstream(suppressions) << "leak:libpipewire-0.3.so\n"
                                       "leak:pipewire-0.3/jack/libjack.so\n";
        setenv("LSAN_OPTIONS", ("suppressions=" + suppressions).c_str(), 1);

        const std::string unit = "hrzpw" + std::to_string(getpid());
        const std::string unitLog = (dir / "unit.log").string();
        TChildProcess unitProcess({TPrivatePipeWire::kPwJack, HRZ_UNIT_PROGRAM, "--api", "jack",
                                   "--name", unit, "--state", (dir / "unit.state").string()},
                                  unitLog);
        for (int i = 0; i < 100 && unitProcess.Running() &&
                        TPrivatePipeWire::Tail(unitLog).find("on JACK ports") == std::string::npos;
             ++i)
            std::this_thread::sleep_for(100ms);
        ASSERT_TRUE(unitProcess.Running()) << TPrivatePipeWire::Tail(unitLog);
        ASSERT_NE(TPrivatePipeWire::Tail(unitLog).find("on JACK ports"), std::string::npos)
            << TPrivatePipeWire::Tail(unitLog);

        setenv(kChildVariable, unit.c_str(), 1);
        const std::string childLog = (dir / "child.log").string();
        const std::string self = fs::read_symlink("/proc/self/exe").string();
        TChildProcess child(
            {TPrivatePipeWire::kPwJack, self,
             "--gtest_filter=UnitOverPipeWire.PresetsArriveThroughTheProgramsOwnPorts"},
            childLog);
        unsetenv(kChildVariable);
        for (int i = 0; i < 1800 && child.Running(); ++i)
            std::this_thread::sleep_for(100ms);
        const int status = child.Stop();
        const std::string output = TPrivatePipeWire::Tail(childLog);
        EXPECT_EQ(status, 0) << output << "\nThe unit said: " << TPrivatePipeWire::Tail(unitLog);
        const auto figure = output.find("4 x 200 presets");
        if (figure != std::string::npos)
            std::cout << output.substr(figure, output.find('\n', figure) - figure) << std::endl;
        EXPECT_EQ(unitProcess.Stop(), 0) << TPrivatePipeWire::Tail(unitLog);
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
}

} // namespace
