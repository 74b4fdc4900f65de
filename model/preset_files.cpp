#include "model/preset_files.h"

#include "model/errors.h"
#include "model/file_path.h"
#include "model/latin1_text.h"
#include "model/preset.h"
#include "model/preset_view.h"
#include "model/safe_file_name.h"
#include "model/stream.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Far above a full four-bank backup; anything larger is not a dump file.
constexpr std::size_t kLargestJoinedFile = 16u * 1024u * 1024u;

std::string Lowered(std::string reason) {
    if (!reason.empty())
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    return reason;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

std::string PresetFileName(const std::string& title, int number, const std::string& untitledName) {
    std::string name = SafeFileName(title.empty() ? untitledName : title);
    for (char& ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F)
            ch = ' ';
    }
    std::string digits = std::to_string(number);
    if (digits.size() < 3)
        digits.insert(0, 3 - digits.size(), '0');
    return Latin1ToUtf8(name) + ".hrz" + digits;
}

int PresetFileNumber(const std::string& path) {
    const std::string name = Utf8FromPath(PathFromUtf8(path).filename());
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

int CountPresetDumps(const TSysexScan& scan) {
    return static_cast<int>(
        std::count_if(scan.Messages.begin(), scan.Messages.end(), [](const TSysexMessage& message) {
            return TPreset::IsPresetDump(message.Bytes.data(), message.Bytes.size());
        }));
}

TSplitResult SplitPresetDumps(const TSysexScan& scan, const std::string& sourceName,
                              bool preExpress, const std::string& untitledName) {
    TSplitResult result;
    const auto at = [&](std::size_t offset) {
        return sourceName + ": offset " + std::to_string(offset) + ": ";
    };
    for (const auto& issue : scan.Issues)
        result.Warnings.push_back(at(issue.Offset) + issue.Text);
    int number = 0;
    for (const auto& message : scan.Messages) {
        if (ClassifyMessage(message, preExpress) != TDumpKind::Preset) {
            result.Warnings.push_back(at(message.Offset) + "skipped " +
                                      DescribeMessage(message, preExpress));
            continue;
        }
        // join refuses a file that MIDI cannot carry; split writes none, so the two agree.
        const auto& d = message.Bytes;
        std::string refusal;
        for (std::size_t k = 1; k + 1 < d.size() && refusal.empty(); ++k)
            if (d[k] >= 0x80)
                refusal = at(message.Offset + k) + DataByteIssueText(d[k]);
        // A dump cut off at the end of the file: its last byte is not the end byte.
        if (refusal.empty() && !message.Terminated)
            refusal = d.back() >= 0x80
                          ? at(message.Offset + d.size() - 1) + DataByteIssueText(d.back())
                          : at(message.Offset) + "message has no end byte (F7)";
        if (!refusal.empty()) {
            result.Files.clear();
            result.Error = refusal + " (run hrzctl check for details)";
            return result;
        }
        const TPreset preset = PresetFromDump(d);
        result.Files.push_back({PresetFileName(preset.Title, ++number, untitledName), d});
    }
    if (result.Files.empty())
        result.Error = sourceName + ": no preset dump in this file";
    return result;
}

std::string JoinRefusal(const std::string& name, const std::vector<std::uint8_t>& bytes,
                        const TSysexScan& scan) {
    if (scan.Messages.empty())
        return name +
               (bytes.empty() ? ": empty file" : ": no system-exclusive message in this file");
    if (!scan.Issues.empty()) {
        const auto& issue = scan.Issues.front();
        return name + ": offset " + std::to_string(issue.Offset) + ": " + issue.Text +
               " (run hrzctl check for details)";
    }
    return {};
}

std::vector<std::string> PresetFilesInFolder(const std::string& folder) {
    std::vector<std::string> paths;
    std::error_code ec;
    fs::directory_iterator it(PathFromUtf8(folder), ec);
    if (ec)
        throw EHrzError(folder + ": cannot be read (" + ec.message() + ")");
    for (const fs::directory_entry& entry : it) {
        std::error_code fileEc;
        if (!entry.is_regular_file(fileEc))
            continue;
        const std::string name = Utf8FromPath(entry.path().filename());
        if (PresetFileNumber(name) >= 0 || EndsWith(name, ".hrz"))
            paths.push_back(Utf8FromPath(entry.path()));
    }
    // As a shell lists them, then by number.
    std::sort(paths.begin(), paths.end());
    return SortedByPresetNumber(std::move(paths));
}

std::vector<std::uint8_t> JoinPresetFiles(const std::vector<std::string>& paths) {
    TReadLimits limits;
    limits.MaxBytes = kLargestJoinedFile;
    std::vector<std::uint8_t> joined;
    for (const auto& path : paths) {
        std::vector<std::uint8_t> bytes;
        try {
            bytes = ReadWholeFile(path, limits);
        } catch (const EFileReadError& e) {
            if (e.Kind() == EFileReadError::TKind::TooLarge)
                throw EHrzError(path + ": too large for a dump file");
            throw EHrzError(path + ": " + Lowered(e.Reason()));
        }
        const std::string refusal = JoinRefusal(path, bytes, ScanSysex(bytes));
        if (!refusal.empty())
            throw EHrzError(refusal);
        joined.insert(joined.end(), bytes.begin(), bytes.end());
    }
    return joined;
}

std::vector<std::uint8_t> ReadPresetFile(const std::string& path) {
    TReadLimits limits;
    limits.MaxBytes = TPreset::DumpSize;
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadWholeFile(path, limits);
    } catch (const EFileReadError& e) {
        if (e.Kind() != EFileReadError::TKind::TooLarge)
            throw;
    }
    if (bytes.size() != TPreset::DumpSize)
        throw EInvalidData("Not a valid preset file");
    return bytes;
}
