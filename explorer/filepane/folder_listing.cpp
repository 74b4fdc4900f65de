#include "explorer/filepane/folder_listing.h"

#include <QFile>

#if defined(Q_OS_UNIX)
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#endif

#if defined(Q_OS_UNIX)

namespace {

qint64 MSecsOf(const struct stat& st) {
#if defined(Q_OS_MACOS)
    return qint64(st.st_mtimespec.tv_sec) * 1000 + st.st_mtimespec.tv_nsec / 1000000;
#else
    return qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
#endif
}

// Closes the directory stream (and with it its descriptor) on every way out.
struct TDirCloser {
    DIR* dir;
    ~TDirCloser() {
        if (dir)
            closedir(dir);
    }
};

} // namespace

bool ListFolder(const QString& folder, std::vector<TDirEntry>& entries) {
    entries.clear();
    const QByteArray path = QFile::encodeName(folder);
    TDirCloser stream{opendir(path.constData())};
    if (!stream.dir)
        return false;
    const int fd = dirfd(stream.dir);
    while (const dirent* d = readdir(stream.dir)) {
        const char* name = d->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        struct stat st {};
        // Links are shown as what they point to; a dangling link as itself.
        if (fstatat(fd, name, &st, 0) != 0 && fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        TDirEntry e;
        e.name = QFile::decodeName(name);
        e.isFolder = S_ISDIR(st.st_mode);
        e.size = e.isFolder ? 0 : qint64(st.st_size);
        e.modifiedMSecs = MSecsOf(st);
        e.hasTime = true;
        entries.push_back(std::move(e));
    }
    return true;
}

#else

bool ListFolder(const QString& folder, std::vector<TDirEntry>& entries) {
    entries.clear();
    if (!QFileInfo(folder).isDir())
        return false;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        TDirEntry e;
        e.name = info.fileName();
        e.isFolder = info.isDir();
        e.size = e.isFolder ? 0 : info.size();
        const QDateTime modified = info.lastModified();
        e.hasTime = modified.isValid();
        e.modifiedMSecs = e.hasTime ? modified.toMSecsSinceEpoch() : 0;
        entries.push_back(std::move(e));
    }
    return true;
}

#endif
