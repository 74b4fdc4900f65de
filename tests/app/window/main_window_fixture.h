#pragma once
// A main window over either the scriptable MIDI platform (exact bytes, port
// faults, replies the test chooses) or the virtual unit, with scripted dialogs,
// a settings file of its own and a short request delay.
#include "app/window/frm_main.h"
#include "model/device_globals.h"
#include "model/preset.h"
#include "settings/lv_reg_util.h"
#include "settings/qt_registry_layer.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_app.h"
#include "tests/support/test_midi_platform.h"
#include "unit/virtual_unit_platform.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>

using TBytes = std::vector<std::uint8_t>;

// The main window's menus and items by objectName, where the user finds them:
// the menu bar and the pop-up menus.
inline QMenu* MenuNamed(TfrmMain& w, const QString& name) {
    QList<QMenu*> menus = w.findChildren<QMenu*>();
    for (QAction* top : w.menuBar()->actions())
        if (top->menu())
            menus << top->menu();
    for (int i = 0; i < menus.size(); ++i) {
        if (menus[i]->objectName() == name)
            return menus[i];
        for (QAction* a : menus[i]->actions())
            if (a->menu() && !menus.contains(a->menu()))
                menus << a->menu();
    }
    return nullptr;
}
inline QAction* Item(TfrmMain& w, const QString& name) {
    QList<QMenu*> menus = w.findChildren<QMenu*>();
    for (QAction* top : w.menuBar()->actions())
        if (top->menu())
            menus << top->menu();
    for (QMenu* m : menus)
        for (QAction* a : m->actions())
            if (a->objectName() == name)
                return a;
    return nullptr;
}
// "Select Bank &A" .. "&D".
inline QAction* BankItem(TfrmMain& w, int bank) {
    return Item(w, QString("miSelectBank") + QChar('A' + bank));
}
inline QTimer* RequestTimer(TfrmMain& w) {
    return w.findChild<QTimer*>("timPresetReq");
}
// The request timer's time is up.
inline void FireRequestTimer(TfrmMain& w) {
    QMetaObject::invokeMethod(RequestTimer(w), "timeout");
}
// The title of the preset in the message buffer, as the window reads it.
inline QString BufferTitle(const TfrmMain& w) {
    return QString::fromLatin1(
        PresetTitle(w.MessageBufferBytes.data(), w.MessageBufferBytes.size()));
}
inline QProgressBar* RunProgress(TfrmMain& w) {
    return w.findChild<QProgressBar*>("prgRun");
}

// Answers item value requests on the scriptable platform as a unit would, from
// a table the test fills; requests for items not in the table go unanswered.
class TScriptedReplies {
public:
    explicit TScriptedReplies(TTestMidiPlatform& platform) : platform_(platform) {
        poll_.setInterval(1);
        QObject::connect(&poll_, &QTimer::timeout, [this] { Answer(); });
        poll_.start();
    }
    void Reply(std::uint8_t item, TBytes bytes) { replies_[item] = std::move(bytes); }
    int Answered() const { return answered_; }
    // After the platform's record of sent messages was cleared.
    void Restart() { seen_ = 0; }

private:
    void Answer() {
        const auto sent = platform_.Sent();
        for (; seen_ < sent.size(); ++seen_) {
            const TBytes& b = sent[seen_].Bytes;
            if (b.size() == 7 && b[0] == 0xF0 && b[4] == 0x43) {
                const auto it = replies_.find(b[5]);
                if (it != replies_.end()) {
                    platform_.InjectSysex(0, it->second, 0);
                    ++answered_;
                }
            }
        }
    }
    TTestMidiPlatform& platform_;
    std::map<std::uint8_t, TBytes> replies_;
    std::size_t seen_ = 0;
    int answered_ = 0;
    QTimer poll_;
};

class MainWindowTest : public ::testing::Test {
protected:
    static constexpr const char* kPath = "\\SOFTWARE\\Lumivale/HRZ2000e";
    static constexpr int kDelay = 20;

    void SetUp() override {
        TestApp();
        ASSERT_TRUE(dir.isValid());
        store = std::make_unique<TlvRegUtil>(
            std::make_unique<TQtRegistryLayer>(dir.filePath("settings.ini")));
        store->SetPath(kPath);
        store->WriteInteger("HRZReqDelay", kDelay);
    }
    void TearDown() override {
        window.reset();
        SetMidiPlatform(nullptr);
        DeviceChannel = 0;
    }

    // The scriptable platform with one input and one output.
    TfrmMain& StartOnTestPlatform() {
        platform.AddInputDevice("Test In");
        platform.AddOutputDevice("Test Out");
        SetMidiPlatform(&platform);
        return Start();
    }
    TfrmMain& StartOnUnit(TUnitOptions options = {}) {
        unit = std::make_unique<TVirtualUnitMidiPlatform>(options);
        SetMidiPlatform(unit.get());
        SetBuiltInVirtualUnit(unit.get()); // it follows "Use Pre-Express options"
        // The user chose it last time: the virtual unit is never opened unasked.
        store->WriteString("MIDI_IN", TVirtualUnitMidiPlatform::DeviceName);
        store->WriteString("MIDI_OUT", TVirtualUnitMidiPlatform::DeviceName);
        return Start();
    }
    TfrmMain& Start() {
        window = std::make_unique<TfrmMain>();
        window->InitializeWindow(store.get(), "HRZ2000e");
        return *window;
    }

    std::vector<TBytes> SentBytes() const {
        std::vector<TBytes> out;
        for (const auto& s : platform.Sent())
            out.push_back(s.Bytes);
        return out;
    }
    // Sent item value requests, by item.
    std::vector<int> SentItemRequests() const {
        std::vector<int> items;
        for (const auto& b : SentBytes())
            if (b.size() == 7 && b[4] == 0x43)
                items.push_back(b[5]);
        return items;
    }
    static TBytes Reply(std::uint8_t item, std::uint8_t value, std::uint8_t value2 = 0,
                        bool withSecond = false) {
        TBytes b{0xF0, 0x1A, 0x00, 0x12, 0x03, item, value};
        if (withSecond)
            b.push_back(value2);
        b.push_back(0xF7);
        return b;
    }
    static TBytes PresetDump(const std::string& title, std::uint8_t channel = 0) {
        TBytes d(252, 0);
        d[0] = 0xF0;
        d[1] = 0x1A;
        d[2] = channel;
        d[3] = 0x12;
        d[4] = 0x05;
        for (std::size_t i = 0; i < 16; ++i)
            d[121 + 2 * i] = i < title.size() ? static_cast<std::uint8_t>(title[i]) : ' ';
        d[251] = 0xF7;
        return d;
    }
    void PutInBuffer(const TBytes& bytes) {
        window->MessageBufferBytes.fill(0);
        std::copy(bytes.begin(), bytes.end(), window->MessageBufferBytes.begin());
        window->MessageBufferCount = static_cast<std::uint32_t>(bytes.size());
    }
    int SentItemRequestCount() const { return static_cast<int>(SentItemRequests().size()); }
    template <typename Done> static bool WaitFor(Done done, int timeoutMs) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return done();
    }
    static void Wait(int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    std::vector<TScriptedDialogService::Asked> Messages() const {
        return dialogs.service.Messages();
    }
    // The status text without the name of the virtual unit, which every
    // message carries while it is open (its own tests check that).
    QString Status() const {
        QString text = window->StatusText(0);
        const QString named = QStringLiteral(" (HRZ2000 virtual unit)");
        if (unit && text.endsWith(named))
            text.chop(named.size());
        return text;
    }
    QString StatusAsShown() const { return window->StatusText(0); }
    QStringList Log() const {
        QStringList lines;
        for (int i = 0; i < window->LogCount(); ++i)
            lines << window->LogText(i);
        return lines;
    }

    TPreExpressScope mode_{false};
    TTestMidiPlatform platform;
    std::unique_ptr<TVirtualUnitMidiPlatform> unit;
    TScopedDialogService dialogs;
    QTemporaryDir dir;
    std::unique_ptr<TlvRegUtil> store;
    std::unique_ptr<TfrmMain> window;
};
