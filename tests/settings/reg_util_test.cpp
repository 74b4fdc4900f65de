#include "settings/lv_reg_util.h"
#include "settings/qt_registry_layer.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <QFileInfo>
#include <sys/stat.h>

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

QString FileText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void WriteFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

TEST_F(RegUtil, TheFileReadsLikeTheRegistryAndTheSlashIsNotALevel) {
    store->WriteInteger("MIDI_OUT_CH", 3);
    store->WriteString("MIDI_IN", "HRZ2000 virtual unit");
    store->WriteKeyString(kPath + "\\Folders", "2", "/home/me/100% presets");
    EXPECT_EQ(FileText(iniPath), "[SOFTWARE\\Lumivale/HRZ2000e]\n"
                                 "MIDI_IN=HRZ2000 virtual unit\n"
                                 "MIDI_OUT_CH=3\n"
                                 "\n"
                                 "[SOFTWARE\\Lumivale/HRZ2000e\\Folders]\n"
                                 "2=/home/me/100% presets\n");
    // A key named "Lumivale" with a sub-key "HRZ2000e" is a different key.
    TlvRegUtil other(std::make_unique<TQtRegistryLayer>(iniPath));
    other.SetPath("\\SOFTWARE\\Lumivale\\HRZ2000e");
    EXPECT_EQ(other.ReadInteger("MIDI_OUT_CH", false, -1), -1);
    EXPECT_EQ(store->ReadInteger("MIDI_OUT_CH", false, -1), 3);
}

TEST_F(RegUtil, NamesAndValuesThatWouldBreakALineSurviveTheFile) {
    const QString key = kPath + "\\Odd]Key%";
    const std::vector<std::pair<QString, QString>> values = {
        {"a=b", "x=y"},
        {"[section", "  padded  "},
        {"; not a comment", "line one\nline two\r\tend"},
        {" blank", "C:\\Presets\\new"},
        {"back\\slash/and%", "\u00e9t\u00e9 \u20ac"},
        {"Ende\u00A0", "\u00A0"},
    };
    for (const auto& [name, value] : values)
        store->WriteKeyString(key, name, value);
    auto again = MakeStore(iniPath);
    for (const auto& [name, value] : values)
        EXPECT_EQ(again->ReadKeyString(key, name, false), value) << name.toStdString();
    // Nothing is escaped twice, and plain text stays plain.
    const QString text = FileText(iniPath);
    EXPECT_TRUE(text.contains("[SOFTWARE\\Lumivale/HRZ2000e\\Odd%5DKey%25]")) << text.toStdString();
    EXPECT_TRUE(text.contains("a%3Db=x=y")) << text.toStdString();
    EXPECT_TRUE(text.contains("back%5Cslash/and%25=\u00e9t\u00e9 \u20ac")) << text.toStdString();
    EXPECT_FALSE(text.contains("%2525") || text.contains("%255")) << text.toStdString();
}

TEST_F(RegUtil, AHandEditedFileIsRead) {
    WriteFile(iniPath, "; my settings\r\n"
                       "[SOFTWARE\\Lumivale/HRZ2000e]\r\n"
                       "  HRZReqDelay = 250  \r\n"
                       "MIDI_IN = C:\\Music\\in\r\n"
                       "# channel\r\n"
                       "MIDI_OUT_CH=4\r\n");
    auto s = MakeStore(iniPath);
    EXPECT_EQ(s->ReadInteger("HRZReqDelay", false, 0), 250);
    EXPECT_EQ(s->ReadString("MIDI_IN", false), "C:\\Music\\in");
    EXPECT_EQ(s->ReadInteger("MIDI_OUT_CH", false, 0), 4);
}

TEST_F(RegUtil, AFileOfTheEarlierFormatIsConvertedOnceLosingNothing) {
    {
        // As the earlier store wrote it: QSettings' own INI over names escaped once more.
        QSettings old(iniPath, QSettings::IniFormat);
        old.setValue("SOFTWARE/Lumivale%2FHRZ2000e/MIDI_IN", "HRZ2000 virtual unit");
        old.setValue("SOFTWARE/Lumivale%2FHRZ2000e/HRZReqDelay", 250);
        old.setValue("SOFTWARE/Lumivale%2FHRZ2000e/frmMain.Left", -4);
        old.setValue("SOFTWARE/Lumivale%2FHRZ2000e/Folders/1", "/home/me/a, b");
        old.setValue("SOFTWARE/Lumivale%2FHRZ2000e/Folders/2", " /tmp/\"quoted\" ");
        old.setValue("SOFTWARE/Lumivale%2FHRZ2000e/Controllers/3", "Wah 100%");
        old.sync();
    }
    ASSERT_TRUE(FileText(iniPath).contains("Lumivale%252FHRZ2000e"));
    const QString before = FileText(iniPath);

    auto s = MakeStore(iniPath);
    EXPECT_EQ(s->ReadString("MIDI_IN", false), "HRZ2000 virtual unit");
    EXPECT_EQ(s->ReadInteger("HRZReqDelay", false, 0), 250);
    EXPECT_EQ(s->ReadInteger("frmMain.Left", false, 0), -4);
    EXPECT_EQ(s->ReadKeyString(kPath + "\\Folders", "1", false), "/home/me/a, b");
    EXPECT_EQ(s->ReadKeyString(kPath + "\\Folders", "2", false), " /tmp/\"quoted\" ");
    EXPECT_EQ(s->ReadKeyString(kPath + "\\Controllers", "3", false), "Wah 100%");
    const QString converted = FileText(iniPath);
    EXPECT_TRUE(converted.contains("[SOFTWARE\\Lumivale/HRZ2000e]\n")) << converted.toStdString();
    EXPECT_FALSE(converted.contains("%252F")) << converted.toStdString();
    // The old file is kept beside the new one.
    EXPECT_EQ(FileText(iniPath + ".old"), before);

    // Once: a value written afterwards is read back as written, and the file
    // is not converted again.
    s->WriteInteger("HRZReqDelay", 300);
    auto again = MakeStore(iniPath);
    EXPECT_EQ(again->ReadInteger("HRZReqDelay", false, 0), 300);
    EXPECT_EQ(again->ReadString("MIDI_IN", false), "HRZ2000 virtual unit");
    EXPECT_FALSE(QFile::exists(iniPath + ".old2"));
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
    // A file where the settings file's folder should be: nothing can be written there.
    QFile notAFolder(dir.filePath("file"));
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    notAFolder.close();
    const QString blocked = dir.filePath("file/blocked.ini");
    auto s = MakeStore(blocked);
    const std::string write = ErrorOf([&] { s->WriteInteger("LPW", 300); });
    EXPECT_NE(write.find("Cannot write the settings file"), std::string::npos) << write;
    EXPECT_TRUE(write.ends_with(" Registry parameter \"LPW\" write failed!")) << write;
    const std::string keyWrite =
        ErrorOf([&] { s->WriteKeyString(kPath + "\\Folders", "1", "/x/"); });
    EXPECT_TRUE(keyWrite.ends_with(" Registry parameter \"" + (kPath + "\\Folders").toStdString() +
                                   ",1\" write failed!"))
        << keyWrite;
}

TEST_F(RegUtil, PlacementRoundTripsAndIsPulledBackOntoTheScreen) {
    App();
    const QRect screen(0, 0, 1024, 768);
    QWidget w;
    w.setObjectName("frmMain");
    w.move(10, 20);
    w.resize(640, 480);
    // Nothing stored: the designed placement stays.
    store->RestorePlacement(w, screen);
    EXPECT_EQ(w.pos(), QPoint(10, 20));
    EXPECT_EQ(w.size(), QSize(640, 480));

    store->WriteInteger("frmMain.Left", 2000);
    store->WriteInteger("frmMain.Top", 700);
    store->WriteInteger("frmMain.Width", 500);
    store->WriteInteger("frmMain.Height", 300);
    store->RestorePlacement(w, screen);
    EXPECT_EQ(w.pos(), QPoint(921, 691));
    EXPECT_EQ(w.size(), QSize(500, 300));

    // A frame above the screen comes down to its top, below a panel there.
    store->WriteInteger("frmMain.Left", -40);
    store->WriteInteger("frmMain.Top", -30);
    store->RestorePlacement(w, screen);
    EXPECT_EQ(w.pos(), QPoint(-40, 0));
    store->RestorePlacement(w, QRect(0, 24, 1024, 744));
    EXPECT_EQ(w.pos(), QPoint(-40, 24));

    w.move(30, 40);
    w.resize(700, 500);
    store->SavePlacement(w);
    QWidget other;
    other.setObjectName("frmMain");
    store->RestorePlacement(other, QRect(0, 0, 1920, 1080));
    EXPECT_EQ(other.pos(), QPoint(30, 40));
    EXPECT_EQ(other.size(), QSize(700, 500));
}

TEST_F(RegUtil, LeftAndTopPlaceTheOuterFrameSoTheTitleBarIsOnTheScreen) {
    App();
    store->WriteInteger("frmMain.Left", 0);
    store->WriteInteger("frmMain.Top", 0);
    QWidget w;
    w.setObjectName("frmMain");
    store->RestorePlacement(w, QRect(0, 0, 1024, 768));
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.frameGeometry().topLeft(), QPoint(0, 0));
    // The window's own area lies inside the frame, below the title bar.
    EXPECT_GE(w.geometry().top(), w.frameGeometry().top());
    EXPECT_NE(w.geometry(), w.frameGeometry()) << "the platform shows no frame to test with";

    // Saved and restored as often as the user likes, the window does not creep.
    store->SavePlacement(w);
    EXPECT_EQ(store->ReadInteger("frmMain.Top", false, -1), 0);
    EXPECT_EQ(store->ReadInteger("frmMain.Left", false, -1), 0);
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

TEST_F(RegUtil, ValuesThatCannotBeUsedGiveTheirDefaultsAreSaidOnceAndCorrectedAtTheNextWrite) {
    QFile f(iniPath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[SOFTWARE\\Lumivale/HRZ2000e]\nMIDI_OUT_CH=abc\nPRE_EXPRESS=maybe\n"
            "VERIFY_STORE=yes\nDBL_CLICK_LOG_ACTION=1.5\nHRZReqDelay=99999999999999999999\n"
            "LPW=\\x1B[2J\nMIDI_IN=kept\n");
    f.close();
    auto s = MakeStore(iniPath);
    EXPECT_EQ(s->ReadInteger("MIDI_OUT_CH", true, 0), 0);
    EXPECT_FALSE(s->ReadBool("PRE_EXPRESS", true, false));
    EXPECT_TRUE(s->ReadBool("VERIFY_STORE", true, true));
    EXPECT_EQ(s->ReadInteger("DBL_CLICK_LOG_ACTION", true, 0), 0);
    EXPECT_EQ(s->ReadInteger("HRZReqDelay", true, 1000), 1000);
    EXPECT_EQ(s->ReadInteger("LPW", true, 250), 250);
    EXPECT_EQ(s->ReadInteger("MIDI_OUT_CH", true, 0), 0); // read again: said once
    s->RejectValue("DBL_CLICK_FILE_ACTION", "7", 0);      // a range the caller checks
    EXPECT_EQ(s->TakeRejectedNotice().toStdString(),
              "Settings that cannot be used were replaced by their defaults, saved with the next "
              "change: MIDI_OUT_CH=\"abc\" (default 0 used), PRE_EXPRESS=\"maybe\" (default 0 "
              "used), VERIFY_STORE=\"yes\" (default 1 used), DBL_CLICK_LOG_ACTION=\"1.5\" "
              "(default 0 used), HRZReqDelay=\"99999999999999999999\" (default 1000 used), "
              "LPW=\"\\x1B[2J\" (default 250 used), DBL_CLICK_FILE_ACTION=\"7\" (default 0 used)");
    EXPECT_EQ(s->TakeRejectedNotice(), QString());
    // Nothing is written until the settings are saved.
    EXPECT_EQ(MakeStore(iniPath)->ReadString("PRE_EXPRESS", true), "maybe");

    QStringList later;
    s->SetRejectedSink([&](const QString& text) { later << text; });
    s->WriteInteger("MIDI_OUT_CH", 5); // the user chose a channel
    auto again = MakeStore(iniPath);
    EXPECT_EQ(again->ReadInteger("MIDI_OUT_CH", true, 0), 5);
    EXPECT_EQ(again->ReadString("PRE_EXPRESS", true), "0");
    EXPECT_EQ(again->ReadString("VERIFY_STORE", true), "1");
    EXPECT_EQ(again->ReadString("DBL_CLICK_LOG_ACTION", true), "0");
    EXPECT_EQ(again->ReadString("DBL_CLICK_FILE_ACTION", true), "0");
    EXPECT_EQ(again->ReadString("HRZReqDelay", true), "1000");
    EXPECT_EQ(again->ReadString("MIDI_IN", true), "kept");
    EXPECT_EQ(again->TakeRejectedNotice(), QString());
    EXPECT_TRUE(later.isEmpty());
    // A bad value met later is handed on at once.
    s->WriteString("MPT_REPT_STYLE", "x");
    EXPECT_EQ(s->ReadInteger("MPT_REPT_STYLE", true, 0), 0);
    ASSERT_EQ(later.size(), 1);
    EXPECT_TRUE(later[0].endsWith("MPT_REPT_STYLE=\"x\" (default 0 used)"))
        << later[0].toStdString();
}

TEST_F(RegUtil, AFolderOrAFifoInPlaceOfTheFileIsSaidAndTheStoreRunsOnDefaults) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    ASSERT_EQ(::mkfifo(dir.filePath("fifo.ini").toLocal8Bit().constData(), 0600), 0);
    for (const QString& name : {QString("folder.ini"), QString("fifo.ini")}) {
        QElapsedTimer timer;
        timer.start();
        auto layer = std::make_unique<TQtRegistryLayer>(dir.filePath(name));
        const QString notice = layer->StartupNotice();
        TlvRegUtil s(std::move(layer));
        s.SetPath(kPath);
        EXPECT_EQ(notice.toStdString(),
                  QString("The settings file %1 %2; default settings are used and changes are not "
                          "saved.")
                      .arg(dir.filePath(name),
                           name == "fifo.ini" ? "is not a regular file" : "is a folder")
                      .toStdString());
        EXPECT_EQ(s.ReadInteger("MIDI_OUT_CH", true, 3), 3);
        s.WriteInteger("MIDI_OUT_CH", 9); // kept for this run, and no error
        EXPECT_EQ(s.ReadInteger("MIDI_OUT_CH", true, 3), 9);
        EXPECT_LT(timer.elapsed(), 5000);
    }
    EXPECT_TRUE(QFileInfo(dir.filePath("folder.ini")).isDir());
    EXPECT_FALSE(QFileInfo(dir.filePath("fifo.ini")).isFile());
}

TEST_F(RegUtil, ASecondDamagedFileIsKeptBesideTheFirst) {
    for (const QByteArray& text : {QByteArray("[first\n"), QByteArray("[second\n")}) {
        QFile f(iniPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        TQtRegistryLayer layer(iniPath);
        EXPECT_TRUE(layer.StartupNotice().contains("could not be read"));
    }
    QFile first(iniPath + ".damaged"), second(iniPath + ".damaged2");
    ASSERT_TRUE(first.open(QIODevice::ReadOnly) && second.open(QIODevice::ReadOnly));
    EXPECT_EQ(first.readAll(), "[first\n");
    EXPECT_EQ(second.readAll(), "[second\n");
}

TEST_F(RegUtil, OnlyTemporaryFilesWrittenUnderADeadWritersLockAreCleanedUp) {
    const auto writeAged = [](const QString& path, int secondsAgo) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
        f.flush();
        f.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo),
                      QFileDevice::FileModificationTime);
    };
    // The user's copy, shaped like Qt's temporary names, and no lock: it stays.
    writeAged(iniPath + ".backup", 3600);
    MakeStore(iniPath)->WriteInteger("LPW", 1);
    EXPECT_TRUE(QFile::exists(iniPath + ".backup"));
    // A writer killed ten minutes ago left its lock and its temporary file.
    writeAged(iniPath + ".lock", 600);
    writeAged(iniPath + ".AbC123", 599);
    TQtRegistryLayer layer(iniPath); // the start of the program
    EXPECT_FALSE(QFile::exists(iniPath + ".AbC123"));
    EXPECT_FALSE(QFile::exists(iniPath + ".lock"));
    EXPECT_TRUE(QFile::exists(iniPath + ".backup"));
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
