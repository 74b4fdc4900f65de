#pragma once
// The settings file outside Windows: an INI file that reads like the registry
// it stands for. Each section is a registry key path, each entry a value:
//
//   [SOFTWARE\Lumivale/HRZ2000e]
//   MIDI_IN=HRZ2000 virtual unit
//   [SOFTWARE\Lumivale/HRZ2000e\Folders]
//   1=/home/me/presets
//
// Only "\" separates keys, so a "/" stays part of a key's name. Names carry at
// most one level of escaping (%XX, for characters that would break a line
// apart); values use \\, \n, \r, \t and \xHH.
//
// Through QSettings the file is one map whose keys are the key path and the
// value name, each part escaped with EscapeName and joined by "/".
#include <QSettings>
#include <QString>
#include <QStringList>

namespace RegistryIni {

// The QSettings format of the file (registered on first use).
QSettings::Format Format();

// One registry name as one QSettings key part: "%", "/" and "\" become %25,
// %2F and %5C, so QSettings never splits it.
QString EscapeName(const QString& name);
QString UnescapeName(const QString& part);
// The QSettings group of a registry key path ("\A\B/C" -> "A/B%2FC").
QString GroupOfKey(const QString& key);

// The file's text for a map, and the map of a file's text; false when a line
// is neither a section, an entry, a comment nor blank.
QByteArray WriteText(const QSettings::SettingsMap& map);
bool ReadText(const QByteArray& text, QSettings::SettingsMap& map);

// Files written before this format were plain QSettings INI files over the
// same map, with every name escaped twice ("Lumivale%252FHRZ2000e"). True for
// such a file.
bool IsOldStyleFile(const QString& path);

} // namespace RegistryIni
