#pragma once
// File-name hints: the backup run names each preset file after its title with
// ".hrz" and the three-digit preset number (Clean.hrz042), so the file that
// belongs to a table cell can be found by the cell's text.
#include <QString>
#include <QStringList>

// A folder as the editor keeps it: native separators, ending in a separator.
QString NativeFolder(const QString& folder);

// "*.hrz" followed by the cell text.
QString HintPattern(const QString& cellText);

// Name (without folder) of the first file in folder that matches the cell's
// pattern, in name order, ignoring case; empty when none does.
QString FindHintFile(const QString& folder, const QString& cellText);

// The hint shown for a cell: the matching file's name, else folder + pattern.
QString CellHintText(const QString& folder, const QString& cellText);

// The files of one folder, listed once, for a report that looks up every cell:
// finds what FindHintFile finds without reading the folder again for each.
class THintFiles {
public:
    explicit THintFiles(const QString& folder);
    // As FindHintFile(folder, cellText).
    QString Find(const QString& cellText) const;

private:
    QStringList names_; // name order
};
