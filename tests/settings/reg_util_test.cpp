#include "settings/lv_reg_util.h"
#include "settings/qt_registry_layer.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

const QString kPath = "\\SOFTWARE\\Lumivale/HRZ2000e";

QApplication& App() {
    static int argc = 1;
    static char name[] = "reg-tests";
    static char* argv[] = {name, nullptr};
    static auto* app = new QApplication(argc, argv);
    return *app;
}

class RegUtil : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        iniPath = dir.filePath("settings.ini");
        store = MakeStore(iniPath);
    }
    static std::unique_ptr<TlvRegUtil> MakeStore(const QString& path) {
        auto s = std::make_unique<TlvRegUtil>(std::make_unique<TQtRegistryLayer>(path));
        s->SetRootKey(TRootKey::CurrentUser);
        s->SetPath(kPath);
        return s;
    }
    std::string ErrorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const EHrzError& e) {
            return e.what();
        }
        return "(no error)";
    }
    QTemporaryDir dir;
    QString iniPath;
    std::unique_ptr<TlvRegUtil> store;
};

} // namespace

TEST_F(RegUtil, EveryPathOperationRefusesAnEmptyPath) {
    store->SetPath("");
    const std::string expected = "Registry path not set";
    EXPECT_EQ(ErrorOf([&] { store->ReadString("A", true); }), expected);
    EXPECT_EQ(ErrorOf([&] { store->WriteString("A", "x"); }), expected);
    EXPECT_EQ(ErrorOf([&] { store->ReadInteger("A", true, 1); }), expected);
    EXPECT_EQ(ErrorOf([&] { store->WriteInteger("A", 1); }), expected);
    EXPECT_EQ(ErrorOf([&] { store->ReadBool("A", true, false); }), expected);
    EXPECT_EQ(ErrorOf([&] { store->WriteBool("A", true); }), expected);
    EXPECT_EQ(ErrorOf([&] { store->DeleteValue("A"); }), expected);
    App();
    QWidget w;
    EXPECT_EQ(ErrorOf([&] { store->RestorePlacement(w); }), expected);
    // The explicit-key operations do not use the path.
    EXPECT_EQ(ErrorOf([&] { store->WriteKeyString(kPath + "\\Folders", "1", "/tmp/"); }),
              "(no error)");
}

TEST_F(RegUtil, ValuesSurviveANewStoreAndMissingOnesGiveDefaults) {
    EXPECT_EQ(store->ReadInteger("HRZReqDelay", true, 1000), 1000);
    EXPECT_FALSE(store->ReadBool("PRE_EXPRESS", true, false));
    EXPECT_EQ(store->ReadString("MIDI_IN", true), "");
    store->WriteInteger("HRZReqDelay", 250);
    store->WriteBool("PRE_EXPRESS", true);
    store->WriteString("MIDI_IN", "HRZ2000 virtual unit");
    store->WriteKeyString(kPath + "\\Folders", "1", "/home/me/presets/");

    auto again = MakeStore(iniPath);
    EXPECT_EQ(again->ReadInteger("HRZReqDelay", true, 1000), 250);
    EXPECT_TRUE(again->ReadBool("PRE_EXPRESS", true, false));
    EXPECT_EQ(again->ReadString("MIDI_IN", true), "HRZ2000 virtual unit");
    EXPECT_EQ(again->ReadKeyString(kPath + "\\Folders", "1", false), "/home/me/presets/");
    // Sub-key values are not values of the program's key.
    EXPECT_EQ(again->ReadString("1", false), "");
}

TEST_F(RegUtil, TheSlashInTheProgramsKeyNameIsNotALevel) {
    store->WriteInteger("MIDI_OUT_CH", 3);
    store->WriteKeyString(kPath + "\\Folders", "2", "C:/x");
    QSettings raw(iniPath, QSettings::IniFormat);
    raw.beginGroup("SOFTWARE");
    EXPECT_EQ(raw.childGroups().size(), 1);
    EXPECT_EQ(raw.childGroups().value(0), TQtRegistryLayer::EscapeName("Lumivale/HRZ2000e"));
    // A key named "Lumivale" with a sub-key "HRZ2000e" is a different key.
    TlvRegUtil other(std::make_unique<TQtRegistryLayer>(iniPath));
    other.SetPath("\\SOFTWARE\\Lumivale\\HRZ2000e");
    EXPECT_EQ(other.ReadInteger("MIDI_OUT_CH", false, -1), -1);
    EXPECT_EQ(store->ReadInteger("MIDI_OUT_CH", false, -1), 3);
}

TEST_F(RegUtil, DeleteRemovesOnlyExistingValuesAndNeverCreatesTheKey) {
    store->DeleteValue("HRZ_REQ_DELAY");
    EXPECT_FALSE(QFile::exists(iniPath) && QFile(iniPath).size() > 0);
    store->WriteInteger("HRZ_REQ_DELAY", 5);
    store->WriteInteger("HRZReqDelay", 700);
    store->DeleteValue("HRZ_REQ_DELAY");
    auto again = MakeStore(iniPath);
    EXPECT_EQ(again->ReadInteger("HRZ_REQ_DELAY", false, -1), -1);
    EXPECT_EQ(again->ReadInteger("HRZReqDelay", false, -1), 700);
}

TEST_F(RegUtil, RegistryFailuresNameTheValueInTheMessage) {
    // A folder where the settings file should be: nothing can be written there.
    const QString blocked = dir.filePath("blocked.ini");
    ASSERT_TRUE(QDir(dir.path()).mkdir("blocked.ini"));
    auto s = MakeStore(blocked);
    const std::string write = ErrorOf([&] { s->WriteInteger("LPW", 300); });
    EXPECT_NE(write.find("Cannot write the settings file"), std::string::npos) << write;
    EXPECT_TRUE(write.ends_with(" Registry parameter \"LPW\" write failed!")) << write;
    const std::string keyWrite =
        ErrorOf([&] { s->WriteKeyString(kPath + "\\Folders", "1", "/x/"); });
    EXPECT_TRUE(keyWrite.ends_with(" Registry parameter \"" + (kPath + "\\Folders").toStdString() +
                                   ",1\" write failed!"))
        << keyWrite;

    QFile f(iniPath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[SOFTWARE]\nLumivale%252FHRZ2000e\\MIDI_OUT_CH=abc\n");
    f.close();
    auto bad = MakeStore(iniPath);
    const std::string read = ErrorOf([&] { bad->ReadInteger("MIDI_OUT_CH", true, 0); });
    EXPECT_TRUE(read.ends_with(" Registry parameter \"MIDI_OUT_CH\" read failed!")) << read;
    EXPECT_NE(read.find("MIDI_OUT_CH"), 0u);
}

TEST_F(RegUtil, PlacementRoundTripsAndIsPulledBackOntoTheScreen) {
    App();
    QWidget w;
    w.setObjectName("frmMain");
    w.setGeometry(10, 20, 640, 480);
    // Nothing stored: the designed placement stays.
    store->RestorePlacement(w, QSize(1024, 768));
    EXPECT_EQ(w.geometry(), QRect(10, 20, 640, 480));

    store->WriteInteger("frmMain.Left", 2000);
    store->WriteInteger("frmMain.Top", 700);
    store->WriteInteger("frmMain.Width", 500);
    store->WriteInteger("frmMain.Height", 300);
    store->RestorePlacement(w, QSize(1024, 768));
    EXPECT_EQ(w.geometry().left(), 921);
    EXPECT_EQ(w.geometry().top(), 691);
    EXPECT_EQ(w.geometry().size(), QSize(500, 300));

    w.setGeometry(30, 40, 700, 500);
    store->SavePlacement(w);
    QWidget other;
    other.setObjectName("frmMain");
    store->RestorePlacement(other, QSize(1920, 1080));
    EXPECT_EQ(other.geometry(), QRect(30, 40, 700, 500));
}

TEST_F(RegUtil, ADamagedFileIsKeptAsideAndTheStoreStartsOnDefaults) {
    QFile f(iniPath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[SOFTWARE\nLumivale%252FHRZ2000e\\MIDI_OUT_CH=4\n");
    f.close();
    auto layer = std::make_unique<TQtRegistryLayer>(iniPath);
    const QString notice = layer->StartupNotice();
    TlvRegUtil s(std::move(layer));
    s.SetPath(kPath);
    EXPECT_TRUE(notice.contains("could not be read")) << notice.toStdString();
    EXPECT_TRUE(QFile::exists(iniPath + ".damaged"));
    EXPECT_EQ(s.ReadInteger("MIDI_OUT_CH", true, 0), 0);
    // And it can be written again.
    s.WriteInteger("MIDI_OUT_CH", 9);
    EXPECT_EQ(MakeStore(iniPath)->ReadInteger("MIDI_OUT_CH", true, 0), 9);
}

TEST_F(RegUtil, TheEmptyLockOfAKilledWriterDoesNotHoldUpTheNextSave) {
    QFile lock(iniPath + ".lock");
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly)); // created, killed before writing its id
    lock.close();
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    lock.setFileTime(QDateTime::currentDateTime().addSecs(-5), QFileDevice::FileModificationTime);
    lock.close();
    QElapsedTimer timer;
    timer.start();
    store->WriteInteger("MIDI_OUT_CH", 3);
    // Qt on its own waits 30 seconds before it takes such a lock as stale.
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_FALSE(QFile::exists(iniPath + ".lock"));
    EXPECT_EQ(MakeStore(iniPath)->ReadInteger("MIDI_OUT_CH", true, 0), 3);
}

namespace {

// A registry whose values can be read but not deleted (a key the user may not change).
class TUndeletableLayer : public IRegistryLayer {
public:
    void SetRootKey(TRootKey) override {}
    bool OpenKey(const QString&, bool) override { return true; }
    void CloseKey() override {}
    bool ValueExists(const QString&) override { return true; }
    QString ReadString(const QString&) override { return "kept"; }
    int ReadInteger(const QString&) override { return 1; }
    bool ReadBool(const QString&) override { return true; }
    void WriteString(const QString&, const QString&) override {}
    void WriteInteger(const QString&, int) override {}
    void WriteBool(const QString&, bool) override {}
    void DeleteValue(const QString&) override { throw ERegistryError("Access is denied."); }
};

} // namespace

TEST_F(RegUtil, AFailedDeletionNamesTheValue) {
    TlvRegUtil s(std::make_unique<TUndeletableLayer>());
    s.SetPath(kPath);
    EXPECT_EQ(ErrorOf([&] { s.DeleteValue("HRZ_REQ_DELAY"); }),
              "Access is denied. Registry value \"HRZ_REQ_DELAY\" deletion failed!");
    EXPECT_EQ(s.ReadString("MIDI_IN", true), "kept") << "the store goes on working";
}
