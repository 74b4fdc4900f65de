#pragma once
// The parameter controls of the preset editor, generated from the catalogue: the
// mix sliders, one page per analog effect and one page per digital effect page.
// Every control carries its catalogue name as objectName; each slider and meter
// has a value label named "txt" + the name from its fourth character
// (trbCMPdrive -> txtCMPdrive) and a caption label named "lbl" + the same.
#include "model/catalogue.h"

#include <QObject>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QScrollBar;
class QTabWidget;
class TPreset;
class TlvLCDmeter;
class TlvRadioGroup;
class TlvTrackBar;

// One parameter's control and the widgets that go with it.
struct TParamControl {
    // The catalogue entry the control was made from (for a page shared by several
    // digital effects, the one with the most parameters).
    const TParamInfo* Template = nullptr;
    // The entry of the effect the control is bound to now; null while unbound.
    const TParamInfo* Bound = nullptr;
    int* Slot = nullptr;
    QWidget* Page = nullptr; // the tab page, or the mix group
    QWidget* Control = nullptr;
    QLabel* Caption = nullptr;
    QLabel* Value = nullptr;
    QScrollBar* Scroll = nullptr;  // beside an equalizer meter
    QPushButton* Center = nullptr; // the MIDI-Pan "&Center" button

    TlvTrackBar* Slider() const;
    TlvRadioGroup* Radio() const;
    QCheckBox* Check() const;
    TlvLCDmeter* Meter() const;
    QListWidget* List() const;
    QString Name() const { return Control ? Control->objectName() : QString(); }
};

class TPresetPages : public QObject {
    Q_OBJECT
public:
    static constexpr int EqualizerMax = 12;

    // Builds the mix sliders into mixGroup and every page into the two page controls.
    TPresetPages(QWidget* mixGroup, QTabWidget* analogPages, QTabWidget* digitalPages,
                 QObject* parent = nullptr);
    ~TPresetPages() override;

    const std::vector<std::unique_ptr<TParamControl>>& Controls() const { return controls_; }
    // The control with this objectName, or null.
    TParamControl* Find(const QString& controlName) const;
    TParamControl* FindByWidget(const QWidget* widget) const;
    QWidget* AnalogPage(int analogEffect) const;
    QWidget* DigitalPage(int page) const;

    // Binds the mix and analog controls to P0..P33 of preset.
    void BindMixAndAnalog(TPreset& preset);
    // Binds the digital controls of every effect of group g's row to consecutive
    // slots from P34, with that effect's ranges, choices and addends; unbinds the rest.
    void BindDigital(TPreset& preset, int g);
    // Diffusion shows only for Reverb 3; Level takes its place otherwise.
    void LayoutReverbPage(bool reverb3);

    // Refreshes the value label (and the equalizer bar) from the bound slot.
    void RefreshValue(TParamControl& c);

signals:
    // A user change of a bound value; immediate for boxes and key lists.
    void ParamChanged(bool immediate);

private:
    void BuildMix(QWidget* group);
    void BuildAnalogPage(QTabWidget* pages, int analogEffect);
    void BuildDigitalPage(QTabWidget* pages, int page);
    // Lays out the controls of one page: choices on top, sliders below.
    void BuildPage(QWidget* page, std::span<const TParamInfo> params);
    void BuildEqualizerPage(QWidget* page, std::span<const TParamInfo> params);
    TParamControl& NewControl(const TParamInfo& param, QWidget* page);
    void MakeSliderRow(TParamControl& c);
    void Connect(TParamControl& c);
    void Bind(TParamControl& c, const TParamInfo& param, int* slot);
    void Unbind(TParamControl& c);
    void Reported(TParamControl& c, bool immediate);

    std::vector<std::unique_ptr<TParamControl>> controls_;
    std::vector<QWidget*> analogPages_;
    std::vector<QWidget*> digitalPages_;
    // Set while controls are loaded from the preset: nothing they do is a change.
    bool binding_ = false;
};
