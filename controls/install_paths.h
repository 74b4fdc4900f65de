#pragma once
// Where the program's files are. A build and a Windows install keep the help
// page "contents.htm" beside the program; an install under a prefix keeps the
// program in <prefix>/bin and the page with the other documentation
// (<prefix>/share/doc/hrz2000e), found from the program's own folder so the
// install can be moved.
#include <QString>

inline constexpr const char* kHelpPageName = "contents.htm";

// The first of the places above that holds the page; the place beside the
// program when none does, so a message can name it.
QString HelpPagePath();
QString HelpPagePath(const QString& programFolder);

// True for an install under a prefix: the program's folder is a bin folder
// holding nothing of the user's.
bool InstalledUnderPrefix();
bool InstalledUnderPrefix(const QString& programFolder);

// Where folder choices start before the user made one: the program's own
// folder, as on Windows, except for an install under a prefix, where it is
// the home folder.
QString DefaultUserFolder();

// A module of the program's own (fileName such as "hrz2000e-rtmidi.so"):
// beside the program in a build and a Windows install, in <prefix>/lib/hrz2000e
// for an install under a prefix. The place beside the program when neither
// holds it, so a message can name it.
QString ProgramModulePath(const QString& fileName);
QString ProgramModulePath(const QString& programFolder, const QString& fileName);
