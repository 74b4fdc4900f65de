#include "tools/hrzctl/split_join.h"

#include "model/errors.h"
#include "model/safe_file_name.h"
#include "model/stream.h"
#include "tools/hrzctl/commands.h"
#include "tools/hrzctl/input_file.h"
#include "model/preset_view.h"
#include "tools/hrzctl/text_util.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

std::string PresetFileName(const std::string& title, int number, const std::string& untitledName) {
    std::string name = SafeFileName(title.empty() ? untitledName : title);
    for (char& ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F)
            ch = ' ';
    }
    return HrzctlText::Latin1ToUtf8(name) + ".hrz" + HrzctlText::ThreeDigits(number);
}

int PresetFileNumber(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    const auto at = name.rfind(".hrz");
    if (at == std::string::npos)
        return -1;
    const std::string digits = name.substr(at + 4);
    if (digits.empty() || digits.size() > 6 ||
        !std::all_of(digits.begin(), digits.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return -1;
    return std::stoi(digits);
}

std::vector<std::string> SortedByPresetNumber(std::vector<std::string> paths) {
    std::stable_sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
        const int na = PresetFileNumber(a), nb = PresetFileNumber(b);
        if (na < 0 || nb < 0)
            return na >= 0 && nb < 0;
        return na < nb;
    });
    return paths;
}

int CmdSplit(const TCommandOptions& options, TConsole& console) {
    namespace fs = std::filesystem;
    if (options.Files.size() != 2) {
        ReportError(console, "split needs a file and a folder (hrzctl split FILE.syx DIR)");
        return ExitFailure;
    }
    const std::string& source = options.Files[0];
    const std::string sourceName = HrzctlText::QuotedName(source);
    const fs::path folder(options.Files[1]);
    TInputFile file;
    try {
        file = ReadInputFile(source);
    } catch (const std::exception& e) {
        ReportError(console, e.what());
        return ExitFailure;
    }
    for (const auto& issue : file.Scan.Issues)
        ReportWarnings(
            console, {sourceName + ": offset " + std::to_string(issue.Offset) + ": " + issue.Text});

    std::vector<const TSysexMessage*> presets;
    for (const auto& message : file.Scan.Messages) {
        if (ClassifyMessage(message, options.PreExpress) != TDumpKind::Preset) {
            ReportWarnings(console, {sourceName + ": offset " + std::to_string(message.Offset) +
                                     ": skipped " + DescribeMessage(message, options.PreExpress)});
            continue;
        }
        // join refuses a file that MIDI cannot carry; split writes none, so the two agree.
        const auto& d = message.Bytes;
        for (std::size_t k = 1; k + 1 < d.size(); ++k)
            if (d[k] >= 0x80) {
                ReportError(console, sourceName + ": offset " + std::to_string(message.Offset + k) +
                                         ": " + DataByteIssueText(d[k]) +
                                         " (run hrzctl check for details)");
                return ExitFailure;
            }
        presets.push_back(&message);
    }
    if (presets.empty()) {
        ReportError(console, sourceName + ": no preset dump in this file");
        return ExitFailure;
    }

    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder)) {
        ReportError(console, HrzctlText::QuotedName(folder.string()) +
                                 ": cannot create the folder" +
                                 (ec ? " (" + ec.message() + ")" : std::string()));
        return ExitFailure;
    }

    int number = 0;
    for (const TSysexMessage* dump : presets) {
        const TSysexMessage& message = *dump;
        ++number;
        const TPreset preset = PresetFromDump(message.Bytes);
        const fs::path target = folder / PresetFileName(preset.Title, number, options.UntitledName);
        try {
            WriteFileAtomically(target.string(), message.Bytes.data(), message.Bytes.size());
        } catch (const std::exception& e) {
            ReportError(console, e.what());
            return ExitFailure;
        }
        console.Out << HrzctlText::QuotedName(target.string()) << '\n';
    }
    return ExitOk;
}

int CmdJoin(const TCommandOptions& options, TConsole& console) {
    if (options.Files.empty()) {
        ReportError(console, "join needs at least one file (hrzctl join FILE... > OUT.syx)");
        return ExitFailure;
    }
    if (options.OutputPath.empty() && console.OutIsTerminal) {
        ReportError(console, "join writes binary data; redirect it to a file or use -o FILE");
        return ExitFailure;
    }
    const auto paths = options.SortByNumber ? SortedByPresetNumber(options.Files) : options.Files;
    // Everything is read and checked before a byte is written, so a bad input never
    // leaves half a file behind.
    std::vector<std::uint8_t> joined;
    for (const auto& path : paths) {
        TInputFile file;
        try {
            file = ReadInputFile(path);
        } catch (const std::exception& e) {
            ReportError(console, e.what());
            return ExitFailure;
        }
        if (file.Scan.Messages.empty()) {
            ReportError(console, file.Name + (file.Bytes.empty()
                                                  ? ": empty file"
                                                  : ": no system-exclusive message in this file"));
            return ExitFailure;
        }
        if (!file.Scan.Issues.empty()) {
            const auto& issue = file.Scan.Issues.front();
            ReportError(console, file.Name + ": offset " + std::to_string(issue.Offset) + ": " +
                                     issue.Text + " (run hrzctl check for details)");
            return ExitFailure;
        }
        joined.insert(joined.end(), file.Bytes.begin(), file.Bytes.end());
    }
    if (!options.OutputPath.empty()) {
        try {
            WriteFileAtomically(options.OutputPath, joined.data(), joined.size());
        } catch (const std::exception& e) {
            ReportError(console, e.what());
            return ExitFailure;
        }
        return ExitOk;
    }
    console.Out.write(reinterpret_cast<const char*>(joined.data()),
                      static_cast<std::streamsize>(joined.size()));
    console.Out.flush();
    if (!console.Out) {
        ReportError(console, "cannot write the joined dump to the output");
        return ExitFailure;
    }
    return ExitOk;
}
