// hrzctl on any file: the .syx scan, check, and show as text and JSON, and the
// table listing, as the commands run them.
#include "fuzz/fuzz_input.h"
#include "model/device_globals.h"
#include "model/digital_groups.h"
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
    const bool preExpress = input.Byte() & 1;
    PreExpressMode = preExpress;
    DigitalGroups::SetActiveGroupCounts(preExpress);

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
        std::ostringstream json;
        std::vector<std::string> titles;
        {
            TJsonWriter writer(json);
            writer.BeginArray();
            // The first few presets: the rest of a bulk dump takes the same paths.
            for (std::size_t k = 0; k < std::min<std::size_t>(items.size(), 3); ++k) {
                const auto& item = items[k];
                const TPresetView view = BuildPresetView(item.Preset);
                WritePresetText(out, PresetName(file.Path, item), view);
                writer.BeginObject().FileName("file", std::string(file.Path) + "\xff");
                WritePresetJsonFields(writer, view);
                writer.End();
                titles.push_back(Latin1ToUtf8(view.Title));
                (void)DiffPresets(item.Preset, items.front().Preset);
            }
            writer.End();
        }
        // What scripts read must parse, say the same as the text, and print
        // as the document writer prints it.
        const auto parsed = TJson::parse(json.str(), nullptr, false);
        if (parsed.is_discarded() || parsed.size() != titles.size() ||
            JsonText(parsed) + "\n" != json.str())
            std::abort();
        for (std::size_t k = 0; k < parsed.size(); ++k)
            if (parsed[k]["title"] != titles[k])
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
