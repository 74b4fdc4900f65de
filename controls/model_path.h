#pragma once
// Paths between the window code (QString) and the model (UTF-8 text, which the
// model hands to the system in the system's own form): one conversion for every
// place, so that a folder named "Présets" is the same folder everywhere. The
// local 8-bit encoding is UTF-8 on Linux but a code page on Windows.
#include <QDir>
#include <QString>

#include <string>

// The model's form of a path: UTF-8, with the system's separators.
inline std::string ModelPath(const QString& path) {
    return QDir::toNativeSeparators(path).toStdString();
}

// A path from the model as the window shows it.
inline QString ShownPath(const std::string& path) {
    return QDir::toNativeSeparators(QString::fromStdString(path));
}
