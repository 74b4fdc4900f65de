#pragma once
// The program's main window: the MIDI workbench extended with the unit's
// requests, the preset and table editors and their menus.
#include "midi_explorer.h"

class TfrmMain : public TfrmMIDIExplorer {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;
};
