#include "controls/install_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString BesideProgram(const QString& programFolder) {
    return QDir(programFolder).filePath(kHelpPageName);
}

QString InInstalledDocs(const QString& programFolder) {
    return QDir::cleanPath(
        QDir(programFolder).filePath(QStringLiteral("../share/doc/hrz2000e/") + kHelpPageName));
}

// The file beside the program if it is there, else the installed one if that
// is, else the place beside the program.
QString BesideOrInstalled(const QString& beside, const QString& installed) {
    if (QFileInfo(beside).isFile())
        return beside;
    if (QFileInfo(installed).isFile())
        return installed;
    return beside;
}

} // namespace

QString HelpPagePath() {
    return HelpPagePath(QCoreApplication::applicationDirPath());
}

QString HelpPagePath(const QString& programFolder) {
    return BesideOrInstalled(BesideProgram(programFolder), InInstalledDocs(programFolder));
}

bool InstalledUnderPrefix() {
    return InstalledUnderPrefix(QCoreApplication::applicationDirPath());
}

QString DefaultUserFolder() {
    return InstalledUnderPrefix() ? QDir::homePath() : QCoreApplication::applicationDirPath();
}

bool InstalledUnderPrefix(const QString& programFolder) {
    return !QFileInfo(BesideProgram(programFolder)).isFile() &&
           QFileInfo(InInstalledDocs(programFolder)).isFile();
}

QString ProgramModulePath(const QString& fileName) {
    return ProgramModulePath(QCoreApplication::applicationDirPath(), fileName);
}

QString ProgramModulePath(const QString& programFolder, const QString& fileName) {
    return BesideOrInstalled(
        QDir(programFolder).filePath(fileName),
        QDir::cleanPath(
            QDir(programFolder).filePath(QStringLiteral("../lib/hrz2000e/") + fileName)));
}
