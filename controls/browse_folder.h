#pragma once
// The folder chooser: the desktop's folder dialog, reached through the dialog
// layer so that tests can answer it.
#include <QString>

class QWidget;

// Asks for a folder under prompt. The dialog opens at start, or at the nearest
// folder above it that still exists, else at the home folder. Returns the
// chosen folder in the platform's form, ending in a separator; "" when the
// user cancelled.
QString BrowseFolder(QWidget* parent, const QString& prompt, const QString& start);

// The folder the dialog opens at for start (no trailing separator but the root's).
QString BrowseStartFolder(const QString& start);
