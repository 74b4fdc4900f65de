#include "tests/tools/hrzctl_test_support.h"

#include "model/stream.h"
#include "tests/tools/unit_replies.h"
#include "tools/hrzctl/hrzctl.h"
#include "unit/factory_presets.h"
#include "unit/virtual_unit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>

#include <unistd.h>

TRunResult RunTool(const std::vector<std::string>& args, bool outIsTerminal) {
    std::ostringstream out, err;
    TConsole console{out, err, outIsTerminal};
    TRunResult result;
    result.Status = RunHrzctl(args, console);
    result.Out = out.str();
    result.Err = err.str();
    return result;
}

TTempDir::TTempDir() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("hrzctl-" + std::string(info ? info->name() : "x") + "-" + std::to_string(::getpid()) +
             "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TTempDir::~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

Bytes ReadBytes(const std::string& path) {
    return ReadWholeFile(path);
}

Bytes BulkDump(int bank, bool preExpress) {
    TUnitOptions options;
    options.PreExpress = preExpress;
    THrzVirtualUnit unit(options);
    unit.Receive(UnitRequest(unit, {THrzVirtualUnit::CmdItemValue, THrzVirtualUnit::ItemBank,
                                    static_cast<std::uint8_t>(bank)}));
    return Concatenated(unit.Receive(UnitRequest(unit, {unit.AllPresetsRequestCommand()})));
}

Bytes TableDump(bool preExpress) {
    TUnitOptions options;
    options.PreExpress = preExpress;
    THrzVirtualUnit unit(options);
    return Concatenated(unit.Receive(UnitRequest(unit, {unit.TableRequestCommand()})));
}

TPreset FactoryPreset(int bank, int index, bool preExpress) {
    const auto dump = FactoryPresetDump(bank, index, preExpress);
    TMemoryStream stream(Bytes(dump.begin(), dump.end()));
    TPreset preset;
    preset.ReadDump(stream);
    return preset;
}

Bytes DumpOf(const TPreset& preset) {
    const auto bytes = preset.DumpBytes();
    return Bytes(bytes.begin(), bytes.end());
}

int CountOf(const std::string& text, const std::string& needle) {
    int count = 0;
    for (auto at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

QJsonDocument ParseJson(const std::string& text) {
    QJsonParseError error;
    const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError)
        << error.errorString().toStdString() << " at " << error.offset;
    return doc;
}
