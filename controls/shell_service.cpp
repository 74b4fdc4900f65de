#include "controls/shell_service.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

class TDesktopShellService : public IShellService {
public:
    int OpenDocument(const QString& path) override {
        const QFileInfo info(path);
        if (!info.dir().exists())
            return shPathNotFound;
        if (!info.isFile())
            return shFileNotFound;
        return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()))
                   ? shOk
                   : shNoAssociation;
    }
};

IShellService* g_shell = nullptr;

} // namespace

IShellService& Shell() {
    static TDesktopShellService desktop;
    return g_shell ? *g_shell : desktop;
}

void SetShellService(IShellService* service) {
    g_shell = service;
}
