#include "controls/install_paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

} // namespace

TEST(InstallPaths, HelpPageBesideTheProgramThenInTheInstalledDocsElseNamedBesideTheProgram) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString bin = root.filePath("bin");
    QDir().mkpath(bin);
    const QString beside = QDir(bin).filePath("contents.htm");
    const QString installed = root.filePath("share/doc/hrz2000e/contents.htm");

    // Nothing anywhere: the place beside the program, for the message.
    EXPECT_EQ(HelpPagePath(bin), beside);
    EXPECT_FALSE(InstalledUnderPrefix(bin));

    // An install under a prefix.
    Touch(installed);
    EXPECT_EQ(HelpPagePath(bin), installed);
    EXPECT_TRUE(InstalledUnderPrefix(bin));
    // The build folder (and a Windows install) keeps it beside the program.
    Touch(beside);
    EXPECT_EQ(HelpPagePath(bin), beside);
    EXPECT_FALSE(InstalledUnderPrefix(bin));

    // A folder of that name is no page.
    QFile::remove(installed);
    QFile::remove(beside);
    QDir().mkpath(beside);
    EXPECT_EQ(HelpPagePath(bin), beside);
    QDir().mkpath(installed);
    EXPECT_EQ(HelpPagePath(bin), beside);
}

TEST(InstallPaths, ModuleBesideTheProgramThenInTheInstalledLibraryFolder) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString bin = root.filePath("bin");
    QDir().mkpath(bin);
    const QString beside = QDir(bin).filePath("m.so");
    const QString installed = root.filePath("lib/hrz2000e/m.so");
    EXPECT_EQ(ProgramModulePath(bin, "m.so"), beside);
    Touch(installed);
    EXPECT_EQ(ProgramModulePath(bin, "m.so"), installed);
    Touch(beside);
    EXPECT_EQ(ProgramModulePath(bin, "m.so"), beside);
}
