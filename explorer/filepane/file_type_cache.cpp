#include "explorer/filepane/file_type_cache.h"

#include <QFileInfo>

QString TFileTypeCache::OwnTypeName(const QString& suffix) {
    const QString s = suffix.toLower();
    if (s.startsWith(QLatin1String("hrz")))
        return QStringLiteral("HRZ2000 preset");
    if (s == QLatin1String("mpt"))
        return QStringLiteral("HRZ2000 program table");
    return {};
}

const TFileTypeCache::Entry& TFileTypeCache::ForFile(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf('.');
    // Names without a suffix, or starting with their only dot, share one entry.
    const QString suffix = dot > 0 ? fileName.mid(dot + 1).toLower() : QString();
    auto found = bySuffix_.constFind(suffix);
    if (found == bySuffix_.constEnd())
        found = bySuffix_.insert(suffix, Lookup(fileName, suffix));
    return *found;
}

const TFileTypeCache::Entry& TFileTypeCache::ForFolder() {
    if (!haveFolder_) {
        folder_.typeName = mimes_.mimeTypeForName(QStringLiteral("inode/directory")).comment();
        if (folder_.typeName.isEmpty())
            folder_.typeName = QStringLiteral("Folder");
        folder_.icon = StandardIcon(QStyle::SP_DirIcon);
        haveFolder_ = true;
    }
    return folder_;
}

TFileTypeCache::Entry TFileTypeCache::Lookup(const QString& fileName, const QString& suffix) {
    Entry entry;
    const QIcon& genericFile = genericFile_;
    const QString own = OwnTypeName(suffix);
    if (!own.isEmpty()) {
        entry.typeName = own;
        entry.icon = QIcon::fromTheme(QStringLiteral("audio-x-generic"), genericFile);
        return entry;
    }
    if (suffix.isEmpty()) {
        entry.typeName = QStringLiteral("File");
        entry.icon = genericFile;
        return entry;
    }
    const QMimeType mime = mimes_.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    if (mime.isDefault() || mime.comment().isEmpty())
        entry.typeName = suffix.toUpper() + QStringLiteral(" File");
    else
        entry.typeName = mime.comment();
    entry.icon =
        QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName(), genericFile));
    return entry;
}
