#include "explorer/filepane/folder_path.h"

#include <QDir>

QChar FolderSeparator() {
    return QDir::separator();
}

QString WithTrailingSeparator(const QString& path) {
    if (path.isEmpty())
        return path;
    QString native = QDir::toNativeSeparators(path);
    if (!native.endsWith(FolderSeparator()))
        native += FolderSeparator();
    return native;
}

QString NormalizeFolder(const QString& path, const QString& base) {
    QString p = path.trimmed();
    if (p.isEmpty())
        return p;
    p = QDir::fromNativeSeparators(p);
    if (p == "~" || p.startsWith("~/"))
        p = QDir::homePath() + p.mid(1);
    if (QDir::isRelativePath(p) && !base.isEmpty())
        p = QDir(QDir::fromNativeSeparators(base)).absoluteFilePath(p);
    return WithTrailingSeparator(QDir::cleanPath(p));
}

bool IsRootFolder(const QString& folder) {
    const QString generic = QDir::fromNativeSeparators(folder);
    if (generic == "/")
        return true;
    // A drive root: "C:\" (the character before the final separator is ':').
    return generic.size() >= 2 && generic.endsWith('/') && generic.at(generic.size() - 2) == ':';
}

QString ParentFolder(const QString& folder) {
    if (folder.isEmpty() || IsRootFolder(folder))
        return {};
    QString p = QDir::fromNativeSeparators(folder);
    while (p.endsWith('/') && p.size() > 1)
        p.chop(1);
    const qsizetype cut = p.lastIndexOf('/');
    if (cut < 0)
        return {};
    return QDir::toNativeSeparators(p.left(cut + 1));
}

bool SameFolder(const QString& a, const QString& b) {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}
