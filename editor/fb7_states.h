#pragma once
// The "FB7 states" page: which effect families the FB7 foot controller switches
// in this preset. A box is enabled while its family is present in the preset.
#include <QObject>

#include <array>

class QCheckBox;
class QWidget;
class TfrmPresetEditor;

class TFB7States : public QObject {
    Q_OBJECT
public:
    static constexpr int BoxCount = 10;

    // Builds the ten boxes into page.
    TFB7States(TfrmPresetEditor& editor, QWidget* page);

    // Enables each box by the effects present. Showing a preset, the boxes show its
    // stored states; after a change of effects, a family that has come is switched
    // on and one that has gone is switched off, and the others keep their states.
    void RefreshFB7States(bool showing);
    // Whether box i's family is present now.
    bool FamilyPresent(int i) const;

    std::array<QCheckBox*, BoxCount> Boxes{};

private:
    void BoxClicked(int i);

    TfrmPresetEditor& editor_;
};
