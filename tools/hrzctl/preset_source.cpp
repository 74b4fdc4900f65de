#include "tools/hrzctl/preset_source.h"

#include "model/errors.h"
#include "model/preset_view.h"
#include "tools/hrzctl/text_util.h"

std::vector<TPresetItem> PresetsOf(const TInputFile& file, bool preExpress,
                                   std::vector<std::string>& warnings) {
    std::vector<TPresetItem> items;
    std::string otherKinds;
    for (const auto& message : file.Scan.Messages) {
        if (ClassifyMessage(message, preExpress) != TDumpKind::Preset) {
            const std::string what = DescribeMessage(message, preExpress);
            warnings.push_back(file.Name + ": offset " + std::to_string(message.Offset) +
                               ": skipped " + what);
            if (otherKinds.empty())
                otherKinds = what;
            continue;
        }
        TPresetItem item;
        item.Offset = message.Offset;
        item.Preset = PresetFromDump(message.Bytes);
        items.push_back(std::move(item));
    }
    for (const auto& issue : file.Scan.Issues)
        warnings.push_back(file.Name + ": offset " + std::to_string(issue.Offset) + ": " +
                           issue.Text);
    if (items.empty()) {
        std::string text = file.Name + ": no preset dump in this file";
        if (file.Bytes.empty())
            text = file.Name + ": empty file";
        else if (otherKinds.find("program table") != std::string::npos)
            text += " (it holds a " + otherKinds + "; try hrzctl mpt)";
        else if (!otherKinds.empty())
            text += " (it holds a " + otherKinds + ")";
        throw EInvalidData(text);
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i].Ordinal = static_cast<int>(i) + 1;
        items[i].CountInFile = static_cast<int>(items.size());
    }
    return items;
}

std::string PresetName(const std::string& path, const TPresetItem& item) {
    const std::string name = HrzctlText::QuotedName(path);
    if (item.CountInFile == 1)
        return name;
    return name + ", preset " + std::to_string(item.Ordinal) + " of " +
           std::to_string(item.CountInFile);
}
