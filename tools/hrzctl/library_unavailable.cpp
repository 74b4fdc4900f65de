// hrzctl built without SQLite (the Windows cross-build): the command is still
// known, and says why it cannot run.
#include "tools/hrzctl/commands.h"

int CmdLibrary(const TCommandOptions&, TConsole& console) {
    ReportError(console,
                "library is not part of this build of hrzctl (it was built without SQLite)");
    return ExitFailure;
}
