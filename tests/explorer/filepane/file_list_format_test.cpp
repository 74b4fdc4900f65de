// Texts of the file list, the sort order of its items and folder strings.
#include "explorer/filepane/file_item.h"
#include "explorer/filepane/file_list_format.h"
#include "explorer/filepane/file_type_cache.h"
#include "explorer/filepane/folder_path.h"
#include "tests/support/test_app.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

class ScopedLocale {
public:
    explicit ScopedLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~ScopedLocale() { QLocale::setDefault(QLocale::c()); }
};

TFileItem Item(const QString& caption, const QString& size, const QString& kind,
               const QString& type = QStringLiteral("T"), qint64 msecs = 0) {
    TFileItem item;
    item.caption = caption;
    item.subItems = {size, type, QString(), kind, QStringLiteral("/x/") + caption};
    item.modifiedMSecs = msecs;
    item.UpdateSortKeys();
    return item;
}

} // namespace

TEST(FileListFormat, SizeTextRoundsUpPartialFirstKilobyte) {
    EXPECT_EQ(FormatSizeKB(0, false), "0 KB");
    EXPECT_EQ(FormatSizeKB(1, false), "1 KB");
    EXPECT_EQ(FormatSizeKB(1023, false), "1 KB");
    EXPECT_EQ(FormatSizeKB(1536, false), "1 KB");
    EXPECT_EQ(FormatSizeKB(2048, false), "2 KB");
    EXPECT_EQ(FormatSizeKB(5'000'000'000LL, false), "4882812 KB");
    EXPECT_EQ(FormatSizeKB(4096, true), "");
}

TEST(FileListFormat, ByteTotalPicksUnitAndThreeDigits) {
    ScopedLocale en(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(FormatByteTotal(-1), "");
    EXPECT_EQ(FormatByteTotal(0), "0 Byte(s)");
    EXPECT_EQ(FormatByteTotal(512), "512 Byte(s)");
    EXPECT_EQ(FormatByteTotal(1023), "1023 Byte(s)");
    EXPECT_EQ(FormatByteTotal(1024), "1 KByte");
    EXPECT_EQ(FormatByteTotal(1536), "1.5 KByte");
    EXPECT_EQ(FormatByteTotal(10 * 1024 + 100), "10.1 KByte");
    EXPECT_EQ(FormatByteTotal(1048576), "1 MByte");
    EXPECT_EQ(FormatByteTotal(1048576 * 9 / 4), "2.25 MByte");
}

TEST(FileListFormat, ByteTotalNeverShowsAnExponent) {
    ScopedLocale en(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(FormatByteTotal(1048575), "1,024 KByte");
    EXPECT_EQ(FormatByteTotal(1536LL * 1048576), "1,536 MByte");
    EXPECT_EQ(FormatByteTotal(5'000'000'000LL), "4,768 MByte"); // beyond 32 bits
}

TEST(FileListFormat, FileTimeIsLocalShortDateTwoBlanksTimeWithoutSeconds) {
    ScopedLocale de(QLocale(QLocale::German, QLocale::Germany));
    const QDateTime t(QDate(2024, 3, 7), QTime(14, 5, 59));
    EXPECT_EQ(FormatFileTime(t), "07.03.24  14:05");
    EXPECT_EQ(FormatFileTime(t.toUTC()), "07.03.24  14:05"); // shown in local time
    EXPECT_EQ(FormatFileTime(QDateTime()), "");
    TFileTimeFormatter many;
    EXPECT_EQ(many.Format(t), "07.03.24  14:05");
    EXPECT_EQ(many.Format(t.addSecs(60)), "07.03.24  14:06"); // cached date, fresh time
    EXPECT_EQ(many.Format(t.addDays(1)), "08.03.24  14:05");
}

TEST(CompareFileItems, SizeSortsFoldersBeforeEmptyFiles) {
    const TFileItem folder = Item("zz", "", "dir");
    const TFileItem empty = Item("aa", "0 KB", "file");
    const TFileItem small = Item("bb", "1 KB", "file");
    const TFileItem big = Item("cc", "10 KB", "file");
    EXPECT_LT(CompareFileItems(folder, empty, skSize + 1), 0);
    EXPECT_LT(CompareFileItems(empty, small, skSize + 1), 0);
    EXPECT_LT(CompareFileItems(small, big, skSize + 1), 0); // numeric, not "10" < "1 "
    EXPECT_GT(CompareFileItems(small, big, -(skSize + 1)), 0);
    EXPECT_EQ(CompareFileItems(small, Item("dd", "1 KB", "file"), skSize + 1), 0);
}

TEST(CompareFileItems, NameSortPutsFoldersFirstAndIgnoresCase) {
    const TFileItem folder = Item("zeta", "", "dir");
    const TFileItem lowerA = Item("alpha.hrz", "1 KB", "file");
    const TFileItem upperB = Item("Beta.hrz", "1 KB", "file");
    EXPECT_LT(CompareFileItems(folder, lowerA, skName + 1), 0);
    EXPECT_LT(CompareFileItems(lowerA, upperB, skName + 1), 0);
    EXPECT_GT(CompareFileItems(lowerA, upperB, -(skName + 1)), 0);
    // Upper-cased comparison: '_' sorts after letters.
    EXPECT_LT(CompareFileItems(Item("AB", "", "file"), Item("a_", "", "file"), skName + 1), 0);
    // Names equal but for case still have one strict order.
    const TFileItem a = Item("a", "", "file"), A = Item("A", "", "file");
    EXPECT_EQ(CompareFileItems(a, A, skName + 1), -CompareFileItems(A, a, skName + 1));
    EXPECT_NE(CompareFileItems(a, A, skName + 1), 0);
    EXPECT_EQ(CompareFileItems(a, a, skName + 1), 0);
}

TEST(CompareFileItems, TypeSortFallsBackToCaptionAndTimeIsNumeric) {
    const TFileItem x = Item("x", "", "file", "Preset");
    const TFileItem y = Item("Y", "", "file", "Preset");
    const TFileItem table = Item("a", "", "file", "Table");
    EXPECT_LT(CompareFileItems(x, y, skType + 1), 0);
    EXPECT_LT(CompareFileItems(y, table, skType + 1), 0);
    EXPECT_GT(CompareFileItems(y, table, -(skType + 1)), 0);
    const TFileItem old = Item("n", "", "file", "T", 1000);
    const TFileItem young = Item("o", "", "file", "T", 2000);
    EXPECT_LT(CompareFileItems(old, young, skModified + 1), 0);
    EXPECT_GT(CompareFileItems(old, young, -(skModified + 1)), 0);
}

TEST(FileTypes, OwnFilesHaveOwnNames) {
    TestApp(); // icons need the GUI
    EXPECT_EQ(TFileTypeCache::OwnTypeName("hrz"), "HRZ2000 preset");
    EXPECT_EQ(TFileTypeCache::OwnTypeName("HRZ"), "HRZ2000 preset");
    EXPECT_EQ(TFileTypeCache::OwnTypeName("hrz017"), "HRZ2000 preset");
    EXPECT_EQ(TFileTypeCache::OwnTypeName("mpt"), "HRZ2000 program table");
    EXPECT_EQ(TFileTypeCache::OwnTypeName("txt"), "");
    TFileTypeCache cache;
    EXPECT_EQ(cache.ForFile("Clean Lead.hrz").typeName, "HRZ2000 preset");
    EXPECT_EQ(cache.ForFile("Table.MPT").typeName, "HRZ2000 program table");
    EXPECT_EQ(cache.ForFile("README").typeName, "File");
    EXPECT_EQ(cache.ForFile("data.qqzzx").typeName, "QQZZX File");
}

TEST(FolderPath, TrailingSeparatorParentAndRoot) {
    const QChar sep = QDir::separator();
    const QString root = QDir::toNativeSeparators("/");
    EXPECT_EQ(WithTrailingSeparator(""), "");
    EXPECT_EQ(WithTrailingSeparator("/a/b"), QDir::toNativeSeparators("/a/b/"));
    EXPECT_EQ(WithTrailingSeparator("/a/b/"), QDir::toNativeSeparators("/a/b/"));
    EXPECT_EQ(NormalizeFolder("/a/./b/../c"), QDir::toNativeSeparators("/a/c/"));
    EXPECT_EQ(NormalizeFolder("sub", "/base/"), QDir::toNativeSeparators("/base/sub/"));
    EXPECT_EQ(NormalizeFolder("~"), WithTrailingSeparator(QDir::homePath()));
    EXPECT_EQ(ParentFolder(QDir::toNativeSeparators("/a/b/")), QDir::toNativeSeparators("/a/"));
    EXPECT_EQ(ParentFolder(QDir::toNativeSeparators("/a/")), root);
    EXPECT_EQ(ParentFolder(root), "");
    EXPECT_EQ(ParentFolder(""), "");
#ifdef Q_OS_WIN
    EXPECT_TRUE(IsRootFolder("C:\\"));
    EXPECT_EQ(ParentFolder("C:\\"), "");
    EXPECT_EQ(ParentFolder("C:\\Music\\Presets\\"), "C:\\Music\\");
#endif
    EXPECT_FALSE(IsRootFolder(QString("/a") + sep));
}
