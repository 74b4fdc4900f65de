#include "controls/seams/install_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef HRZ_MODULE_FOLDER
#define HRZ_MODULE_FOLDER "lib/hrz2000e"
#endif

namespace {

// programFolder/../relative, the prefix being the program folder's parent.
QString UnderPrefix(const QString& programFolder, const QString& relative) {
    return QDir::cleanPath(QDir(programFolder).filePath("../" + relative));
}

} // namespace

QString InstalledModuleFolder() {
    return QStringLiteral(HRZ_MODULE_FOLDER);
}

QString HelpPagePath() {
    return HelpPagePath(QCoreApplication::applicationDirPath());
}

QString HelpPagePath(const QString& programFolder) {
    if (InstalledUnderPrefix(programFolder))
        return UnderPrefix(programFolder, QString(kInstalledHelpFolder) + "/" + kHelpPageName);
    return QDir::cleanPath(QDir(programFolder).filePath(kHelpPageName));
}

bool InstalledUnderPrefix() {
    return InstalledUnderPrefix(QCoreApplication::applicationDirPath());
}

bool InstalledUnderPrefix(const QString& programFolder) {
#ifdef _WIN32
    const Qt::CaseSensitivity names = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity names = Qt::CaseSensitive;
#endif
    const QString folder = QDir(QDir::cleanPath(programFolder)).dirName();
#ifdef __APPLE__
    // An application bundle keeps the program in Contents/MacOS, its data beside.
    if (folder == "MacOS")
        return true;
#endif
    return folder.compare("bin", names) == 0;
}

QString DefaultUserFolder() {
    return InstalledUnderPrefix() ? QDir::homePath() : QCoreApplication::applicationDirPath();
}

QString ProgramModulePath(const QString& fileName) {
    return ProgramModulePath(QCoreApplication::applicationDirPath(), fileName);
}

QString ProgramModulePath(const QString& programFolder, const QString& fileName) {
    const QString beside = QDir(programFolder).filePath(fileName);
    if (QFileInfo(beside).isFile())
        return beside;
    const QString installed = UnderPrefix(programFolder, InstalledModuleFolder() + "/" + fileName);
    return QFileInfo(installed).isFile() ? installed : beside;
}
