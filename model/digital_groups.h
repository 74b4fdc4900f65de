#pragma once
// The valid digital effect groups of the unit and the operations that keep a preset's
// digital group, active flags, packed digital slots and performance assignments
// consistent with the user's choice of digital effects.
#include <array>
#include <string>
#include <string_view>
#include <vector>

class TPreset;

namespace DigitalGroups {

constexpr int RowCount = 54;
constexpr int PreExpressRowCount = 47;
constexpr int EffectCount = 25;
constexpr int PreExpressEffectCount = 23;
constexpr int RowLength = 5;

using TRow = std::array<int, RowLength>; // effect indexes, -1 = empty position

// Row g of the group table (g within 0..RowCount-1; throws std::out_of_range otherwise).
const TRow& Row(int g);

// Rows and effects the given model knows.
constexpr int GroupCount(bool preExpress) {
    return preExpress ? PreExpressRowCount : RowCount;
}
constexpr int EffectCountOf(bool preExpress) {
    return preExpress ? PreExpressEffectCount : EffectCount;
}
// The same for the current mode; SetPreExpressMode (model/device_globals.h) keeps them in step.
int ActiveGroupCount();  // G
int ActiveEffectCount(); // E

// Some position of row g holds effect e (false for a row outside the table).
bool RowContains(int g, int e);
// Position of the name among the first E effect names; throws EHrzError
// "Unknown effect " + name.
int EffectIndex(std::string_view name);
// Slots P34.. used by row g.
int SlotsUsed(int g);
// Offset of effect e within the digital slots of row g, or -1 when absent.
int SlotOffset(int g, int e);
// The digital slots for newGroup: effects also in oldGroup keep their values (moved to
// their new offsets), the others get their defaults, unused slots are 0.
std::array<int, 18> RepackSlots(int newGroup, int oldGroup, const std::array<int, 18>& oldSlots);
// Catalogue number of the parameter in digital slot P(slot) under group g, 0 when no
// parameter lives there.
int CatalogueNumberAtSlot(int g, int slot);
// "46. Low Pass, Tuner": one line per active group.
std::vector<std::string> PickListLines();
// "Group #" + g.
std::string GroupLabel(int g);

} // namespace DigitalGroups

// The digital effects the user has selected for one preset (the selection list, in
// order) together with the preset they describe. Each operation keeps group, slots,
// active flags and performance entries consistent; the window only shows the result.
class TDigitalSelection {
public:
    explicit TDigitalSelection(TPreset& preset) : preset_(preset) {}

    const std::vector<std::string>& Selected() const { return selected_; }
    // Names that may be added now, sorted alphabetically.
    const std::vector<std::string>& Available() const { return available_; }

    // Fills the selection from the preset as it is shown in a window: determines the
    // group of a new preset, checks the loaded group and takes the active effects.
    // Returns true when the "Preset error" message is due (the group was invalid and
    // has been replaced by group 0 with nothing active).
    bool LoadFromPreset();

    // Finds the lowest group holding every selected effect and applies it. Throws
    // EHrzError "Cannot determine digital group" and changes nothing when none does.
    void DetermineGroup();

    // Appends an effect and re-determines the group. Returns false (nothing changed)
    // when it is already selected. An effect no valid group can take with the current
    // selection throws as DetermineGroup does and leaves everything unchanged.
    bool Add(std::string name);
    // Removes an effect and re-determines the group; false when it was not selected.
    bool Remove(std::string name);

    struct TStep {
        bool IsAddition = false;
        std::string Name;
        bool operator==(const TStep&) const = default;
    };
    // The removals, then the additions, that make group k current (in the order they
    // must happen). Empty for a row outside the active ones.
    std::vector<TStep> PickGroupSteps(int k) const;
    // Performs PickGroupSteps(k).
    void PickGroup(int k);

private:
    void ApplyGroup(int g);
    void SetActiveFlags();
    void RecomputeAvailable();
    bool IsSelected(int e) const;

    TPreset& preset_;
    std::vector<std::string> selected_;
    std::vector<std::string> available_;
};
