#include "editor/fb7_states.h"

#include "editor/frm_preset_editor.h"
#include "editor/latin1_string.h"
#include "model/unit_names.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

namespace {

constexpr const char* kBoxNames[TFB7States::BoxCount] = {
    "chkFB7exc", "chkFB7cmp", "chkFB7dst", "chkFB7equ", "chkFB7exp",
    "chkFB7rev", "chkFB7dly", "chkFB7ptr", "chkFB7fla", "chkFB7sfx"};

// Analog effects (list order) and digital pages whose presence enables each box.
struct TFamily {
    std::initializer_list<int> Analog;
    std::initializer_list<int> DigitalPages;
};
const TFamily kFamilies[TFB7States::BoxCount] = {
    {{4}, {}},                       // Exciter
    {{1}, {}},                       // Compressor
    {{3}, {}},                       // Distortion
    {{7}, {0}},                      // Equalizer, or the Low Pass page
    {{2, 6}, {}},                    // Expander or Noise Gate
    {{}, {7, 8}},                    // Reverb, Gate Verb
    {{}, {9, 10, 11}},               // Tapped, Regen, Stereo DDL
    {{}, {3, 16}},                   // Pitch Trans, Dual PTr
    {{}, {1, 15, 2}},                // Flanger, Phaser, Chorus
    {{8, 5}, {4, 6, 14, 12, 13, 5}}, // A.E.S., Envelope Filter; Panner .. Tremolo
};

} // namespace

TFB7States::TFB7States(TfrmPresetEditor& editor, QWidget* page) : QObject(page), editor_(editor) {
    auto* outer = new QVBoxLayout(page);
    auto* group = new QGroupBox("Effects the FB7 switches in this preset", page);
    auto* grid = new QGridLayout(group);
    for (int i = 0; i < BoxCount; ++i) {
        auto* box = new QCheckBox(Latin1String(UnitNames::FB7Caption(i)), group);
        box->setObjectName(kBoxNames[i]);
        Boxes[static_cast<std::size_t>(i)] = box;
        grid->addWidget(box, i % 5, i / 5);
        connect(box, &QCheckBox::clicked, this, [this, i] { BoxClicked(i); });
    }
    grid->setColumnStretch(2, 1);
    outer->addWidget(group);
    outer->addStretch(1);
}

bool TFB7States::FamilyPresent(int i) const {
    const TFamily& family = kFamilies[i];
    for (int a : family.Analog)
        if (editor_.Preset().AnalogSelect(a))
            return true;
    for (int p : family.DigitalPages)
        if (editor_.pgcDigitalParams->isTabVisible(p))
            return true;
    return false;
}

void TFB7States::RefreshFB7States(bool showing) {
    TPreset& preset = editor_.Preset();
    for (int i = 0; i < BoxCount; ++i) {
        QCheckBox* box = Boxes[static_cast<std::size_t>(i)];
        const bool present = FamilyPresent(i);
        const bool changed = present != box->isEnabled();
        box->setEnabled(present);
        if (showing) {
            box->setChecked(preset.FB7State(i));
        } else if (changed) {
            box->setChecked(present);
            preset.SetFB7State(i, present);
        }
    }
}

void TFB7States::BoxClicked(int i) {
    editor_.Preset().SetFB7State(i, Boxes[static_cast<std::size_t>(i)]->isChecked());
    editor_.NoteChange(true);
}
