// The virtual unit backend behind this system's own ports, in one process:
// what a user without hardware gets when picking "HRZ2000 virtual unit".
#include "tests/unit/port_session.h"
#include "unit/virtual_unit_platform.h"

#include "midi/composite_midi_platform.h"
#include "tests/support/test_midi_platform.h"

#include <gtest/gtest.h>

namespace {

TEST(VirtualUnitBehindPorts, EveryRequestGetsItsReplyThroughTheComposite) {
    // A real device first, the virtual unit after it, as the program lists them.
    TTestMidiPlatform hardware;
    TVirtualUnitMidiPlatform unit(TUnitOptions{});
    TCompositeMidiPlatform platform;
    platform.AddBackend(hardware);
    platform.AddBackend(unit);
    TPortSession session(platform, "HRZ2000 virtual unit", "HRZ2000 virtual unit");

    const auto dump = session.Ask({0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7});
    ASSERT_EQ(dump.size(), 252u);
    const auto stored =
        unit.WithUnit([](const THrzVirtualUnit& u) { return u.Memory().Preset(0, 0); });
    EXPECT_TRUE(std::equal(dump.begin(), dump.end(), stored.begin()));

    EXPECT_EQ(session.Ask({0xF0, 0x1A, 0x00, 0x12, 0x53, 0xF7}).size(), 406u);
    EXPECT_EQ(session.Ask({0xF0, 0x1A, 0x00, 0x12, 0x43, 0x09, 0xF7}),
              (std::vector<std::uint8_t>{0xF0, 0x1A, 0x00, 0x12, 0x03, 0x09, 0x00, 0xF7}));

    // Program change through bank select, then the preset-number report.
    session.Output().SendShort(0xB0, 0x00, 0x00);
    session.Output().SendShort(0xB0, 0x20, 0x01);
    session.Output().SendShort(0xC0, 0x47, 0x00);
    EXPECT_EQ(session.Ask({0xF0, 0x1A, 0x00, 0x12, 0x43, 0x40, 0xF7}),
              (std::vector<std::uint8_t>{0xF0, 0x1A, 0x00, 0x12, 0x03, 0x40, 0x47, 0x01, 0xF7}));
}

TEST(VirtualUnitBehindPorts, BulkDumpArrivesAsTwoHundredEvents) {
    TVirtualUnitMidiPlatform unit(TUnitOptions{});
    TPortSession session(unit, "HRZ2000 virtual unit", "HRZ2000 virtual unit");
    session.Ask({0xF0, 0x1A, 0x00, 0x12, 0x52, 0xF7});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (session.Received().size() < 200 && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(session.Received().size(), 200u) << "16 buffers are recycled, nothing is lost";
    for (const auto& event : session.Received())
        EXPECT_EQ(event->Sysex.size(), 252u);
}

} // namespace
