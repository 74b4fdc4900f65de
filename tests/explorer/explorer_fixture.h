#pragma once
// A workbench window over the scriptable MIDI platform, scripted dialogs and a
// settings file of its own.
#include "explorer/midi_explorer.h"
#include "explorer/msg_buf_memo.h"
#include "settings/lv_reg_util.h"
#include "settings/qt_registry_layer.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_app.h"
#include "tests/support/test_midi_platform.h"

#include <QKeyEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class ExplorerTest : public ::testing::Test {
protected:
    static constexpr const char* kPath = "\\SOFTWARE\\Lumivale/HRZ2000e";

    void SetUp() override {
        TestApp();
        SetMidiPlatform(&platform);
        ASSERT_TRUE(dir.isValid());
        store = NewStore();
    }
    void TearDown() override {
        window.reset();
        SetMidiPlatform(nullptr);
    }

    std::unique_ptr<TlvRegUtil> NewStore() {
        auto s = std::make_unique<TlvRegUtil>(
            std::make_unique<TQtRegistryLayer>(dir.filePath("settings.ini")));
        s->SetPath(kPath);
        return s;
    }
    void AddDevices(int inputs = 1, int outputs = 1) {
        for (int i = 0; i < inputs; ++i)
            platform.AddInputDevice("Test In " + std::to_string(i));
        for (int i = 0; i < outputs; ++i)
            platform.AddOutputDevice("Test Out " + std::to_string(i));
    }
    TfrmMIDIExplorer& Start() {
        window = std::make_unique<TfrmMIDIExplorer>();
        window->InitializeWindow(store.get(), "HRZ2000e");
        return *window;
    }
    static void Key(QWidget* target, int key, const QString& text = {},
                    Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(target, &press);
    }
    // Types text into the memo, one key at a time.
    void Type(const QString& text) {
        for (const QChar c : text) {
            int key = c.toUpper().unicode();
            if (c == u' ')
                key = Qt::Key_Space;
            Key(window->memMsgBuf, key, QString(c));
        }
    }
    QString MemoText() const { return window->memMsgBuf->toPlainText(); }
    void SetMemo(const QString& text) { window->memMsgBuf->setPlainText(text); }
    void SetCaret(int pos) {
        QTextCursor c = window->memMsgBuf->textCursor();
        c.setPosition(pos);
        window->memMsgBuf->setTextCursor(c);
    }
    std::vector<TScriptedDialogService::Asked> Messages() const {
        return dialogs.service.Messages();
    }
    QString LastMessage() const {
        const auto m = Messages();
        return m.empty() ? QString() : m.back().text;
    }
    static void Pump() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    TTestMidiPlatform platform;
    TScopedDialogService dialogs;
    QTemporaryDir dir;
    std::unique_ptr<TlvRegUtil> store;
    std::unique_ptr<TfrmMIDIExplorer> window;
};
