#pragma once
// Where the program's files are. A build and a Windows install keep the help
// page "contents.htm" beside the program. An install under a prefix keeps the
// program in <prefix>/bin, its help page with its data in
// <prefix>/share/hrz2000e/help (never under share/doc, which minimal systems
// leave out) and its module in <prefix>/<module folder>; all found from the
// program's own folder, so the install can be moved.
#include <QString>

inline constexpr const char* kHelpPageName = "contents.htm";
// The help page's folder and the module's folder, relative to the prefix.
inline constexpr const char* kInstalledHelpFolder = "share/hrz2000e/help";
QString InstalledModuleFolder();

// Where the help page is for a program in programFolder: beside it, or in
// the installed help folder for an install under a prefix. Decided from the
// program's location, not from what is there, so a message can name the
// place whether the page is there or not.
QString HelpPagePath();
QString HelpPagePath(const QString& programFolder);

// True for an install under a prefix: the program's folder is a bin folder
// holding nothing of the user's. A build keeps its programs in folders of
// other names.
bool InstalledUnderPrefix();
bool InstalledUnderPrefix(const QString& programFolder);

// Where folder choices start before the user made one: the program's own
// folder, as on Windows, except for an install under a prefix, where it is
// the home folder.
QString DefaultUserFolder();

// A module of the program's own (fileName such as "hrz2000e-rtmidi.so"):
// beside the program in a build and a Windows install, in the installed module
// folder for an install under a prefix. The place beside the program when
// neither holds it, so a message can name it.
QString ProgramModulePath(const QString& fileName);
QString ProgramModulePath(const QString& programFolder, const QString& fileName);
