#pragma once
// Folder strings as the pane keeps them: native separators, always ending in
// a separator, so that folder + file name is a full path.
#include <QString>

// The platform's folder separator.
QChar FolderSeparator();

// path with native separators and a separator appended when missing; "" stays "".
QString WithTrailingSeparator(const QString& path);

// The form used for CurrentFolder and the history: "~" expanded, relative
// paths taken against base, "." and ".." resolved, trailing separator.
QString NormalizeFolder(const QString& path, const QString& base = QString());

// True for "/", "C:\" and other roots, which have no parent.
bool IsRootFolder(const QString& folder);

// The parent of a folder that ends in a separator ("" for roots and "").
QString ParentFolder(const QString& folder);

// Folder names compare case-blind where the file system does.
bool SameFolder(const QString& a, const QString& b);
