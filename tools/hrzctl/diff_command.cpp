#include "model/file_path.h"
#include "model/preset_diff.h"
#include "tools/hrzctl/commands.h"
#include "tools/hrzctl/diff_text.h"
#include "tools/hrzctl/input_file.h"
#include "tools/hrzctl/json_output.h"
#include "tools/hrzctl/preset_source.h"
#include "tools/hrzctl/text_util.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

constexpr std::size_t kMaxColumnWidth = 30;

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(PathFromUtf8(path), ec);
}

struct TPairDiff {
    int Preset = 0; // 1-based position in both files
    std::vector<TDiffItem> Items;
};

void WriteText(std::ostream& out, const std::string& a, const std::string& b, bool several,
               const std::vector<TPairDiff>& pairs) {
    out << "--- " << HrzctlText::QuotedName(a) << '\n'
        << "+++ " << HrzctlText::QuotedName(b) << '\n';
    for (const auto& pair : pairs) {
        if (several && pair.Preset > 0)
            out << "== preset " << pair.Preset << " ==\n";
        WriteDiffItems(out, pair.Items, "");
    }
}

void WriteDiffJson(std::ostream& out, const std::string& a, const std::string& b,
                   const std::vector<TPairDiff>& pairs) {
    TJson document = TJson::object();
    SetFileName(document, "a", a);
    SetFileName(document, "b", b);
    document["equal"] = pairs.empty();
    TJson differences = TJson::array();
    for (const auto& pair : pairs)
        for (const auto& item : pair.Items)
            differences.push_back(TJson{{"preset", pair.Preset > 0 ? TJson(pair.Preset) : TJson()},
                                        {"section", item.Section},
                                        {"item", item.Label},
                                        {"a", item.A},
                                        {"b", item.B}});
    document["differences"] = std::move(differences);
    WriteJson(out, document);
}

} // namespace

void WriteDiffItems(std::ostream& out, const std::vector<TDiffItem>& items,
                    const std::string& indent) {
    using HrzctlText::DisplayWidth;
    using HrzctlText::PadRight;
    using HrzctlText::TerminalSafe;
    // Columns fit the preset's own items; a long performance entry may overflow.
    std::size_t labelWidth = 0, aWidth = 0;
    for (const auto& item : items) {
        labelWidth = std::max(labelWidth, DisplayWidth(TerminalSafe(item.Label)));
        aWidth = std::max(aWidth, DisplayWidth(TerminalSafe(item.A)));
    }
    aWidth = std::min(aWidth, kMaxColumnWidth);
    for (const auto& item : items)
        out << indent << PadRight(TerminalSafe(item.Label), labelWidth) << "  "
            << PadRight(TerminalSafe(item.A), aWidth) << " | " << TerminalSafe(item.B) << '\n';
}

int CmdDiff(const TCommandOptions& options, TConsole& console) {
    if (options.Files.size() != 2) {
        ReportError(console, "diff needs two files or two folders (hrzctl diff A B)");
        return ExitFailure;
    }
    const bool folderA = IsFolder(options.Files[0]), folderB = IsFolder(options.Files[1]);
    if (folderA && folderB)
        return DiffBackupFolders(options, console);
    if (folderA != folderB) {
        const std::string& file = folderA ? options.Files[1] : options.Files[0];
        ReportError(console,
                    HrzctlText::QuotedName(file) +
                        (std::filesystem::exists(PathFromUtf8(file)) ? ": not a folder"
                                                                     : ": no such folder") +
                        "; diff compares two files or two folders");
        return ExitFailure;
    }
    const std::string& pathA = options.Files[0];
    const std::string& pathB = options.Files[1];
    std::vector<TPresetItem> a, b;
    std::vector<std::string> warnings;
    try {
        a = PresetsOf(ReadInputFile(pathA), options.PreExpress, warnings);
        b = PresetsOf(ReadInputFile(pathB), options.PreExpress, warnings);
    } catch (const std::exception& e) {
        ReportWarnings(console, warnings);
        ReportError(console, e.what());
        return ExitFailure;
    }
    ReportWarnings(console, warnings);

    std::vector<TPairDiff> pairs;
    if (a.size() != b.size())
        pairs.push_back({0,
                         {{"dump", "Presets in the file", std::to_string(a.size()),
                           std::to_string(b.size())}}});
    const bool several = a.size() > 1 || b.size() > 1;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        auto items = DiffPresets(a[i].Preset, b[i].Preset);
        if (!items.empty())
            pairs.push_back({several ? static_cast<int>(i) + 1 : 0, std::move(items)});
    }

    if (options.Json)
        WriteDiffJson(console.Out, pathA, pathB, pairs);
    else if (!pairs.empty())
        WriteText(console.Out, pathA, pathB, several, pairs);
    return pairs.empty() ? ExitOk : ExitDifferent;
}
