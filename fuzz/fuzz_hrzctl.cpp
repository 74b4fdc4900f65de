// hrzctl on any file: the .syx scan, check, and show as text and JSON, and the
// table listing, as the commands run them.
#include "fuzz/fuzz_input.h"
#include "model/device_globals.h"
#include "model/errors.h"
#include "model/latin1_text.h"
#include "model/preset_diff.h"
#include "model/stream.h"
#include "tools/hrzctl/dump_check.h"
#include "tools/hrzctl/input_file.h"
#include "tools/hrzctl/json_output.h"
#include "tools/hrzctl/mpt_listing.h"
#include "tools/hrzctl/preset_source.h"
#include "tools/hrzctl/show_preset.h"

#include <cstdlib>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    const std::uint8_t mode = input.Byte();
    const bool preExpress = mode & 1;
    SetPreExpressMode(preExpress);

    TInputFile file;
    file.Path = file.Name = "fuzz.syx";
    file.Bytes = input.Rest();
    file.Scan = ScanSysex(file.Bytes);

    // The scan keeps every byte of a message where it found it.
    for (const auto& m : file.Scan.Messages) {
        if (m.Offset + m.Bytes.size() > file.Bytes.size() ||
            !std::equal(m.Bytes.begin(), m.Bytes.end(), file.Bytes.begin() + m.Offset))
            std::abort();
    }
    const TCheckResult check = CheckDumpFile(file, preExpress);
    for (const auto& p : check.Problems)
        if (p.Offset > file.Bytes.size() || p.Text.empty())
            std::abort();
    if (check.Problems.size() > TCheckResult::MaxListedProblems ||
        check.ProblemCount < check.Problems.size())
        std::abort();

    std::ostringstream out;
    std::vector<std::string> warnings;
    try {
        const auto items = PresetsOf(file, preExpress, warnings);
        // The first few presets: the rest of a bulk dump takes the same paths.
        const std::size_t shown = std::min<std::size_t>(items.size(), 3);
        for (std::size_t k = 0; k < shown; ++k) {
            WritePresetText(out, PresetName(file.Path, items[k]), BuildPresetView(items[k].Preset));
            (void)DiffPresets(items[k].Preset, items.front().Preset);
        }
        // One of them as JSON, chosen by the input: parsing and printing the JSON
        // again cost most of an execution, and each preset takes the same paths.
        const TPresetView view = BuildPresetView(items[(mode >> 1) % shown].Preset);
        std::ostringstream json;
        {
            TJsonWriter writer(json);
            writer.BeginArray().BeginObject().FileName("file", std::string(file.Path) + "\xff");
            WritePresetJsonFields(writer, view);
            writer.End().End();
        }
        // What scripts read must parse, say the same as the text, and print
        // as the document writer prints it.
        const auto parsed = TJson::parse(json.str(), nullptr, false);
        if (parsed.is_discarded() || parsed.size() != 1 || JsonText(parsed) + "\n" != json.str() ||
            parsed[0]["title"] != Latin1ToUtf8(view.Title))
            std::abort();
    } catch (const EHrzError&) {
        // no preset in it: said, not shown
    }
    for (const auto& m : file.Scan.Messages) {
        if (ClassifyMessage(m, preExpress) != TDumpKind::Table)
            continue;
        TMemoryStream stream(m.Bytes);
        Tmpt table;
        table.LoadFromStream(stream, preExpress);
        WriteMptGrid(out, table, preExpress, TRowLabels::Ranges);
        WriteMptList(out, table, preExpress);
    }
    return 0;
}
