#include "model/digital_groups.h"

#include "model/catalogue.h"
#include "model/device_globals.h"
#include "model/errors.h"
#include "model/preset.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <stdexcept>

namespace DigitalGroups {
namespace {

constexpr int X = -1;
constexpr TRow kRows[RowCount] = {
    {0, 18, 1, 4, X},  {0, 17, 1, 4, X},  {0, 17, 2, 4, X},  {0, 18, 1, 5, X},  {0, 17, 1, 5, X},
    {0, 17, 2, 5, X},  {0, 18, 1, 6, X},  {0, 17, 1, 6, X},  {0, 17, 2, 6, X},  {0, 15, 8, 1, 4},
    {0, 15, 8, 1, 5},  {0, 15, 8, 1, 6},  {0, 16, 7, 1, 4},  {0, 16, 7, 1, 5},  {0, 16, 7, 1, 6},
    {0, 15, 7, 1, 4},  {0, 15, 7, 1, 5},  {0, 15, 7, 1, 6},  {0, 15, 7, 2, 4},  {0, 15, 7, 2, 5},
    {0, 15, 7, 2, 6},  {0, 15, 1, 11, X}, {0, 16, 1, 10, X}, {0, 15, 1, 10, X}, {0, 15, 2, 10, X},
    {0, 16, 3, X, X},  {0, 15, 3, X, X},  {0, 15, 9, X, X},  {0, 15, 12, X, X}, {0, 15, 11, 4, X},
    {0, 16, 10, 4, X}, {0, 15, 10, 4, X}, {0, 13, 8, X, X},  {0, 14, 7, X, X},  {0, 13, 7, X, X},
    {0, 15, 11, 5, X}, {0, 16, 10, 5, X}, {0, 15, 10, 5, X}, {0, 15, 11, 6, X}, {0, 16, 10, 6, X},
    {0, 15, 10, 6, X}, {0, 19, 8, X, X},  {0, 19, 7, X, X},  {0, 20, X, X, X},  {0, 21, X, X, X},
    {0, 15, 3, 7, X},  {0, 22, X, X, X},  {0, 18, 23, 4, X}, {0, 17, 23, 4, X}, {0, 18, 23, 5, X},
    {0, 17, 23, 5, X}, {0, 18, 23, 6, X}, {0, 17, 23, 6, X}, {0, 17, 24, X, X},
};

// Read by the virtual unit's worker as well as the window thread; written only by
// SetPreExpressMode below.
std::atomic<int> activeRows{RowCount};
std::atomic<int> activeEffects{EffectCount};

int ParamCountOf(int e) {
    return Catalogue::DigitalEffects()[static_cast<std::size_t>(e)].ParamCount;
}

bool ValidRow(int g) {
    return g >= 0 && g < RowCount;
}

} // namespace

const TRow& Row(int g) {
    if (!ValidRow(g))
        throw std::out_of_range("Digital group out of range");
    return kRows[g];
}

int ActiveGroupCount() {
    return activeRows;
}

int ActiveEffectCount() {
    return activeEffects;
}

bool RowContains(int g, int e) {
    if (!ValidRow(g))
        return false;
    return std::find(kRows[g].begin(), kRows[g].end(), e) != kRows[g].end() && e >= 0;
}

int EffectIndex(std::string_view name) {
    const auto effects = Catalogue::DigitalEffects();
    for (int e = 0; e < ActiveEffectCount(); ++e)
        if (effects[static_cast<std::size_t>(e)].Name == name)
            return e;
    throw EHrzError("Unknown effect " + std::string(name));
}

int SlotsUsed(int g) {
    int used = 0;
    for (int e : Row(g)) {
        if (e < 0)
            break;
        used += ParamCountOf(e);
    }
    return used;
}

int SlotOffset(int g, int e) {
    if (!ValidRow(g) || e < 0)
        return -1;
    int offset = 0;
    for (int f : kRows[g]) {
        if (f < 0)
            break;
        if (f == e)
            return offset;
        offset += ParamCountOf(f);
    }
    return -1;
}

std::array<int, 18> RepackSlots(int newGroup, int oldGroup, const std::array<int, 18>& oldSlots) {
    std::array<int, 18> slots{};
    std::size_t next = 0;
    for (int e : Row(newGroup)) {
        if (e < 0)
            break;
        const int oldOffset = SlotOffset(oldGroup, e);
        const auto params = Catalogue::DigitalEffectParams(e);
        for (std::size_t i = 0; i < params.size(); ++i)
            slots[next++] = oldOffset >= 0 ? oldSlots[static_cast<std::size_t>(oldOffset) + i]
                                           : params[i].Default;
    }
    return slots;
}

int CatalogueNumberAtSlot(int g, int slot) {
    if (!ValidRow(g))
        return 0;
    int index = slot - TPreset::FirstDigitalSlot;
    if (index < 0)
        return 0;
    for (int e : kRows[g]) {
        if (e < 0)
            break;
        if (index < ParamCountOf(e))
            return Catalogue::DigitalParamNumber(e, index + 1);
        index -= ParamCountOf(e);
    }
    return 0;
}

std::vector<std::string> PickListLines() {
    std::vector<std::string> lines;
    const auto effects = Catalogue::DigitalEffects();
    for (int g = 0; g < ActiveGroupCount(); ++g) {
        std::string line = std::to_string(g) + ". ";
        bool first = true;
        for (int e : kRows[g]) {
            if (e < 0)
                break;
            if (!first)
                line += ", ";
            line += effects[static_cast<std::size_t>(e)].Name;
            first = false;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string GroupLabel(int g) {
    return "Group #" + std::to_string(g);
}

} // namespace DigitalGroups

namespace {

struct TParamRef {
    int Effect;
    int P; // 1-based
};

// The digital effect and parameter a catalogue number names, among the first E effects.
std::optional<TParamRef> DigitalParamOf(int number) {
    const auto effects = Catalogue::DigitalEffects();
    int before = 0;
    const int n = number - (Catalogue::FirstDigitalNumber - 1);
    if (n < 1)
        return std::nullopt;
    for (int e = 0; e < DigitalGroups::ActiveEffectCount(); ++e) {
        const int count = effects[static_cast<std::size_t>(e)].ParamCount;
        if (before + count >= n)
            return TParamRef{e, n - before};
        before += count;
    }
    return std::nullopt;
}

} // namespace

int TPreset::ResolvePerfParam(int k) const {
    const int n = PerfMIDI.at(static_cast<std::size_t>(k)).ParamNumber;
    if (n <= FirstDigitalSlot)
        return n;
    // Nothing lives beyond the current group's slots; 0 stands for "no parameter".
    return DigitalGroups::CatalogueNumberAtSlot(DigitalGroup(), n - 1);
}

bool TDigitalSelection::IsSelected(int e) const {
    const auto name = Catalogue::DigitalEffects()[static_cast<std::size_t>(e)].Name;
    return std::find(selected_.begin(), selected_.end(), name) != selected_.end();
}

bool TDigitalSelection::LoadFromPreset() {
    selected_.clear();
    if (preset_.DigitalGroup() == -1)
        DetermineGroup();
    bool presetError = false;
    const int g = preset_.DigitalGroup();
    if (g < 0 || g >= DigitalGroups::ActiveGroupCount()) {
        presetError = true;
        preset_.SetDigitalGroup(0);
        for (int j = 0; j < TPreset::DigitalActiveCount; ++j)
            preset_.SetDigitalActive(j, false);
    }
    const auto& row = DigitalGroups::Row(preset_.DigitalGroup());
    for (int j = 0; j < DigitalGroups::RowLength && row[static_cast<std::size_t>(j)] >= 0; ++j)
        if (preset_.DigitalActive(j))
            selected_.emplace_back(
                Catalogue::DigitalEffects()[static_cast<std::size_t>(
                                                row[static_cast<std::size_t>(j)])]
                    .Name);
    RecomputeAvailable();
    return presetError;
}

void TDigitalSelection::DetermineGroup() {
    std::vector<int> wanted;
    for (const auto& name : selected_)
        wanted.push_back(DigitalGroups::EffectIndex(name));
    int g = 0;
    if (!wanted.empty()) {
        g = -1;
        for (int i = 0; i < DigitalGroups::ActiveGroupCount() && g < 0; ++i)
            if (std::all_of(wanted.begin(), wanted.end(),
                            [i](int e) { return DigitalGroups::RowContains(i, e); }))
                g = i;
        if (g < 0)
            throw EHrzError("Cannot determine digital group");
    }
    ApplyGroup(g);
    SetActiveFlags();
    RecomputeAvailable();
}

void TDigitalSelection::ApplyGroup(int g) {
    const int old = preset_.DigitalGroup();
    std::array<int, TPreset::PerfCount> catalogue{};
    for (int k = 0; k < TPreset::PerfCount; ++k)
        catalogue[static_cast<std::size_t>(k)] = preset_.ResolvePerfParam(k);
    preset_.SetDigitalGroup(g);
    if (g == old)
        return;

    std::array<int, 18> oldSlots{};
    for (std::size_t i = 0; i < oldSlots.size(); ++i)
        oldSlots[i] = preset_.Params[TPreset::FirstDigitalSlot + i];
    const auto slots = DigitalGroups::RepackSlots(g, old, oldSlots);
    for (std::size_t i = 0; i < slots.size(); ++i)
        preset_.Params[TPreset::FirstDigitalSlot + i] = slots[i];

    for (int k = 0; k < TPreset::PerfCount; ++k) {
        auto& entry = preset_.PerfMIDI[static_cast<std::size_t>(k)];
        const int c = catalogue[static_cast<std::size_t>(k)];
        // An entry that pointed past the old group's slots has nothing to follow.
        const bool dangling = entry.ParamNumber > TPreset::FirstDigitalSlot && c == 0;
        if (c <= TPreset::FirstDigitalSlot && !dangling)
            continue;
        const auto ref = DigitalParamOf(c);
        const int offset = ref ? DigitalGroups::SlotOffset(g, ref->Effect) : -1;
        if (offset >= 0) {
            entry.ParamNumber = TPreset::FirstDigitalSlot + offset + ref->P;
        } else {
            preset_.PerfEnabled[static_cast<std::size_t>(k)] = false;
            entry.Reset();
        }
    }
}

void TDigitalSelection::SetActiveFlags() {
    const auto& row = DigitalGroups::Row(preset_.DigitalGroup());
    for (int j = 0; j < TPreset::DigitalActiveCount; ++j) {
        const int e = row[static_cast<std::size_t>(j)];
        preset_.SetDigitalActive(j, e >= 0 && IsSelected(e));
    }
}

void TDigitalSelection::RecomputeAvailable() {
    const auto effects = Catalogue::DigitalEffects();
    const int E = DigitalGroups::ActiveEffectCount();
    std::vector<bool> offered(static_cast<std::size_t>(E), false);
    if (selected_.empty()) {
        std::fill(offered.begin(), offered.end(), true);
    } else {
        const int current = preset_.DigitalGroup();
        std::vector<int> active;
        if (current >= 0 && current < DigitalGroups::RowCount) {
            const auto& row = DigitalGroups::Row(current);
            for (int j = 0; j < TPreset::DigitalActiveCount; ++j)
                if (row[static_cast<std::size_t>(j)] >= 0 && preset_.DigitalActive(j))
                    active.push_back(row[static_cast<std::size_t>(j)]);
        }
        for (int i = 0; i < DigitalGroups::ActiveGroupCount(); ++i) {
            if (!std::all_of(active.begin(), active.end(),
                             [i](int e) { return DigitalGroups::RowContains(i, e); }))
                continue;
            for (int e : DigitalGroups::Row(i))
                if (e >= 0 && e < E && !IsSelected(e))
                    offered[static_cast<std::size_t>(e)] = true;
        }
    }
    available_.clear();
    for (int e = 0; e < E; ++e)
        if (offered[static_cast<std::size_t>(e)])
            available_.emplace_back(effects[static_cast<std::size_t>(e)].Name);
    std::sort(available_.begin(), available_.end());
}

bool TDigitalSelection::Add(std::string name) {
    const int e = DigitalGroups::EffectIndex(name);
    if (IsSelected(e))
        return false;
    selected_.push_back(std::move(name));
    try {
        DetermineGroup();
    } catch (...) {
        selected_.pop_back();
        throw;
    }
    return true;
}

bool TDigitalSelection::Remove(std::string name) {
    const auto it = std::find(selected_.begin(), selected_.end(), name);
    if (it == selected_.end())
        return false;
    const auto saved = selected_;
    selected_.erase(it);
    try {
        DetermineGroup();
    } catch (...) {
        selected_ = saved;
        throw;
    }
    return true;
}

std::vector<TDigitalSelection::TStep> TDigitalSelection::PickGroupSteps(int k) const {
    std::vector<TStep> steps;
    if (k < 0 || k >= DigitalGroups::ActiveGroupCount())
        return steps;
    // Play the steps on a scratch copy: which additions are possible depends on the
    // state the removals leave behind.
    TPreset scratch = preset_;
    TDigitalSelection sim(scratch);
    sim.selected_ = selected_;
    sim.available_ = available_;
    for (auto it = selected_.rbegin(); it != selected_.rend(); ++it) {
        if (DigitalGroups::RowContains(k, DigitalGroups::EffectIndex(*it)))
            continue;
        steps.push_back({false, *it});
        sim.Remove(*it);
    }
    const auto effects = Catalogue::DigitalEffects();
    for (int e : DigitalGroups::Row(k)) {
        if (e < 0)
            break;
        const std::string name(effects[static_cast<std::size_t>(e)].Name);
        if (sim.IsSelected(e) ||
            std::find(sim.available_.begin(), sim.available_.end(), name) == sim.available_.end())
            continue;
        steps.push_back({true, name});
        sim.Add(name);
    }
    return steps;
}

void TDigitalSelection::PickGroup(int k) {
    for (const auto& step : PickGroupSteps(k)) {
        if (step.IsAddition)
            Add(step.Name);
        else
            Remove(step.Name);
    }
}

// Here, beside the counts, so that nothing else can change one without the other.
void SetPreExpressMode(bool preExpress) {
    DeviceMode::preExpress = preExpress;
    DigitalGroups::activeRows = DigitalGroups::GroupCount(preExpress);
    DigitalGroups::activeEffects = DigitalGroups::EffectCountOf(preExpress);
}
