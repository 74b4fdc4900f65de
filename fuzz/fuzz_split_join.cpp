// split and join on any recording: the names a split gives are file names on
// every system (no separators, no control characters, within the length
// limit, numbered in order), and what a split writes a join takes back,
// byte for byte.
#include "fuzz/fuzz_input.h"
#include "model/device_globals.h"
#include "model/preset_files.h"
#include "model/visible_text.h"

#include <cstdio>
#include <cstdlib>

namespace {

void CheckName(const std::string& name, int number) {
    if (name.empty() || name.size() > 255 || PresetFileNumber(name) != number)
        std::abort();
    for (char c : name)
        if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
            c == '>' || c == '|' || static_cast<unsigned char>(c) < 0x20)
            std::abort();
    if (VisibleText(name) != name) // not UTF-8, or a control character
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    const bool preExpress = input.Byte() & 1;
    SetPreExpressMode(preExpress);
    const auto untitledBytes = input.Take(input.Byte() % 24);
    std::string untitled(untitledBytes.begin(), untitledBytes.end());
    if (untitled.empty() || VisibleText(untitled) != untitled ||
        untitled.find_first_of("/\\:*?\"<>|") != std::string::npos)
        untitled = "Untitled";
    const std::vector<std::uint8_t> bytes = input.Rest();
    const TSysexScan scan = ScanSysex(bytes);
    const TSplitResult split = SplitPresetDumps(scan, "fuzz.syx", preExpress, untitled);
    if (!split.Error.empty())
        return 0;
    if (static_cast<int>(split.Files.size()) != CountPresetDumps(scan))
        std::abort();
    std::vector<std::uint8_t> joined;
    int number = 0;
    for (const auto& file : split.Files) {
        CheckName(file.Name, ++number);
        // What split writes, join takes.
        if (const std::string refusal = JoinRefusal(file.Name, file.Bytes, ScanSysex(file.Bytes));
            !refusal.empty()) {
            std::fprintf(stderr, "join refuses what split wrote: %s\n", refusal.c_str());
            std::abort();
        }
        joined.insert(joined.end(), file.Bytes.begin(), file.Bytes.end());
    }
    const TSysexScan again = ScanSysex(joined);
    if (CountPresetDumps(again) != number || !again.Issues.empty())
        std::abort();
    return 0;
}
