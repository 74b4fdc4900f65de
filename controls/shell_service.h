#pragma once
// The desktop shell: opening a document with the program registered for it.
#include <QString>

// Result codes in the style of the shell's own: above 32 is success.
enum TShellResult : int {
    shOutOfResources = 0,
    shFileNotFound = 2,
    shPathNotFound = 3,
    shBadFormat = 11,
    shNoAssociation = 31,
    shOk = 33,
};

class IShellService {
public:
    virtual ~IShellService() = default;
    // Opens the document at path in the program the desktop registered for it.
    virtual int OpenDocument(const QString& path) = 0;
};

IShellService& Shell();
// Installs a service (not owned); nullptr restores the desktop one.
void SetShellService(IShellService* service);
