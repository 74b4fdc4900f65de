#pragma once
// A preset editor with scripted dialogs, a short change delay and a send
// operation that records every dump it is given.
#include "controls/lv_lcd_meter.h"
#include "controls/lv_radio_group.h"
#include "controls/lv_track_bar.h"
#include "editor/frm_preset_editor.h"
#include "editor/preset_pages.h"
#include "model/errors.h"
#include "model/stream.h"
#include "settings/lv_reg_util.h"
#include "settings/qt_registry_layer.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_app.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

using TBytes = std::vector<std::uint8_t>;

class EditorTest : public ::testing::Test {
protected:
    static constexpr int kChangeDelay = 40;

    void SetUp() override {
        TestApp();
        // The program's settings store, in a file of the test's own.
        store = std::make_unique<TlvRegUtil>(
            std::make_unique<TQtRegistryLayer>(settingsDir.filePath("settings.ini")));
        store->SetPath("\\SOFTWARE\\Lumivale/HRZ2000e");
        SetRegUtil(store.get());
        editor = NewEditor(sends);
    }
    void TearDown() override {
        editor.reset();
        SetRegUtil(nullptr);
    }

    std::unique_ptr<TfrmPresetEditor> NewEditor(std::vector<TBytes>& sent) {
        auto e = std::make_unique<TfrmPresetEditor>();
        TEditorOperations ops;
        ops.SendStream = [&sent](TStream& stream, QString& text) {
            TBytes bytes(static_cast<std::size_t>(stream.Size()));
            stream.SetPosition(0);
            stream.ReadBuffer(bytes.data(), bytes.size());
            sent.push_back(bytes);
            text = "MIDI data sent to MIDI Out";
        };
        e->SetOperations(ops);
        e->timSys->setInterval(kChangeDelay);
        return e;
    }

    // Shows the editor as the main window does, with focus for typing.
    void Show(TfrmPresetEditor& e) {
        e.show();
        e.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&e));
    }
    void Open(const TPreset& preset) {
        TMemoryStream dump;
        preset.WriteDump(dump);
        editor->LoadDump(dump);
        Show(*editor);
    }

    // Puts the focus on w and sends the key to whatever has the focus then.
    static void Press(QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        w->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), w) << w->objectName().toStdString();
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
    }
    static void Type(QWidget* w, const QString& text) {
        w->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), w);
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    static void Wait(int ms) { QTest::qWait(ms); }
    void WaitForChangeTimer() { Wait(3 * kChangeDelay); }

    TParamControl& Control(const char* name) const {
        TParamControl* c = editor->Pages().Find(name);
        EXPECT_NE(c, nullptr) << name;
        return *c;
    }
    TlvTrackBar* Slider(const char* name) const { return Control(name).Slider(); }
    QString ValueLabel(const char* name) const {
        auto* label = editor->findChild<QLabel*>(QString("txt") + (name + 3));
        return label ? label->text() : QString("<no label>");
    }
    // Ticks analog effect i in the check list as a click on its box does.
    void CheckAnalog(int i, bool on) {
        editor->cklAnalogSelect->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    QStringList Items(QListWidget* list) const {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items;
    }
    QString Status() const { return editor->lblStatus->text(); }
    std::vector<TScriptedDialogService::Asked> Messages() const {
        return dialogs.service.Messages();
    }

    TScopedDialogService dialogs;
    QTemporaryDir settingsDir;
    std::unique_ptr<TlvRegUtil> store;
    std::vector<TBytes> sends;
    std::unique_ptr<TfrmPresetEditor> editor;
};
