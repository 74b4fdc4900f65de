#include "tools/hrzctl/dump_check.h"

#include "model/catalogue.h"
#include "model/digital_groups.h"
#include "model/hrz_messages.h"
#include "model/mpt.h"
#include "model/preset.h"
#include "model/preset_view.h"
#include "tools/hrzctl/text_util.h"

#include <algorithm>
#include <array>

using HrzctlText::HexByte;

int AcceptedMin(const TParamInfo& param) {
    return std::min(param.Min, param.Default);
}

int AcceptedMax(const TParamInfo& param) {
    return std::max(param.Max, param.Default);
}

namespace {

using TBytes = std::vector<std::uint8_t>;

// The first MaxListedProblems problems by offset, and the count of all: a file
// of noise has millions, and memory must stay a small multiple of the file.
class TProblemList {
public:
    explicit TProblemList(TCheckResult& result) : result_(result) {}
    void Add(std::size_t offset, std::string text) {
        ++result_.ProblemCount;
        result_.Problems.push_back({offset, std::move(text)});
        if (result_.Problems.size() >= 4 * TCheckResult::MaxListedProblems)
            Trim();
    }
    void Trim() {
        auto& p = result_.Problems;
        std::stable_sort(p.begin(), p.end(), [](const TCheckProblem& a, const TCheckProblem& b) {
            return a.Offset < b.Offset;
        });
        if (p.size() > TCheckResult::MaxListedProblems)
            p.resize(TCheckResult::MaxListedProblems);
    }

private:
    TCheckResult& result_;
};

class TChecker {
public:
    TChecker(TProblemList& problems, std::size_t base, std::string prefix)
        : problems_(problems), base_(base), prefix_(std::move(prefix)) {}

    void Problem(std::size_t offset, const std::string& text) {
        problems_.Add(base_ + offset, prefix_ + text);
    }

private:
    TProblemList& problems_;
    std::size_t base_;
    std::string prefix_;
};

std::string Range(int low, int high) {
    return std::to_string(low) + ".." + std::to_string(high);
}

void CheckChannel(TChecker& c, const TBytes& d) {
    if (d[2] > 15)
        c.Problem(2, "channel byte " + std::to_string(d[2]) + " is above 15");
}

// A flag set: only the bits that carry flags may be set.
void CheckBits(TChecker& c, const TBytes& d, std::size_t offset, int lowMask, int highMask) {
    if (d[offset] & ~lowMask & 0x7F)
        c.Problem(offset, "reserved bits set in byte " + std::to_string(offset) + " (" +
                              HexByte(d[offset]) + ")");
    if (d[offset + 1] & ~highMask & 0x7F)
        c.Problem(offset + 1, "reserved bits set in byte " + std::to_string(offset + 1) + " (" +
                                  HexByte(d[offset + 1]) + ")");
}

// A value pair: the high byte only ever carries bit 7 of a value 0..255.
int CheckedPair(TChecker& c, const TBytes& d, std::size_t offset) {
    if (d[offset + 1] > 1)
        c.Problem(offset + 1, "high byte of the value at offset " + std::to_string(offset) +
                                  " is " + HexByte(d[offset + 1]) + " (only 0 or 1 is used)");
    return d[offset] + 128 * d[offset + 1];
}

void CheckValue(TChecker& c, const TParamInfo& info, int slot, int value) {
    const int low = AcceptedMin(info), high = AcceptedMax(info);
    if (value < low || value > high)
        c.Problem(static_cast<std::size_t>(TPreset::OffsetParams + 2 * slot),
                  ParamLabel(info) + " (P" + std::to_string(slot) + ") is " +
                      std::to_string(value) + ", outside " + Range(low, high));
}

void CheckPresetDump(TChecker& c, const TBytes& d, bool preExpress) {
    CheckChannel(c, d);
    CheckBits(c, d, 5, 0x7F, 0x01);  // FB7 positions 0..7
    CheckBits(c, d, 7, 0x03, 0x00);  // FB7 positions 8..9
    CheckBits(c, d, 9, 0x7F, 0x01);  // analog effects 0..7
    CheckBits(c, d, 11, 0x07, 0x00); // analog effects 8..10
    CheckBits(c, d, 15, 0x1F, 0x00); // digital active flags
    CheckBits(c, d, TPreset::OffsetPerfEnabled, 0x7F, 0x01);

    std::array<int, TPreset::ParamCount> params{};
    for (int p = 0; p < TPreset::ParamCount; ++p)
        params[static_cast<std::size_t>(p)] =
            CheckedPair(c, d, static_cast<std::size_t>(TPreset::OffsetParams + 2 * p));
    for (const auto& info : Catalogue::MixParams())
        CheckValue(c, info, info.Slot, params[static_cast<std::size_t>(info.Slot)]);
    for (const auto& info : Catalogue::AnalogParams())
        CheckValue(c, info, info.Slot, params[static_cast<std::size_t>(info.Slot)]);

    const int group = CheckedPair(c, d, 13);
    const int groups = DigitalGroups::GroupCount(preExpress);
    const bool groupValid = group >= 0 && group < groups;
    if (!groupValid) {
        std::string text =
            "digital group " + std::to_string(group) + " is not valid (" + Range(0, groups - 1);
        if (preExpress && group < DigitalGroups::RowCount)
            text += " on the Pre-Express model";
        c.Problem(13, text + ")");
    } else {
        const auto& row = DigitalGroups::Row(group);
        int slot = TPreset::FirstDigitalSlot;
        for (int j = 0; j < DigitalGroups::RowLength; ++j) {
            const int e = row[static_cast<std::size_t>(j)];
            if (e < 0) {
                if (TPreset::TestBit(d[15], j))
                    c.Problem(15, "digital effect flag " + std::to_string(j) +
                                      " is set but group " + std::to_string(group) +
                                      " has no effect at that position");
                continue;
            }
            for (const auto& info : Catalogue::DigitalEffectParams(e)) {
                CheckValue(c, info, slot, params[static_cast<std::size_t>(slot)]);
                ++slot;
            }
        }
        for (; slot < TPreset::ParamCount; ++slot)
            if (params[static_cast<std::size_t>(slot)] != 0)
                c.Problem(static_cast<std::size_t>(TPreset::OffsetParams + 2 * slot),
                          "P" + std::to_string(slot) + " is " +
                              std::to_string(params[static_cast<std::size_t>(slot)]) +
                              " but group " + std::to_string(group) + " uses only P34..P" +
                              std::to_string(TPreset::FirstDigitalSlot +
                                             DigitalGroups::SlotsUsed(group) - 1));
    }

    // Title: a character then a 0x00 filler, sixteen times.
    for (int n = 0; n < TPreset::TitleLength; ++n) {
        const auto at = static_cast<std::size_t>(TPreset::OffsetTitle + 2 * n);
        if (d[at + 1] != 0)
            c.Problem(at + 1, "title filler byte is " + HexByte(d[at + 1]) + " (expected 0x00)");
    }
    // Blanks and controls at either end are padding to the reader; the ones between
    // are part of the title. Positions count from the dump, not the trimmed title.
    const auto titleChar = [&](int n) {
        return d[static_cast<std::size_t>(TPreset::OffsetTitle + 2 * n)];
    };
    int first = 0, last = TPreset::TitleLength;
    while (first < last && titleChar(first) <= 0x20)
        ++first;
    while (last > first && titleChar(last - 1) <= 0x20)
        --last;
    for (int n = first; n < last; ++n) {
        const std::uint8_t ch = titleChar(n);
        if (ch < 0x20 || ch == 0x7F)
            c.Problem(static_cast<std::size_t>(TPreset::OffsetTitle + 2 * n),
                      "title character " + std::to_string(n + 1) + " is a control character (" +
                          HexByte(ch) + ")");
    }
    const TPreset preset = PresetFromDump(d);

    for (int k = 0; k < TPreset::PerfCount; ++k) {
        const auto at =
            static_cast<std::size_t>(TPreset::OffsetPerfEntries + TPreset::PerfEntrySize * k);
        std::array<int, 6> pair{};
        for (std::size_t i = 0; i < pair.size(); ++i)
            pair[i] = CheckedPair(c, d, at + 2 * i);
        if (!preset.PerfEnabled[static_cast<std::size_t>(k)])
            continue;
        const std::string entry = "performance controller #" + std::to_string(k + 1) + ": ";
        const auto& perf = preset.PerfMIDI[static_cast<std::size_t>(k)];
        if (perf.Controller > TPerfMIDI::ControllerOff)
            c.Problem(at,
                      entry + "controller " + std::to_string(perf.Controller) + " is not 0..128");
        if (perf.ParamNumber == 0)
            continue;
        const int number = groupValid || perf.ParamNumber <= TPreset::FirstDigitalSlot
                               ? preset.ResolvePerfParam(k)
                               : 0;
        const TParamInfo* info = Catalogue::FindByNumber(number);
        if (info == nullptr) {
            c.Problem(at + 6, entry + "parameter number " + std::to_string(perf.ParamNumber) +
                                  " names no parameter of this preset");
            continue;
        }
        // The range scroll bars take the control's own limits, without the
        // stored default a new effect may carry.
        const int low = info->Min, high = info->Max;
        if (perf.LowValue < low || perf.LowValue > high)
            c.Problem(at + 2, entry + "low value " + std::to_string(perf.LowValue) +
                                  " is outside " + ParamLabel(*info) + " " + Range(low, high));
        if (perf.HighValue < low || perf.HighValue > high)
            c.Problem(at + 4, entry + "high value " + std::to_string(perf.HighValue) +
                                  " is outside " + ParamLabel(*info) + " " + Range(low, high));
    }
}

void CheckTableDump(TChecker& c, const TBytes& d, bool preExpress) {
    CheckChannel(c, d);
    const int count = Tmpt::MptEntryCount(preExpress);
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(5 + 2 * i);
        const int value = CheckedPair(c, d, at);
        if (value >= Tmpt::MaxEntries)
            c.Problem(at, "program change " + std::to_string(i + 1) + " selects preset " +
                              std::to_string(value + 1) + " (only 001..200 exist)");
    }
}

void CheckOther(TChecker& c, const TBytes& d, bool preExpress) {
    if (d.size() < 5) {
        c.Problem(0, std::to_string(d.size()) + "-byte message is too short for this unit");
        return;
    }
    if (d[1] != HrzMessages::MakerId || d[3] != HrzMessages::ModelId) {
        c.Problem(1, "not a message of this unit (header F0 " + HexByte(d[1]).substr(2) + " " +
                         HexByte(d[2]).substr(2) + " " + HexByte(d[3]).substr(2) + ")");
        return;
    }
    const std::string length = std::to_string(d.size()) + " bytes";
    const std::string sized = std::to_string(d.size()) + "-byte";
    if (d[4] == HrzMessages::CmdPresetDump) {
        c.Problem(0, "preset dump is " + length + " long (a preset dump has 252)");
    } else if (d[4] == HrzMessages::MptDumpCommand(preExpress)) {
        c.Problem(0, "program table is " + length + " long (expected " +
                         std::to_string(Tmpt::MptDumpLength(preExpress)) + ")");
    } else if (d[4] == HrzMessages::MptDumpCommand(!preExpress) &&
               d.size() == static_cast<std::size_t>(Tmpt::MptDumpLength(!preExpress))) {
        c.Problem(4, preExpress ? "an Express program table (leave out --pre-express)"
                                : "a Pre-Express program table (check it with --pre-express)");
    } else {
        c.Problem(4, sized + " message with command " + HexByte(d[4]) +
                         " is neither a preset dump nor a program table");
    }
}

} // namespace

TCheckResult CheckDumpFile(const TInputFile& file, bool preExpress) {
    TCheckResult result;
    TProblemList problems(result);
    if (file.Bytes.empty()) {
        problems.Add(0, "empty file");
        return result;
    }
    const TSysexScan& scan = file.Scan;
    const bool dumps = std::any_of(scan.Messages.begin(), scan.Messages.end(), [](const auto& m) {
        return ClassifyMessage(m, false) != TDumpKind::Other;
    });
    // A picture or a file of noise: one line says so, not one per stray byte.
    if (scan.Messages.empty() ||
        (!dumps && (file.Bytes.front() != 0xF0 || scan.StrayBytes * 2 > file.Bytes.size()))) {
        problems.Add(0, "no system-exclusive data in this file (" +
                            std::to_string(file.Bytes.size()) +
                            " bytes without a preset dump or program table)");
        return result;
    }
    for (const auto& issue : scan.Issues)
        problems.Add(issue.Offset, issue.Text);
    // What the scan left out still counts: each issue, and each message that
    // is neither a dump nor a table (one problem at least).
    result.ProblemCount += scan.IssuesLeftOut + scan.OtherMessagesLeftOut;

    const bool several = scan.Messages.size() + scan.OtherMessagesLeftOut > 1;
    int ordinal = 0;
    for (const auto& message : scan.Messages) {
        ++ordinal;
        const std::string prefix = several ? "message " + std::to_string(ordinal) + ": " : "";
        TChecker c(problems, message.Offset, prefix);
        switch (ClassifyMessage(message, preExpress)) {
        case TDumpKind::Preset:
            ++result.Presets;
            CheckPresetDump(c, message.Bytes, preExpress);
            break;
        case TDumpKind::Table:
            ++result.Tables;
            CheckTableDump(c, message.Bytes, preExpress);
            break;
        case TDumpKind::OtherModelTable:
        case TDumpKind::Other:
            CheckOther(c, message.Bytes, preExpress);
            break;
        }
    }
    problems.Trim();
    return result;
}
