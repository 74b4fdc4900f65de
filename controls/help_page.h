#pragma once
// Where the help page "contents.htm" is. A build and a Windows install keep it
// beside the program; an install under a prefix keeps it with the other
// documentation (<prefix>/share/doc/hrz2000e), found from the program's
// own folder so the install can be moved.
#include <QString>

inline constexpr const char* kHelpPageName = "contents.htm";

// The first of the places above that holds the page; the place beside the
// program when none does, so a message can name it.
QString HelpPagePath();
QString HelpPagePath(const QString& programFolder);
