#include "controls/browse_folder.h"

#include "controls/seams/dialog_service.h"

#include <QDir>
#include <QFileInfo>

QString BrowseStartFolder(const QString& start) {
    QString folder = QDir::fromNativeSeparators(start.trimmed());
    if (folder == "~" || folder.startsWith("~/"))
        folder = QDir::homePath() + folder.mid(1);
    if (folder.isEmpty() || QDir::isRelativePath(folder))
        return QDir::toNativeSeparators(QDir::homePath());
    folder = QDir::cleanPath(folder);
    // A folder removed since it was chosen: its nearest existing parent.
    while (!QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            return QDir::toNativeSeparators(QDir::homePath());
        folder = parent;
    }
    return QDir::toNativeSeparators(folder);
}

QString BrowseFolder(QWidget* parent, const QString& prompt, const QString& start) {
    const QString chosen = Dialogs().FolderName(parent, prompt, BrowseStartFolder(start));
    if (chosen.isEmpty())
        return chosen;
    QString folder = QDir::toNativeSeparators(QDir::cleanPath(QDir::fromNativeSeparators(chosen)));
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder;
}
