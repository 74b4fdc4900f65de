#include "controls/frm_pick_list.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TfrmPickList::TfrmPickList(const QString& caption, const QStringList& lines, QWidget* parent)
    : QDialog(parent) {
    setObjectName("frmPickList");
    setWindowTitle(caption);
    lbxItems = new QListWidget(this);
    lbxItems->setObjectName("lbxItems");
    lbxItems->addItems(lines);
    btnOK = new QPushButton("OK", this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnOK->setEnabled(false);
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbxItems);
    layout->addLayout(buttons);

    connect(lbxItems, &QListWidget::itemSelectionChanged, this,
            [this] { btnOK->setEnabled(SelectedIndex() >= 0); });
    connect(lbxItems, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    connect(btnOK, &QPushButton::clicked, this, [this] {
        if (SelectedIndex() >= 0)
            accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, fontMetrics().horizontalAdvance(line));
    resize(std::max(widest + 80, 320), 420);
}

int TfrmPickList::SelectedIndex() const {
    const auto chosen = lbxItems->selectedItems();
    return chosen.isEmpty() ? -1 : lbxItems->row(chosen.first());
}
