// Inputs that are not dump files, up to the size bound, and names that try to
// disguise themselves: one line instead of millions, output scripts can parse.
#include "tests/tools/hrzctl_test_support.h"
#include "tools/hrzctl/input_file.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <random>

namespace {

Bytes Noise(std::size_t size, std::uint8_t first) {
    std::mt19937 random(28);
    Bytes bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    bytes[0] = first;
    return bytes;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (auto end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace

TEST(HrzctlBigInput, AFileThatIsNotMidiIsSaidOnce) {
    TTempDir dir;
    const std::string picture = dir.File("photo.jpg");
    WriteBytes(picture, Noise(47 * 1024, 0xFF));
    const auto text = RunTool({"check", picture});
    EXPECT_EQ(text.Status, 1);
    EXPECT_EQ(Lines(text.Out),
              (std::vector<std::string>{picture +
                                        ": offset 0: no system-exclusive data in this file "
                                        "(48128 bytes without a preset dump or program table)"}));
    const auto json = RunTool({"check", "--json", picture});
    const QJsonObject file = ParseJson(json.Out).object()["files"].toArray()[0].toObject();
    EXPECT_EQ(file["problems"].toArray().size(), 1);
    EXPECT_EQ(file["problems_not_listed"].toInt(), 0);

    const auto show = RunTool({"show", picture});
    EXPECT_EQ(show.Status, 2);
    EXPECT_LE(CountOf(show.Err, "\n"), 22) << show.Err.substr(0, 2000);
    EXPECT_NE(show.Err.find("more warnings not shown"), std::string::npos);
}

TEST(HrzctlBigInput, ProblemsAreListedUpToTheCapWithTheCountOfTheRest) {
    TTempDir dir;
    const std::string starts = dir.File("starts.syx");
    WriteBytes(starts, Bytes(MaxInputFileSize, 0xF0)); // the largest file read
    const auto text = RunTool({"check", starts});
    EXPECT_EQ(text.Status, 1);
    const auto lines = Lines(text.Out);
    ASSERT_EQ(lines.size(), 101u);
    EXPECT_EQ(lines[0], starts + ": offset 0: message has no end byte (F7)");
    // Two problems for each of the 16 Mi messages: no end byte, too short.
    EXPECT_EQ(lines[100], starts + ": " + std::to_string(2 * MaxInputFileSize - 100) +
                              " more problems not listed");

    const auto json = RunTool({"check", "--json", starts});
    const QJsonObject doc = ParseJson(json.Out).object();
    EXPECT_EQ(doc["problems"].toDouble(), 2.0 * MaxInputFileSize);
    const QJsonObject file = doc["files"].toArray()[0].toObject();
    EXPECT_EQ(file["problems"].toArray().size(), 100);
    EXPECT_EQ(file["problems_not_listed"].toDouble(), 2.0 * MaxInputFileSize - 100);

    for (const char* command : {"show", "mpt"}) {
        const auto refused = RunTool({command, starts});
        EXPECT_EQ(refused.Status, 2) << command;
        EXPECT_LE(CountOf(refused.Err, "\n"), 22) << command;
    }
}

TEST(HrzctlBigInput, NamesCannotDisguiseThemselvesInTextOrJson) {
    TTempDir dir;
    // A C1 control (a terminal's CSI) and a right-to-left override.
    const std::string name = dir.File("a\xC2\x9B"
                                      "2J\xE2\x80\xAEgnp.syx");
    WriteBytes(name, {'h', 'i'});
    const auto text = RunTool({"check", name});
    EXPECT_EQ(text.Out, "$'" + dir.File("a") + "\\xC2\\x9B2J\\u202Egnp.syx'" +
                            ": offset 0: no system-exclusive data in this file (2 bytes without "
                            "a preset dump or program table)\n");
    const auto json = RunTool({"check", "--json", name});
    EXPECT_EQ(json.Out.find("\xC2\x9B"), std::string::npos);
    EXPECT_EQ(json.Out.find("\xE2\x80\xAE"), std::string::npos);
    EXPECT_NE(json.Out.find("a\\u009b2J\\u202egnp.syx"), std::string::npos) << json.Out;
    EXPECT_EQ(ParseJson(json.Out).object()["files"].toArray()[0].toObject()["file"].toString(),
              QString::fromStdString(name));
}
