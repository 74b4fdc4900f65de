#pragma once
// The desktop shell: opening a document with the program registered for it.
#include <QString>

#include <functional>
#include <memory>

// Result codes in the style of the shell's own: above 32 is success.
enum TShellResult : int {
    shOutOfResources = 0,
    shFileNotFound = 2,
    shPathNotFound = 3,
    shBadFormat = 11,
    shNoAssociation = 31,
    shOk = 33,
};

// What a launcher that was started reports when it ends (one of the codes
// above): on Linux, xdg-open starts and only then finds there is no browser.
using TShellLateResult = std::function<void(int result)>;

class IShellService {
public:
    virtual ~IShellService() = default;
    // Opens the document at path in the program the desktop registered for it.
    // Where a launcher was started (result above 32), lateResult gets its
    // verdict, a code as above, once it ends within a few seconds; a launcher
    // that waits for the browser it started is taken as a success.
    virtual int OpenDocument(const QString& path, TShellLateResult lateResult) = 0;
};

IShellService& Shell();
// Installs a service (not owned); nullptr restores the desktop one.
void SetShellService(IShellService* service);

// The desktop shell with another launcher than xdg-open (a program name or
// path), where the desktop opens documents through one.
std::unique_ptr<IShellService> MakeDesktopShell(const QString& launcher);
