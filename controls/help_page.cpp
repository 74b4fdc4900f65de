#include "controls/help_page.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString HelpPagePath() {
    return HelpPagePath(QCoreApplication::applicationDirPath());
}

QString HelpPagePath(const QString& programFolder) {
    const QDir program(programFolder);
    const QString beside = program.filePath(kHelpPageName);
    if (QFileInfo(beside).isFile())
        return beside;
    const QString installed =
        QDir::cleanPath(program.filePath(QStringLiteral("../share/doc/hrz2000e/") + kHelpPageName));
    if (QFileInfo(installed).isFile())
        return installed;
    return beside;
}
