#include "model/sysex_scan.h"

#include "model/mpt.h"
#include "model/preset.h"

#include <cstdio>

namespace {

constexpr std::uint8_t kStart = 0xF0;
constexpr std::uint8_t kEnd = 0xF7;

// "0x7F"
std::string HexByte(int byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte & 0xFF);
    return text;
}

bool IsTableOf(const std::vector<std::uint8_t>& d, bool preExpress) {
    return d.size() == static_cast<std::size_t>(Tmpt::MptDumpLength(preExpress)) &&
           d[0] == kStart && d[1] == TPreset::MakerId && d[3] == TPreset::ModelId &&
           d[4] == Tmpt::MptCommand(preExpress);
}

// A preset dump is found by its length and header, as the program finds it, so
// that a title byte of F0 or F7 does not split it. Its end byte must be there,
// unless the dump ends the file.
bool PresetDumpAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    constexpr auto size = static_cast<std::size_t>(TPreset::DumpSize);
    if (bytes.size() - at < size || !TPreset::IsPresetDump(bytes.data() + at, size))
        return false;
    return bytes[at + size - 1] == kEnd || at + size == bytes.size();
}

} // namespace

std::string DataByteIssueText(std::uint8_t byte) {
    return "data byte " + HexByte(byte) + " is not below 0x80";
}

TSysexScan ScanSysex(const std::vector<std::uint8_t>& bytes) {
    TSysexScan scan;
    TSysexMessage* open = nullptr;
    std::size_t strayStart = 0;
    std::size_t strayCount = 0;
    // Bounded, so that memory stays a small multiple of the file's size.
    const auto issue = [&](std::size_t offset, auto text) {
        if (scan.Issues.size() < TSysexScan::MaxIssues)
            scan.Issues.push_back({offset, text()});
        else
            ++scan.IssuesLeftOut;
    };
    std::size_t othersKept = 0;
    // A finished message that is neither a dump nor a table is dropped beyond
    // the first MaxOtherMessages.
    const auto finish = [&](std::size_t index) {
        if (ClassifyMessage(scan.Messages[index], false) != TDumpKind::Other)
            return;
        if (othersKept < TSysexScan::MaxOtherMessages) {
            ++othersKept;
            return;
        }
        scan.Messages.erase(scan.Messages.begin() + static_cast<std::ptrdiff_t>(index));
        ++scan.OtherMessagesLeftOut;
    };
    const auto flushStray = [&] {
        if (strayCount == 0)
            return;
        scan.StrayBytes += strayCount;
        issue(strayStart, [&] {
            return std::to_string(strayCount) + (strayCount == 1 ? " byte" : " bytes") +
                   " outside any system-exclusive message";
        });
        strayCount = 0;
    };
    const auto unterminated = [&](const TSysexMessage& m) {
        issue(m.Offset, [] { return std::string("message has no end byte (F7)"); });
    };
    const auto openNew = [&](std::size_t at) {
        scan.Messages.push_back({at, {bytes[at]}, false});
        open = &scan.Messages.back();
    };

    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t b = bytes[i];
        if (open == nullptr) {
            if (b == kStart && PresetDumpAt(bytes, i)) {
                flushStray();
                const auto end = i + static_cast<std::size_t>(TPreset::DumpSize);
                TSysexMessage dump{i,
                                   {bytes.begin() + static_cast<std::ptrdiff_t>(i),
                                    bytes.begin() + static_cast<std::ptrdiff_t>(end)},
                                   bytes[end - 1] == kEnd};
                for (std::size_t k = i + 1; k + 1 < end; ++k)
                    if (bytes[k] >= 0x80)
                        issue(k, [&] { return DataByteIssueText(bytes[k]); });
                if (!dump.Terminated) {
                    if (bytes[end - 1] >= 0x80)
                        issue(end - 1, [&] { return DataByteIssueText(bytes[end - 1]); });
                    unterminated(dump);
                }
                scan.Messages.push_back(std::move(dump));
                i = end - 1;
            } else if (b == kStart) {
                flushStray();
                openNew(i);
            } else {
                if (strayCount == 0)
                    strayStart = i;
                ++strayCount;
            }
            continue;
        }
        if (b == kEnd) {
            open->Bytes.push_back(b);
            open->Terminated = true;
            open = nullptr;
            finish(scan.Messages.size() - 1);
        } else if (b == kStart) {
            unterminated(*open);
            open = nullptr;
            finish(scan.Messages.size() - 1);
            openNew(i);
        } else {
            // Kept in the message so that its length and the bytes after it stay right.
            if (b >= 0x80)
                issue(i, [&] { return DataByteIssueText(b); });
            open->Bytes.push_back(b);
        }
    }
    if (open != nullptr) {
        unterminated(*open);
        finish(scan.Messages.size() - 1);
    }
    flushStray();
    return scan;
}

TDumpKind ClassifyMessage(const TSysexMessage& message, bool preExpress) {
    const auto& d = message.Bytes;
    if (TPreset::IsPresetDump(d.data(), d.size()))
        return TDumpKind::Preset;
    if (IsTableOf(d, preExpress))
        return TDumpKind::Table;
    if (IsTableOf(d, !preExpress))
        return TDumpKind::OtherModelTable;
    return TDumpKind::Other;
}

std::string DescribeMessage(const TSysexMessage& message, bool preExpress) {
    switch (ClassifyMessage(message, preExpress)) {
    case TDumpKind::Preset:
        return "preset dump";
    case TDumpKind::Table:
        return "program table";
    case TDumpKind::OtherModelTable:
        return preExpress ? "Express program table" : "Pre-Express program table";
    case TDumpKind::Other:
        break;
    }
    const auto& d = message.Bytes;
    if (d.size() >= 5 && d[1] == TPreset::MakerId && d[3] == TPreset::ModelId)
        return std::to_string(d.size()) + "-byte message with command " + HexByte(d[4]);
    return std::to_string(d.size()) + "-byte message for another device";
}
