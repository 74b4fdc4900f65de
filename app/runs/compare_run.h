#pragma once
// "Compare with folder...": the backup run's walk keeps each preset of the
// unit here, and at the end each is set beside the backup folder's file of the
// same location.
#include "model/library_compare.h"

#include <QString>

#include <cstdint>
#include <vector>

struct TRunHost;

class TCompareRun {
public:
    // Takes the folder (a separator is added) and the name untitled presets
    // count as saved under; false when there is no folder, with a message
    // through host when it is not there.
    bool Prepare(QString folder, const QString& untitled, TRunHost& host);
    void Keep(int bank, int number, const std::vector<std::uint8_t>& dump);
    // The kept presets with the folder's side and their state; the run is over.
    std::vector<TCompareRow> Finish();

    bool Active = false;
    QString Folder;
    QString Untitled;

private:
    std::vector<TCompareRow> rows_;
};
