#include "app/dump_placeholder.h"

#include "app/hrz_messages.h"
#include "model/stream.h"

#include <QLabel>
#include <QVBoxLayout>

TfrmDumpPlaceholder::TfrmDumpPlaceholder(TKind kind, QWidget* parent)
    : QWidget(parent, Qt::Window), kind_(kind) {
    setObjectName(kind == TKind::Preset ? "frmPresetEditor" : "frmMPTEdit");
    // Closing the main window ends the program even while these are open.
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    lblTitle = new QLabel(this);
    lblTitle->setObjectName("lblTitle");
    QFont big = lblTitle->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    lblTitle->setFont(big);
    lblSize = new QLabel(this);
    lblSize->setObjectName("lblSize");
    lblFile = new QLabel(this);
    lblFile->setObjectName("lblFile");
    auto* notice = new QLabel(kind == TKind::Preset
                                  ? "The preset editor is not available in this version."
                                  : "The program table editor is not available in this version.",
                              this);
    notice->setObjectName("lblNotice");
    layout->addWidget(lblTitle);
    layout->addWidget(lblSize);
    layout->addWidget(lblFile);
    layout->addStretch();
    layout->addWidget(notice);
    resize(380, 160);
    Reset();
}

void TfrmDumpPlaceholder::Reset() {
    dump_.clear();
    title_.clear();
    fileName_.clear();
    ShowDump();
}

void TfrmDumpPlaceholder::SetFileName(const QString& fileName) {
    fileName_ = fileName;
    ShowDump();
}

void TfrmDumpPlaceholder::LoadDump(TStream& stream) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stream.Size()));
    stream.SetPosition(0);
    stream.ReadBuffer(bytes.data(), bytes.size());
    dump_ = std::move(bytes);
    title_ = kind_ == TKind::Preset
                 ? QString::fromLatin1(HrzMessages::PresetTitle(dump_.data(), dump_.size()))
                 : QString();
    ShowDump();
}

void TfrmDumpPlaceholder::ShowDump() {
    const QString what = kind_ == TKind::Preset ? "Preset" : "MIDI program table";
    if (dump_.empty()) {
        lblTitle->setText("New " + what.toLower());
        lblSize->setText("No dump loaded");
    } else {
        lblTitle->setText(kind_ == TKind::Preset ? (title_.isEmpty() ? "(untitled preset)" : title_)
                                                 : what);
        lblSize->setText(QString("%1 bytes").arg(dump_.size()));
    }
    lblFile->setText(fileName_.isEmpty() ? QString() : "File: " + fileName_);
    setWindowTitle(lblTitle->text() + (fileName_.isEmpty() ? " <not saved>" : " - " + fileName_));
}
