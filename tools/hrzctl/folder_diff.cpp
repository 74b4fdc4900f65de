// hrzctl diff of two backup folders: the states and texts of the program's
// comparison window, one line per location that is not the same.
#include "model/library_compare.h"
#include "model/unit_location.h"
#include "tools/hrzctl/commands.h"
#include "tools/hrzctl/diff_text.h"
#include "tools/hrzctl/json_output.h"
#include "tools/hrzctl/text_util.h"

namespace {

const char* const kOnlyInA = "only in the first folder";
const char* const kOnlyInB = "only in the second folder";

// "A 001" as the window shows a location; "001" for a Pre-Express backup.
std::string LocationText(const TCompareRow& row) {
    return PresetLocationText(row.Bank, row.Number);
}

// The title of a side, or its file name when the file holds no preset dump.
std::string SideText(const TCompareSide& side) {
    if (!side.Present)
        return "-";
    if (!side.Problem.empty())
        return HrzctlText::TerminalSafe(side.Name);
    return HrzctlText::Printable(side.Title);
}

std::string StateText(TCompareState state) {
    return CompareStateText(state, kOnlyInA, kOnlyInB);
}

// "200 locations compared: 2 differ, 1 only in the first folder, 197 the same"
std::string SummaryText(const TCompareCounts& counts) {
    std::string text = std::to_string(counts.Total()) + " locations compared";
    const char* separator = ": ";
    const auto add = [&](TCompareState state, const std::string& what) {
        const int n = counts.ByState[static_cast<std::size_t>(state)];
        if (n == 0)
            return;
        text += separator + std::to_string(n) + " " + what;
        separator = ", ";
    };
    add(TCompareState::Differs, counts.ByState[1] == 1 ? "differs" : "differ");
    add(TCompareState::OnlyInA, kOnlyInA);
    add(TCompareState::OnlyInB, kOnlyInB);
    add(TCompareState::Same, "the same");
    return text;
}

void WriteText(std::ostream& out, const std::string& a, const std::string& b,
               const std::vector<TCompareRow>& rows, const TCompareCounts& counts) {
    if (counts.NotSame() > 0)
        out << "--- " << HrzctlText::QuotedName(a) << '\n'
            << "+++ " << HrzctlText::QuotedName(b) << '\n';
    for (const auto& row : rows) {
        if (row.State == TCompareState::Same)
            continue;
        out << LocationText(row) << "  " << StateText(row.State) << "  " << SideText(row.A) << " | "
            << SideText(row.B) << '\n';
        WriteDiffItems(out, RowDifferences(row), "    ");
    }
    out << SummaryText(counts) << '\n';
}

TJson SideJson(const TCompareSide& side) {
    if (!side.Present)
        return TJson();
    TJson json = TJson::object();
    SetFileName(json, "file", side.Path);
    json["title"] = HrzctlText::Latin1ToUtf8(side.Title);
    if (!side.Problem.empty())
        json["problem"] = side.Problem;
    return json;
}

void WriteJsonDocument(std::ostream& out, const std::string& a, const std::string& b,
                       const std::vector<TCompareRow>& rows, const TCompareCounts& counts) {
    TJson document = TJson::object();
    SetFileName(document, "a", a);
    SetFileName(document, "b", b);
    document["equal"] = counts.NotSame() == 0;
    document["counts"] =
        TJson{{"locations", counts.Total()},
              {"same", counts.ByState[static_cast<std::size_t>(TCompareState::Same)]},
              {"differs", counts.ByState[static_cast<std::size_t>(TCompareState::Differs)]},
              {"only_in_a", counts.ByState[static_cast<std::size_t>(TCompareState::OnlyInA)]},
              {"only_in_b", counts.ByState[static_cast<std::size_t>(TCompareState::OnlyInB)]}};
    TJson locations = TJson::array();
    for (const auto& row : rows) {
        if (row.State == TCompareState::Same)
            continue;
        TJson differences = TJson::array();
        for (const auto& item : RowDifferences(row))
            differences.push_back(TJson{
                {"section", item.Section}, {"item", item.Label}, {"a", item.A}, {"b", item.B}});
        locations.push_back(TJson{{"location", LocationText(row)},
                                  {"bank", row.Bank < 0 ? TJson() : TJson(BankLetter(row.Bank))},
                                  {"number", row.Number},
                                  {"state", StateText(row.State)},
                                  {"a", SideJson(row.A)},
                                  {"b", SideJson(row.B)},
                                  {"differences", std::move(differences)}});
    }
    document["locations"] = std::move(locations);
    WriteJson(out, document);
}

} // namespace

int DiffBackupFolders(const TCommandOptions& options, TConsole& console) {
    const std::string& a = options.Files[0];
    const std::string& b = options.Files[1];
    const std::vector<TCompareRow> rows = CompareBackupFolders(a, b);
    if (rows.empty()) {
        // Most likely the folder above the backups, or a mistyped one.
        ReportError(console, HrzctlText::QuotedName(a) + " and " + HrzctlText::QuotedName(b) +
                                 ": neither folder holds preset files (Title.hrzNNN)");
        return ExitFailure;
    }
    const TCompareCounts counts = CountStates(rows);
    if (options.Json)
        WriteJsonDocument(console.Out, a, b, rows, counts);
    else
        WriteText(console.Out, a, b, rows, counts);
    return counts.NotSame() == 0 ? ExitOk : ExitDifferent;
}
