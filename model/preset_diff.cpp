#include "model/preset_diff.h"

#include "model/latin1_text.h"
#include "model/preset_view.h"
#include "model/unit_names.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::size_t kMaxListedOffsets = 16;

std::string HexByte(int byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte & 0xFF);
    return text;
}

class TDiffCollector {
public:
    void Compare(const std::string& section, const std::string& label, const std::string& a,
                 const std::string& b) {
        if (a != b)
            items.push_back({section, label, a, b});
    }
    void CompareParams(const std::string& section, const std::vector<TParamValue>& a,
                       const std::vector<TParamValue>& b) {
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
            if (a[i].Raw != b[i].Raw)
                items.push_back({section, ParamLabel(*a[i].Info), a[i].Text, b[i].Text});
    }
    std::vector<TDiffItem> items;
};

std::string OnOff(bool on) {
    return on ? "on" : "off";
}

std::string GroupText(const TPresetView& view) {
    std::string text = std::to_string(view.Group);
    if (!view.GroupValid)
        return text + " (invalid)";
    text += " (";
    for (std::size_t i = 0; i < view.Digital.size(); ++i)
        text += (i ? ", " : "") + view.Digital[i].Name;
    return text + ")";
}

const TEffectView* FindEffect(const TPresetView& view, int effect) {
    for (const auto& e : view.Digital)
        if (e.Effect == effect)
            return &e;
    return nullptr;
}

std::string PerfText(const TPresetView& view, int k) {
    for (const auto& perf : view.Perf) {
        if (perf.Entry != k)
            continue;
        std::string text =
            ControllerText(perf.Controller, perf.ControllerName) + " -> " + perf.ParamLabel;
        if (perf.ParamNumber != 0)
            text += " from " + perf.LowText + " to " + perf.HighText;
        return text;
    }
    return "not in use";
}

} // namespace

std::vector<TDiffItem> DiffPresets(const TPreset& a, const TPreset& b) {
    const TPresetView va = BuildPresetView(a);
    const TPresetView vb = BuildPresetView(b);
    TDiffCollector diff;

    diff.Compare("title", "Title", Latin1ToUtf8(va.Title), Latin1ToUtf8(vb.Title));
    diff.Compare("title", "Channel byte", std::to_string(va.Channel), std::to_string(vb.Channel));
    diff.CompareParams("mix", va.Mix, vb.Mix);
    for (std::size_t i = 0; i < va.Analog.size(); ++i)
        diff.Compare("analog", va.Analog[i].Name, OnOff(va.Analog[i].Active),
                     OnOff(vb.Analog[i].Active));
    for (std::size_t i = 0; i < va.Analog.size(); ++i)
        diff.CompareParams("analog", va.Analog[i].Params, vb.Analog[i].Params);

    diff.Compare("digital", "Digital group", GroupText(va), GroupText(vb));
    if (va.GroupValid && vb.GroupValid) {
        for (const auto& ea : va.Digital)
            if (const TEffectView* eb = FindEffect(vb, ea.Effect))
                diff.Compare("digital", ea.Name, OnOff(ea.Active), OnOff(eb->Active));
        for (const auto& ea : va.Digital)
            if (const TEffectView* eb = FindEffect(vb, ea.Effect))
                diff.CompareParams("digital", ea.Params, eb->Params);
    } else if (!va.GroupValid && !vb.GroupValid) {
        for (int i = 0; i < TPreset::DigitalSlotCount; ++i) {
            const auto s = static_cast<std::size_t>(i);
            diff.Compare("digital", "P" + std::to_string(TPreset::FirstDigitalSlot + i),
                         std::to_string(va.DigitalSlots[s]), std::to_string(vb.DigitalSlots[s]));
        }
    }

    for (int i = 0; i < TPreset::FB7Count; ++i) {
        const auto s = static_cast<std::size_t>(i);
        diff.Compare("fb7", "FB7 " + std::string(UnitNames::FB7Caption(i)), OnOff(va.FB7[s]),
                     OnOff(vb.FB7[s]));
    }
    for (int k = 0; k < TPreset::PerfCount; ++k)
        diff.Compare("performance", "Controller #" + std::to_string(k + 1), PerfText(va, k),
                     PerfText(vb, k));

    if (diff.items.empty()) {
        // Reserved bits, filler bytes, the trailer: nothing the editor shows, still not equal.
        const auto da = a.HasLoadedDump ? a.LoadedDump : a.DumpBytes();
        const auto db = b.HasLoadedDump ? b.LoadedDump : b.DumpBytes();
        std::vector<int> offsets;
        for (int i = 0; i < TPreset::DumpSize; ++i)
            if (da[static_cast<std::size_t>(i)] != db[static_cast<std::size_t>(i)])
                offsets.push_back(i);
        if (!offsets.empty()) {
            std::string label = "Dump bytes at offsets ";
            std::string ta, tb;
            for (std::size_t i = 0; i < offsets.size() && i < kMaxListedOffsets; ++i) {
                const auto at = static_cast<std::size_t>(offsets[i]);
                label += (i ? ", " : "") + std::to_string(offsets[i]);
                ta += (i ? " " : "") + HexByte(da[at]);
                tb += (i ? " " : "") + HexByte(db[at]);
            }
            if (offsets.size() > kMaxListedOffsets)
                label += " and " + std::to_string(offsets.size() - kMaxListedOffsets) + " more";
            diff.items.push_back({"dump", label, ta, tb});
        }
    }
    return diff.items;
}
