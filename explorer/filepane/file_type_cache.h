#pragma once
// Type names and icons for the file list, looked up once per file suffix.
// Names come from the desktop's MIME database (by file name only, never by
// reading content); the unit's own files get names of their own.
#include "controls/standard_icon.h"

#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QString>

class TFileTypeCache {
public:
    struct Entry {
        QString typeName;
        QIcon icon;
    };

    // Type of the file called fileName (no path needed).
    const Entry& ForFile(const QString& fileName);
    const Entry& ForFolder();

    // Our own names: "HRZ2000 preset" for .hrz and its numbered backups
    // (.hrz001...), "HRZ2000 program table" for .mpt; "" for other suffixes.
    static QString OwnTypeName(const QString& suffix);

private:
    Entry Lookup(const QString& fileName, const QString& suffix);

    QHash<QString, Entry> bySuffix_;
    Entry folder_;
    bool haveFolder_ = false;
    QMimeDatabase mimes_;
    // The style's, shared by every suffix without one of its own (loaded when painted).
    QIcon genericFile_ = StandardIcon(QStyle::SP_FileIcon);
};
