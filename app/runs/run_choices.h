#pragma once
// What the backup dialog hands to a run: the walk over the unit and what to
// do with each preset.
#include "model/backup_journal.h"

#include <QString>

struct TRunChoices {
    // Banks, range, selection by number or program change, the untitled name.
    TBackupChoices Walk;
    QString Folder; // as typed or chosen
    bool SaveFiles = false;
    bool PrintList = false;
};
