#pragma once
// The main window on the virtual unit with a memory the test sets up, the
// options dialog answered as a user fills it, and helpers to look at the
// unit and the files a run wrote.
#include "app/window/frm_bkup_opt.h"
#include "tests/app/window/main_window_fixture.h"
#include "unit/unit_memory.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>

class UnitRunTest : public MainWindowTest {
protected:
    // Factory memory, changed by tweak, kept in a state file of the test.
    TfrmMain& StartOnUnitWith(const std::function<void(THrzUnitMemory&)>& tweak = {},
                              TUnitOptions options = {}) {
        THrzUnitMemory memory(options.PreExpress);
        if (tweak)
            tweak(memory);
        options.StatePath = dir.filePath("unit.state").toStdString();
        SaveUnitMemory(options.StatePath, memory);
        return StartOnUnit(options);
    }
    // Fills the options dialog (backup or comparison) and presses OK.
    void AnswerOptions(std::function<void(TfrmBkupOpt&)> fill) {
        dialogs.service.QueueModal([fill = std::move(fill)](QDialog& dialog) {
            auto& d = static_cast<TfrmBkupOpt&>(dialog);
            fill(d);
            d.show();
            QTest::mouseClick(d.btnOk, Qt::LeftButton);
            return d.result();
        });
    }
    // Banks ("AC"), range and folder, as typed into the dialog.
    void AnswerRun(const std::string& banks, int first, int last, const QString& folder) {
        AnswerOptions([=](TfrmBkupOpt& d) {
            for (int b = 0; b < 4; ++b)
                d.chkBank[static_cast<std::size_t>(b)]->setChecked(banks.find(char('A' + b)) !=
                                                                   std::string::npos);
            d.edtFirstNo->setText(QString::number(first));
            d.edtLastNo->setText(QString::number(last));
            d.edtPath->setText(QDir::toNativeSeparators(folder));
        });
    }
    bool WaitForRunEnd(int ms) {
        QElapsedTimer t;
        t.start();
        while (window->BackupRun().RunActive && t.elapsed() < ms)
            Wait(10);
        return !window->BackupRun().RunActive;
    }
    QString Out() const { return dir.filePath("out"); }
    QString Path(const QString& relative) const { return QDir(Out()).filePath(relative); }

    TBytes UnitPreset(int bank, int index) {
        return unit->WithUnit([&](const THrzVirtualUnit& u) {
            const auto& p = u.Memory().Preset(bank, index);
            return TBytes(p.begin(), p.end());
        });
    }
    // The preset as a backup writes it: the unit's reply, on channel 0.
    QByteArray UnitPresetFile(int bank, int index) {
        TBytes bytes = UnitPreset(bank, index);
        bytes[2] = 0;
        return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                          static_cast<qsizetype>(bytes.size()));
    }
    int UnitCurrentPreset() {
        return unit->WithUnit([](const THrzVirtualUnit& u) { return u.Memory().CurrentPreset; });
    }
    int UnitBank() {
        return unit->WithUnit([](const THrzVirtualUnit& u) { return u.Memory().CurrentBank; });
    }
    static QByteArray FileBytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
    }
    static TBytes Bytes(const QByteArray& b) { return TBytes(b.begin(), b.end()); }
    static QStringList Files(const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    // Every file below folder with its bytes, by path relative to it.
    static std::map<QString, QByteArray> Tree(const QString& folder);
};

inline std::map<QString, QByteArray> UnitRunTest::Tree(const QString& folder) {
    std::map<QString, QByteArray> files;
    const QDir root(folder);
    QStringList pending{folder};
    while (!pending.isEmpty()) {
        const QDir d(pending.takeFirst());
        for (const QFileInfo& info :
             d.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
            if (info.isDir())
                pending << info.filePath();
            else
                files[root.relativeFilePath(info.filePath())] = FileBytes(info.filePath());
        }
    }
    return files;
}
