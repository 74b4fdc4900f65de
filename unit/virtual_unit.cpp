#include "unit/virtual_unit.h"

#include "model/errors.h"
#include "model/stream.h"

#include <algorithm>

namespace {

constexpr std::uint8_t kSysexStart = 0xF0;
constexpr std::uint8_t kSysexEnd = 0xF7;
constexpr std::uint8_t kMakerId = 0x1A;
constexpr std::uint8_t kModelId = 0x12;
constexpr std::size_t kRequestLength = 6; // F0 1A ch 12 cmd F7

constexpr std::uint8_t kAllPresetsRequest = 0x52;
constexpr std::uint8_t kAllPresetsRequestPreExpress = 0x4B;
constexpr std::uint8_t kTableRequest = 0x53;
constexpr std::uint8_t kTableRequestPreExpress = 0x4C;

// Low part and high flag of a 0-based preset number, as on the wire.
std::uint8_t LowPart(int n) {
    return static_cast<std::uint8_t>(n < 128 ? n : n - 128);
}
std::uint8_t HighFlag(int n) {
    return n < 128 ? 0 : 1;
}

} // namespace

THrzVirtualUnit::THrzVirtualUnit(TUnitOptions options)
    : options_(std::move(options)),
      memory_(LoadUnitMemory(options_.StatePath, options_.PreExpress, &startNotice_)) {
    options_.Channel &= 0x0F;
}

THrzVirtualUnit::~THrzVirtualUnit() {
    if (selectionDirty_ || memoryDirty_)
        SaveState();
}

std::uint8_t THrzVirtualUnit::AllPresetsRequestCommand() const {
    return options_.PreExpress ? kAllPresetsRequestPreExpress : kAllPresetsRequest;
}

std::uint8_t THrzVirtualUnit::TableRequestCommand() const {
    return options_.PreExpress ? kTableRequestPreExpress : kTableRequest;
}

std::vector<TReplyBlock> THrzVirtualUnit::Receive(const std::uint8_t* bytes, std::size_t count) {
    std::vector<TParsedMidiMessage> messages;
    parser_.Feed(bytes, count, messages);
    std::vector<TReplyBlock> replies;
    for (const auto& message : messages)
        HandleMessage(message, replies);
    ApplyFaults(replies);
    return replies;
}

void THrzVirtualUnit::SaveState() {
    if (options_.StatePath.empty())
        return;
    const auto now = TClock::now();
    lastSave_ = now;
    try {
        SaveUnitMemory(options_.StatePath, memory_);
        lastSaveError_.clear();
        selectionDirty_ = memoryDirty_ = false;
        saveDue_.reset();
    } catch (const EHrzError& e) {
        lastSaveError_ = e.what();
        if (memoryDirty_)
            saveDue_ = now + SaveInterval; // tried again, not in a tight loop
    }
}

void THrzVirtualUnit::SaveIfDue(TClock::time_point now) {
    if (saveDue_ && now >= *saveDue_)
        SaveState();
}

void THrzVirtualUnit::MemoryChanged() {
    // A flood of stores or table dumps must not rewrite the whole file each time.
    memoryDirty_ = true;
    if (options_.StatePath.empty() || saveDue_)
        return;
    const auto now = TClock::now();
    if (lastSave_ && *lastSave_ + SaveInterval > now)
        saveDue_ = *lastSave_ + SaveInterval;
    else
        SaveState();
}

void THrzVirtualUnit::HandleMessage(const TParsedMidiMessage& message,
                                    std::vector<TReplyBlock>& replies) {
    using TKind = TParsedMidiMessage::TKind;
    switch (message.Kind) {
    case TKind::Sysex:
        HandleSysex(message.Bytes, replies);
        break;
    case TKind::Channel:
        HandleChannelMessage(message.Bytes);
        break;
    default:
        break; // realtime, system common and broken sysex mean nothing to the unit
    }
}

void THrzVirtualUnit::HandleSysex(const std::vector<std::uint8_t>& d,
                                  std::vector<TReplyBlock>& replies) {
    if (d.size() < kRequestLength || d[1] != kMakerId || d[2] != options_.Channel ||
        d[3] != kModelId)
        return;
    const std::uint8_t command = d[4];
    const std::size_t length = d.size();

    if (command == CmdItemRequest && length == 7) {
        AnswerItem(d[5], replies);
    } else if (command == CmdItemValue && length == 8) {
        SetItem(d[5], d[6]);
    } else if (command == CmdPresetSelect && length == 8) {
        SelectPreset(d[5] + 128 * d[6]);
    } else if (command == CmdStore && length == 8) {
        const int n = d[5] + 128 * d[6];
        if (n < THrzUnitMemory::PresetsPerBank) {
            memory_.Preset(memory_.CurrentBank, n) = memory_.EditBuffer;
            memory_.CurrentPreset = n;
            MemoryChanged();
        }
    } else if (command == CmdCurrentPresetRequest && length == kRequestLength) {
        replies.push_back(PresetDumpReply(memory_.EditBuffer));
    } else if (command == AllPresetsRequestCommand() && length == kRequestLength) {
        for (int i = 0; i < THrzUnitMemory::PresetsPerBank; ++i)
            replies.push_back(PresetDumpReply(memory_.Preset(memory_.CurrentBank, i)));
    } else if (command == TableRequestCommand() && length == kRequestLength) {
        replies.push_back(TableDumpReply());
    } else if (command == CmdPresetDump && TPreset::IsPresetDump(d.data(), length)) {
        std::copy(d.begin(), d.end(), memory_.EditBuffer.begin());
    } else if (command == TableDumpCommand() &&
               length == static_cast<std::size_t>(TableDumpLength())) {
        TMemoryStream stream(d);
        memory_.Table.LoadFromStream(stream, options_.PreExpress);
        MemoryChanged();
    }
}

void THrzVirtualUnit::AnswerItem(std::uint8_t item, std::vector<TReplyBlock>& replies) const {
    const std::uint8_t ch = options_.Channel;
    switch (item) {
    case ItemBypass:
        replies.push_back({kSysexStart, kMakerId, ch, kModelId, CmdItemValue, item,
                           static_cast<std::uint8_t>(memory_.Bypass ? 1 : 0), kSysexEnd});
        break;
    case ItemBank:
        replies.push_back({kSysexStart, kMakerId, ch, kModelId, CmdItemValue, item,
                           static_cast<std::uint8_t>(memory_.CurrentBank), kSysexEnd});
        break;
    case ItemPresetNumber:
        replies.push_back({kSysexStart, kMakerId, ch, kModelId, CmdItemValue, item,
                           LowPart(memory_.CurrentPreset), HighFlag(memory_.CurrentPreset),
                           kSysexEnd});
        break;
    default:
        break; // an item it does not know: no answer
    }
}

void THrzVirtualUnit::SetItem(std::uint8_t item, std::uint8_t value) {
    if (item == ItemBypass && value <= 1) {
        memory_.Bypass = value == 1;
        selectionDirty_ = true;
    } else if (item == ItemBank && value < memory_.BankCount()) {
        memory_.CurrentBank = value;
        memory_.RecallCurrent();
        selectionDirty_ = true;
    }
}

void THrzVirtualUnit::SelectPreset(int index) {
    if (index < 0 || index >= THrzUnitMemory::PresetsPerBank)
        return;
    memory_.CurrentPreset = index;
    memory_.RecallCurrent();
    selectionDirty_ = true;
}

void THrzVirtualUnit::HandleChannelMessage(const std::vector<std::uint8_t>& bytes) {
    const std::uint8_t status = bytes[0];
    if (!options_.Omni && (status & 0x0F) != options_.Channel)
        return;
    const int type = status & 0xF0;
    if (type == 0xB0 && bytes.size() == 3) {
        if (bytes[1] == 0)
            bankSelectCoarse_ = bytes[2];
        else if (bytes[1] == 32)
            bankSelectFine_ = bytes[2];
    } else if (type == 0xC0 && bytes.size() == 2) {
        const int program = (bankSelectCoarse_ * 128 + bankSelectFine_) * 128 + bytes[1];
        if (program < memory_.TableEntryCount())
            SelectPreset(memory_.Table.Entries[static_cast<std::size_t>(program)]);
    }
}

TReplyBlock THrzVirtualUnit::PresetDumpReply(const TPresetDumpBytes& dump) const {
    TReplyBlock block(dump.begin(), dump.end());
    block[2] = options_.Channel;
    return block;
}

TReplyBlock THrzVirtualUnit::TableDumpReply() const {
    Tmpt table = memory_.Table;
    table.SysexStart = kSysexStart;
    table.MakerId = kMakerId;
    table.DeviceId = options_.Channel;
    table.ModelId = kModelId;
    table.Command = TableDumpCommand();
    table.SysexEnd = kSysexEnd;
    TMemoryStream stream;
    table.SaveToStream(stream, options_.PreExpress);
    return stream.Bytes();
}

void THrzVirtualUnit::ApplyFaults(std::vector<TReplyBlock>& replies) {
    const TUnitFaults& f = options_.Faults;
    if (f.Silent) {
        replies.clear();
        return;
    }
    if (!f.Any())
        return;
    const auto due = [this](int every) { return every > 0 && replyCount_ % every == 0; };
    std::vector<TReplyBlock> out;
    for (auto& block : replies) {
        ++replyCount_;
        if (due(f.DropEvery))
            continue;
        if (due(f.TruncateEvery))
            block.resize(std::max<std::size_t>(1, block.size() / 2));
        if (due(f.CorruptEvery) && block.size() > 2) {
            // Flip a data byte: the frame survives, the content does not.
            std::size_t at = block.size() / 2;
            while (at + 1 < block.size() && block[at] >= 0x80)
                ++at;
            if (block[at] < 0x80)
                block[at] ^= 0x01;
        }
        if (f.Interleave) {
            const auto other = static_cast<std::uint8_t>(0xB0 | ((options_.Channel + 1) & 0x0F));
            out.push_back({0xFE, other, 0x07, 0x64});
            block.insert(block.begin() + static_cast<std::ptrdiff_t>(block.size() / 2), 0xF8);
        }
        out.push_back(std::move(block));
    }
    replies = std::move(out);
}
