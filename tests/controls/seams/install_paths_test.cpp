#include "controls/seams/install_paths.h"

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

TEST(InstallPaths, InstalledAndTheHelpPageAreDecidedByTheProgramsFolderAlone) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString bin = root.filePath("bin");
    const QString build = root.filePath("build/app");
    QDir().mkpath(bin);
    QDir().mkpath(build);

    // Nothing installed anywhere: still named, so a message can say where.
    EXPECT_TRUE(InstalledUnderPrefix(bin));
    EXPECT_TRUE(InstalledUnderPrefix(bin + "/"));
    EXPECT_EQ(HelpPagePath(bin), root.filePath("share/hrz2000e/help/contents.htm"));
    EXPECT_FALSE(InstalledUnderPrefix(build));
    EXPECT_EQ(HelpPagePath(build), QDir(build).filePath("contents.htm"));

    // Neither a page beside an installed program nor one in share/doc (left
    // out of minimal systems) changes the decision.
    Touch(QDir(bin).filePath("contents.htm"));
    Touch(root.filePath("share/doc/hrz2000e/contents.htm"));
    EXPECT_TRUE(InstalledUnderPrefix(bin));
    EXPECT_EQ(HelpPagePath(bin), root.filePath("share/hrz2000e/help/contents.htm"));
    Touch(root.filePath("build/share/hrz2000e/help/contents.htm"));
    EXPECT_EQ(HelpPagePath(build), QDir(build).filePath("contents.htm"));

    // Only a folder named bin is one: not "sbin", "bin2" or "binaries".
    for (const char* other : {"sbin", "bin2", "binaries", "app"})
        EXPECT_FALSE(InstalledUnderPrefix(root.filePath(other))) << other;
}

TEST(InstallPaths, ModuleBesideTheProgramThenInTheInstalledLibraryFolder) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString bin = root.filePath("bin");
    QDir().mkpath(bin);
    const QString beside = QDir(bin).filePath("m.so");
    const QString installed = root.filePath(InstalledModuleFolder() + "/m.so");
    EXPECT_EQ(ProgramModulePath(bin, "m.so"), beside);
    Touch(installed);
    EXPECT_EQ(ProgramModulePath(bin, "m.so"), installed);
    Touch(beside);
    EXPECT_EQ(ProgramModulePath(bin, "m.so"), beside);
}
