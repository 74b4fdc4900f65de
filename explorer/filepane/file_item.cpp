#include "explorer/filepane/file_item.h"

namespace {

int Sign(qint64 v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

int CompareTexts(const QString& a, const QString& b) {
    return Sign(QString::compare(a, b));
}

} // namespace

void TFileItem::UpdateSortKeys() {
    captionUpper = caption.toUpper();
    folder = subItems[siKind] == QLatin1String("dir");
    const QString& sizeText = subItems[siSize];
    const qsizetype kb = sizeText.indexOf(QLatin1String(" KB"));
    const QString number = (kb >= 0 ? sizeText.left(kb) : sizeText).trimmed();
    sizeKey = number.isEmpty() ? -1 : number.toLongLong();
}

int CompareFileItems(const TFileItem& item1, const TFileItem& item2, int parameter) {
    if (parameter == 0)
        return 0;
    const bool ascending = parameter > 0;
    const int key = (ascending ? parameter : -parameter) - 1;
    int result = 0;
    switch (key) {
    case skSize:
        result = Sign(item1.sizeKey - item2.sizeKey);
        break;
    case skModified:
        result = Sign(item1.modifiedMSecs - item2.modifiedMSecs);
        break;
    case skName:
        // "dir" sorts before "file": the same as comparing the kind texts.
        result = int(item2.IsFolder()) - int(item1.IsFolder());
        if (result == 0)
            result = CompareTexts(item1.captionUpper, item2.captionUpper);
        if (result == 0)
            result = CompareTexts(item1.caption, item2.caption);
        break;
    default: {
        if (key >= static_cast<int>(item1.subItems.size()))
            return 0;
        result = CompareTexts(item1.subItems[key], item2.subItems[key]);
        if (result == 0)
            result = CompareTexts(item1.captionUpper, item2.captionUpper);
        // Captions equal but for case ("a" and "A" on a case-sensitive file
        // system): order them by code so the sort stays a strict ordering.
        if (result == 0)
            result = CompareTexts(item1.caption, item2.caption);
        break;
    }
    }
    return ascending ? result : -result;
}
