#include "frm_main.h"

TfrmMain::TfrmMain(QWidget* parent) : TfrmMIDIExplorer(parent) {
    setObjectName("frmMain");
}

TfrmMain::~TfrmMain() {
    FormDestroy();
}
