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

} // namespace

QString HelpPagePath() {
    return HelpPagePath(QCoreApplication::applicationDirPath());
}

QString HelpPagePath(const QString& programFolder) {
    const QString beside = BesideProgram(programFolder);
    if (QFileInfo(beside).isFile())
        return beside;
    const QString installed = InInstalledDocs(programFolder);
    if (QFileInfo(installed).isFile())
        return installed;
    return beside;
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
