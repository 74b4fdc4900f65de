#pragma once
// The table editor opened as the main window opens it, with the settings in a
// file of its own, scripted dialogs, what it sends kept, and the ways a test
// reaches it as the user does.
#include "model/device_globals.h"
#include "model/mpt.h"
#include "model/stream.h"
#include "mpt/frm_mpt_edit.h"
#include "mpt/mpt_grid.h"
#include "settings/lv_reg_util.h"
#include "settings/qt_registry_layer.h"
#include "tests/support/recording_printer_canvas.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_app.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using TBytes = std::vector<std::uint8_t>;

// A table whose entry i selects preset firstEntry + i (wrapping at 200).
inline TBytes TableDump(bool preExpress, int firstEntry = 0) {
    Tmpt table;
    for (int i = 0; i < Tmpt::MaxEntries; ++i)
        table.Entries[static_cast<std::size_t>(i)] = (firstEntry + i) % 200;
    TMemoryStream stream;
    table.SaveToStream(stream, preExpress);
    return stream.Bytes();
}

inline TBytes NewTableBytes(bool preExpress) {
    TMemoryStream stream;
    Tmpt().SaveToStream(stream, preExpress);
    return stream.Bytes();
}

class MptEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        ASSERT_TRUE(dir.isValid());
        store = std::make_unique<TlvRegUtil>(
            std::make_unique<TQtRegistryLayer>(dir.filePath("settings.ini")));
        store->SetPath("\\SOFTWARE\\Lumivale/HRZ2000e");
    }
    void TearDown() override { delete editor.data(); }

    TfrmMPTEdit& Open(bool preExpress = false, const TBytes& dump = {}) {
        SetPreExpressMode(preExpress);
        editor = new TfrmMPTEdit(store.get());
        editor->SetSendHandler([this](TStream& stream, QString& status) {
            TBytes bytes(static_cast<std::size_t>(stream.Size()));
            stream.SetPosition(0);
            stream.ReadBuffer(bytes.data(), bytes.size());
            sent.push_back(bytes);
            status = "MIDI data sent to MIDI Out";
        });
        if (!dump.empty()) {
            TMemoryStream stream(dump);
            editor->LoadTable(stream);
        }
        editor->show();
        // Keys go to the focused widget, so the window must be the active one.
        for (int i = 0; i < 200 && QApplication::activeWindow() != editor; ++i) {
            editor->activateWindow();
            QTest::qWait(10);
        }
        EXPECT_EQ(QApplication::activeWindow(), editor.data());
        return *editor;
    }
    TMptGrid& Grid() { return *editor->grdMPT; }
    QString Cell(int col, int row) { return Grid().Cells(col, row); }
    std::pair<int, int> Current() { return {Grid().Col(), Grid().Row()}; }

    static void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
    }
    // One key at a time to whatever has the focus then (typing opens the cell's editor).
    static void Type(const QString& text) {
        for (const QChar ch : text)
            QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    }
    QPoint CellCenter(int col, int row) {
        return Grid().visualRect(Grid().model()->index(row - 1, col - 1)).center();
    }
    void Click(int col, int row) {
        QTest::mouseClick(Grid().viewport(), Qt::LeftButton, Qt::NoModifier, CellCenter(col, row));
    }
    void Hover(int col, int row) { QTest::mouseMove(Grid().viewport(), CellCenter(col, row)); }

    std::vector<TScriptedDialogService::Asked> Messages() const {
        return dialogs.service.Messages();
    }
    QStringList MessageTexts() const {
        QStringList texts;
        for (const auto& m : Messages())
            texts << m.text;
        return texts;
    }
    TBytes FileBytes(const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        return TBytes(data.begin(), data.end());
    }

    TPreExpressScope mode_{false};
    TScopedDialogService dialogs;
    QTemporaryDir dir;
    std::unique_ptr<TlvRegUtil> store;
    QPointer<TfrmMPTEdit> editor;
    std::vector<TBytes> sent;
};
