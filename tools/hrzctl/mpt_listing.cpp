#include "tools/hrzctl/mpt_listing.h"

#include "model/errors.h"
#include "model/stream.h"
#include "tools/hrzctl/commands.h"
#include "tools/hrzctl/input_file.h"
#include "tools/hrzctl/text_util.h"

using HrzctlText::PadRight;
using HrzctlText::ThreeDigits;

namespace {

constexpr int kColumns = 10;
constexpr std::size_t kLabelWidth = 10; // "Prog Chg #"

std::string RowLabel(int row, TRowLabels labels) {
    if (labels == TRowLabels::Offsets)
        return std::to_string(kColumns * (row - 1)) + " +";
    return std::to_string(kColumns * row - 9) + "-" + std::to_string(kColumns * row);
}

std::string Cell(const Tmpt& table, int entry) {
    return ThreeDigits(table.Entries[static_cast<std::size_t>(entry)] + 1);
}

} // namespace

void WriteMptGrid(std::ostream& out, const Tmpt& table, bool preExpress, TRowLabels labels) {
    const int count = Tmpt::MptEntryCount(preExpress);
    out << "Prog Chg #";
    for (int c = 1; c <= kColumns; ++c)
        out << ' ' << (c < 10 ? "  " : " ") << c;
    out << '\n';
    const int rows = (count + kColumns - 1) / kColumns;
    for (int r = 1; r <= rows; ++r) {
        std::string line = PadRight(RowLabel(r, labels), kLabelWidth);
        for (int c = 1; c <= kColumns; ++c) {
            const int entry = kColumns * (r - 1) + (c - 1);
            if (entry >= count)
                break;
            line += ' ' + Cell(table, entry);
        }
        out << line << '\n';
    }
}

void WriteMptList(std::ostream& out, const Tmpt& table, bool preExpress) {
    out << "Prog Chg #  Preset\n";
    for (int i = 0; i < Tmpt::MptEntryCount(preExpress); ++i) {
        const std::string number = std::to_string(i + 1);
        out << std::string(10 - number.size(), ' ') << number << "  " << Cell(table, i) << '\n';
    }
}

void AddMptJsonFields(TJson& object, const Tmpt& table, bool preExpress) {
    object["model"] = preExpress ? "Pre-Express" : "Express";
    object["channel"] = static_cast<int>(table.DeviceId);
    object["command"] = static_cast<int>(table.Command);
    TJson presets = TJson::array();
    for (int i = 0; i < Tmpt::MptEntryCount(preExpress); ++i)
        presets.push_back(table.Entries[static_cast<std::size_t>(i)] + 1);
    object["presets"] = std::move(presets);
}

namespace {

struct TTableItem {
    std::size_t Offset = 0;
    Tmpt Table;
};

std::vector<TTableItem> TablesOf(const TInputFile& file, bool preExpress,
                                 std::vector<std::string>& warnings) {
    std::vector<TTableItem> tables;
    bool otherModel = false;
    for (const auto& message : file.Scan.Messages) {
        const TDumpKind kind = ClassifyMessage(message, preExpress);
        if (kind != TDumpKind::Table) {
            otherModel = otherModel || kind == TDumpKind::OtherModelTable;
            warnings.push_back(file.Name + ": offset " + std::to_string(message.Offset) +
                               ": skipped " + DescribeMessage(message, preExpress));
            continue;
        }
        TMemoryStream stream(message.Bytes);
        TTableItem item;
        item.Offset = message.Offset;
        item.Table.LoadFromStream(stream, preExpress);
        tables.push_back(std::move(item));
    }
    for (const auto& issue : file.Scan.Issues)
        warnings.push_back(file.Name + ": offset " + std::to_string(issue.Offset) + ": " +
                           issue.Text);
    if (tables.empty()) {
        if (otherModel)
            throw EInvalidData(file.Name + (preExpress
                                                ? ": holds an Express program table; leave out "
                                                  "--pre-express"
                                                : ": holds a Pre-Express program table; add "
                                                  "--pre-express"));
        throw EInvalidData(
            file.Name + (file.Bytes.empty() ? ": empty file" : ": no program table in this file"));
    }
    return tables;
}

} // namespace

int CmdMpt(const TCommandOptions& options, TConsole& console) {
    int status = ExitOk;
    TJson json = TJson::array();
    bool first = true;
    for (const auto& path : options.Files) {
        const auto found = FindInFile(console, path, [&](const TInputFile& file, auto& warnings) {
            return TablesOf(file, options.PreExpress, warnings);
        });
        if (!found) {
            status = ExitFailure;
            continue;
        }
        const std::vector<TTableItem>& tables = *found;
        for (std::size_t i = 0; i < tables.size(); ++i) {
            const Tmpt& table = tables[i].Table;
            if (options.Json) {
                TJson object = TJson::object();
                SetFileName(object, "file", path);
                object["table"] = i + 1;
                object["offset"] = tables[i].Offset;
                AddMptJsonFields(object, table, options.PreExpress);
                json.push_back(std::move(object));
                continue;
            }
            if (!first)
                console.Out << '\n';
            first = false;
            console.Out << "== " << HrzctlText::QuotedName(path);
            if (tables.size() > 1)
                console.Out << ", table " << i + 1 << " of " << tables.size();
            console.Out << " ==\n";
            if (options.List)
                WriteMptList(console.Out, table, options.PreExpress);
            else
                WriteMptGrid(console.Out, table, options.PreExpress,
                             options.Offsets ? TRowLabels::Offsets : TRowLabels::Ranges);
        }
    }
    if (options.Json)
        WriteJson(console.Out, TJson{{"tables", std::move(json)}});
    return status;
}
