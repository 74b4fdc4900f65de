#pragma once
// One entry of the file list: its caption, icon and the five sub-items, plus
// the keys the sort compares (kept with the item so sorting a large folder
// does not re-parse or re-case texts for every comparison).
#include <QIcon>
#include <QString>
#include <array>

// Sub-item positions.
enum TFileSubItem { siSize = 0, siType = 1, siModified = 2, siKind = 3, siPath = 4 };

// Sort keys (SortColumn): the sub-item compared.
enum TFileSortKey { skSize = 0, skType = 1, skModified = 2, skName = 3 };

struct TFileItem {
    QString caption;
    QIcon icon;
    std::array<QString, 5> subItems; // size text, type name, modified text, "dir"/"file", path
    qint64 modifiedMSecs = 0;        // ms since the epoch, what the modified text shows

    bool IsFolder() const { return folder; }
    const QString& Path() const { return subItems[siPath]; }

    // Rebuilds the sort keys from caption, size and kind texts; call after changing them.
    void UpdateSortKeys();

    QString captionUpper; // caption in upper case
    qint64 sizeKey = -1;  // number in front of " KB"; -1 for an empty size text
    bool folder = false;  // kind is "dir"
};

// Orders two items: parameter = key + 1 ascending, -(key + 1) descending.
// Size and modified compare as numbers (folders sort before 0 KB files); type
// and name compare their sub-item texts by character code, then the captions
// without regard to case. Returns <0, 0 or >0.
int CompareFileItems(const TFileItem& item1, const TFileItem& item2, int parameter);
