#include "unit/midi_byte_parser.h"

using TKind = TParsedMidiMessage::TKind;

int TMidiByteParser::DataByteCount(std::uint8_t status) {
    if (status < 0x80)
        return 0;
    if (status < 0xF0) {
        const int type = status & 0xF0;
        return (type == 0xC0 || type == 0xD0) ? 1 : 2;
    }
    switch (status) {
    case 0xF1:
    case 0xF3:
        return 1;
    case 0xF2:
        return 2;
    default:
        return 0;
    }
}

void TMidiByteParser::Reset() {
    inSysex_ = false;
    sysexOverflow_ = false;
    sysex_.clear();
    runningStatus_ = 0;
    dataHave_ = 0;
    dataNeed_ = 0;
    systemCommon_ = false;
}

void TMidiByteParser::AbortSysex(std::vector<TParsedMidiMessage>& out) {
    if (inSysex_ && !sysexOverflow_)
        out.push_back({TKind::SysexAborted, std::move(sysex_)});
    sysex_.clear();
    inSysex_ = false;
    sysexOverflow_ = false;
}

void TMidiByteParser::Feed(const std::uint8_t* bytes, std::size_t count,
                           std::vector<TParsedMidiMessage>& out) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = bytes[i];
        if (b >= 0xF8) {
            // Realtime bytes may appear anywhere and disturb nothing.
            out.push_back({TKind::Realtime, {b}});
            continue;
        }
        if (b == 0xF7) {
            if (inSysex_) {
                if (!sysexOverflow_) {
                    sysex_.push_back(b);
                    out.push_back({TKind::Sysex, std::move(sysex_)});
                }
                sysex_.clear();
                inSysex_ = false;
                sysexOverflow_ = false;
            }
            runningStatus_ = 0;
            dataNeed_ = 0;
            continue;
        }
        if (b >= 0x80) {
            AbortSysex(out);
            dataHave_ = 0;
            if (b == 0xF0) {
                inSysex_ = true;
                sysex_.clear();
                sysex_.push_back(b);
                runningStatus_ = 0;
                dataNeed_ = 0;
                continue;
            }
            systemCommon_ = b >= 0xF0;
            // System common messages cancel running status; channel messages set it.
            runningStatus_ = b;
            dataNeed_ = DataByteCount(b);
            if (dataNeed_ == 0) {
                if (systemCommon_)
                    out.push_back({TKind::SystemCommon, {b}});
                runningStatus_ = 0;
            }
            continue;
        }
        // A data byte.
        if (inSysex_) {
            if (sysexOverflow_)
                continue;
            if (sysex_.size() + 1 >= maxSysex_) {
                sysexOverflow_ = true;
                sysex_.clear();
                sysex_.shrink_to_fit();
                continue;
            }
            sysex_.push_back(b);
            continue;
        }
        if (runningStatus_ == 0 || dataNeed_ == 0)
            continue; // no status to belong to: line noise
        data_[dataHave_++] = b;
        if (dataHave_ < dataNeed_)
            continue;
        TParsedMidiMessage msg{systemCommon_ ? TKind::SystemCommon : TKind::Channel,
                               {runningStatus_}};
        for (int k = 0; k < dataNeed_; ++k)
            msg.Bytes.push_back(data_[k]);
        out.push_back(std::move(msg));
        dataHave_ = 0;
        if (systemCommon_) {
            runningStatus_ = 0;
            dataNeed_ = 0;
        }
    }
}
