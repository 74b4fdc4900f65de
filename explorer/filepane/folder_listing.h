#pragma once
// Reads one folder: every entry but "." and "..", hidden and system entries
// included, with what the file list shows. Kept to one directory read and one
// stat per entry, because folders may hold tens of thousands of presets.
#include <QString>
#include <vector>

struct TDirEntry {
    QString name;
    bool isFolder = false;    // folders and links to folders
    qint64 size = 0;          // bytes; 0 for folders
    qint64 modifiedMSecs = 0; // UTC, ms since the epoch
    bool hasTime = false;
};

// Entries of folder in directory order. Returns false when the folder cannot
// be opened; entries that vanish while being read are left out.
bool ListFolder(const QString& folder, std::vector<TDirEntry>& entries);
