#include "model/stream.h"

#include "model/errors.h"
#include "model/file_path.h"
#include "model/visible_text.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <string_view>
#include <system_error>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#ifdef __linux__
#include <sys/xattr.h>
#endif
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::string SystemReason(int err) {
    std::string reason = std::strerror(err);
    if (!reason.empty())
        reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
    return reason;
}

// A file name in a message, with what could disguise it made visible.
std::string QuotedName(const std::string& path) {
    return "\"" + VisibleText(path) + "\"";
}

std::string OpenMessage(const std::string& path, int err) {
    return "Cannot open file " + QuotedName(path) + ". " + SystemReason(err);
}

std::string CreateMessage(const std::string& path, int err) {
    return "Cannot create file " + QuotedName(path) + ". " + SystemReason(err);
}

} // namespace

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError();
}

std::uint8_t TStream::ReadByte() {
    std::uint8_t b = 0;
    ReadBuffer(&b, 1);
    return b;
}

void TStream::WriteByte(std::uint8_t value) {
    WriteBuffer(&value, 1);
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::int64_t left = count;
    std::uint8_t chunk[8192];
    while (left > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, sizeof chunk));
        source.ReadBuffer(chunk, n);
        WriteBuffer(chunk, n);
        left -= static_cast<std::int64_t>(n);
    }
    return count;
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (pos_ >= data_.size())
        return 0;
    const std::size_t n = std::min(count, data_.size() - pos_);
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0)
        return 0;
    if (pos_ + count > data_.size())
        data_.resize(pos_ + count);
    std::memcpy(data_.data() + pos_, buffer, count);
    pos_ += count;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    switch (origin) {
    case TSeekOrigin::soBeginning:
        base = 0;
        break;
    case TSeekOrigin::soCurrent:
        base = static_cast<std::int64_t>(pos_);
        break;
    case TSeekOrigin::soEnd:
        base = Size();
        break;
    }
    // A position past the end is allowed (a later write fills the gap); before the start is not.
    pos_ = static_cast<std::size_t>(std::max<std::int64_t>(0, base + offset));
    return static_cast<std::int64_t>(pos_);
}

void TMemoryStream::SetSize(std::int64_t newSize) {
    data_.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, newSize)));
    pos_ = std::min(pos_, data_.size());
}

void TMemoryStream::Clear() {
    data_.clear();
    pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& path) {
    data_ = ReadWholeFile(path);
    pos_ = 0;
}

void TMemoryStream::SaveToFile(const std::string& path) const {
    WriteFileAtomically(path, data_.data(), data_.size());
}

TFileStream::TFileStream(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(PathFromUtf8(path), ec))
        throw EFOpenError(OpenMessage(path, EISDIR));
#ifdef _WIN32
    file_ = _wfopen(WideFromUtf8(path).c_str(), L"rb");
    if (!file_)
        throw EFOpenError(OpenMessage(path, errno));
#else
    // Opening a FIFO for reading waits for a writer: open without waiting, then
    // refuse anything that is not a plain file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        throw EFOpenError(OpenMessage(path, errno));
    struct stat st {};
    const int statResult = ::fstat(fd, &st);
    const int err = errno;
    if (statResult != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (statResult != 0)
            throw EFOpenError(OpenMessage(path, err));
        if (S_ISDIR(st.st_mode))
            throw EFOpenError(OpenMessage(path, EISDIR));
        throw EFOpenError("Cannot open file " + QuotedName(path) + ". Not a regular file");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file_ = ::fdopen(fd, "rb");
    if (!file_) {
        const int err = errno;
        ::close(fd);
        throw EFOpenError(OpenMessage(path, err));
    }
#endif
    if (std::fseek(file_, 0, SEEK_END) == 0) {
        size_ = std::ftell(file_);
        std::fseek(file_, 0, SEEK_SET);
    }
}

TFileStream::~TFileStream() {
    if (file_)
        std::fclose(file_);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    return std::fread(buffer, 1, count, file_);
}

std::size_t TFileStream::Write(const void*, std::size_t) {
    return 0;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                       : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                          : SEEK_END;
    std::fseek(file_, static_cast<long>(offset), whence);
    return std::ftell(file_);
}

EFileReadError::EFileReadError(const std::string& path, TKind kind, std::string reason,
                               std::uint64_t size)
    : EFOpenError("Cannot open file " + QuotedName(path) + ". " + reason), kind_(kind),
      reason_(std::move(reason)), size_(size) {}

EFileReadError::EFileReadError(const std::string& path, int systemError)
    : EFileReadError(path, TKind::System, SystemReason(systemError ? systemError : EIO)) {
    systemError_ = systemError ? systemError : EIO;
}

namespace {

// What every temporary name starts with: hidden, and not a name a user gives
// a file, so that clean-up never takes a user's file for one of ours.
constexpr std::string_view kTempMarker = ".hrzsave~";
// The longest file name of the usual file systems (bytes, or UTF-16 units).
constexpr std::size_t kMaxNameBytes = 255;

long CurrentProcessId() {
#ifdef _WIN32
    return static_cast<long>(_getpid());
#else
    return static_cast<long>(::getpid());
#endif
}

} // namespace

std::string AtomicSaveTempName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path p = PathFromUtf8(target);
    // ".hrzsave~<pid>~<n>~" and as much of the target's name as fits, so a
    // target at the length limit still has a temporary name.
    const std::string prefix = std::string(kTempMarker) + std::to_string(CurrentProcessId()) + "~" +
                               std::to_string(counter++) + "~";
    std::string head = Utf8FromPath(p.filename());
    if (head.size() > kMaxNameBytes - prefix.size()) {
        head.resize(kMaxNameBytes - prefix.size());
        // Not halfway through a character.
        while (!head.empty() && (static_cast<unsigned char>(head.back()) & 0xC0) == 0x80)
            head.pop_back();
        if (!head.empty() && static_cast<unsigned char>(head.back()) >= 0xC0)
            head.pop_back();
    }
    return Utf8FromPath(p.parent_path() / PathFromUtf8(prefix + head));
}

long AtomicSaveTempWriter(const std::string& fileName) {
    if (fileName.compare(0, kTempMarker.size(), kTempMarker) != 0)
        return -1;
    std::size_t i = kTempMarker.size();
    const auto number = [&](long& value) {
        const std::size_t from = i;
        value = 0;
        while (i < fileName.size() && i - from < 10 && fileName[i] >= '0' && fileName[i] <= '9')
            value = value * 10 + (fileName[i++] - '0');
        return i > from && i < fileName.size() && fileName[i++] == '~';
    };
    long pid = 0, serial = 0;
    if (!number(pid) || !number(serial) || pid <= 0)
        return -1;
    return pid;
}

bool IsAtomicSaveTempName(const std::string& fileName) {
    return AtomicSaveTempWriter(fileName) > 0;
}

#ifdef _WIN32

namespace {

// The C library's number for a Win32 error, so that the texts are those of the
// other systems ("Permission denied", "No such file or directory").
int ErrnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
        return EINVAL;
    default:
        return EIO;
    }
}

// Closes a handle on every path out.
class THandle {
public:
    explicit THandle(HANDLE handle) : handle_(handle) {}
    ~THandle() { Close(); }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    HANDLE Get() const { return handle_; }
    bool Close() {
        const bool ok = handle_ == INVALID_HANDLE_VALUE || CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE handle_;
};

bool WriteAll(HANDLE file, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

void WriteFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size) {
    const std::wstring target = WideFromUtf8(path);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        throw EFCreateError(CreateMessage(path, EISDIR));
    // Renaming onto a read-only file would fail only after the write; the old
    // file is refused up front, as elsewhere.
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        throw EFCreateError(CreateMessage(path, EACCES));

    const std::wstring temp = WideFromUtf8(AtomicSaveTempName(path));
    THandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
        throw EFCreateError(CreateMessage(path, ErrnoOf(GetLastError())));
    DWORD error = ERROR_SUCCESS;
    const auto failed = [&error](bool ok) {
        if (!ok && error == ERROR_SUCCESS)
            error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT;
        return !ok;
    };
    bool broken = failed(WriteAll(file.Get(), data, size));
    // On disk before it takes the old file's name (as fsync elsewhere).
    broken = broken || failed(FlushFileBuffers(file.Get()) != 0);
    broken = failed(file.Close()) || broken;
    // Replaces the old file in one step: readers see the old bytes or the new.
    broken = broken || failed(MoveFileExW(temp.c_str(), target.c_str(),
                                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0);
    if (broken) {
        DeleteFileW(temp.c_str());
        throw EFCreateError(CreateMessage(path, ErrnoOf(error)));
    }
}

void RemoveLeftoverSaveFiles(const std::string&) {
    // Without a way to tell that a writer is gone, leftovers stay.
}

std::string MoveAside(const std::string& path, const std::string& suffix) {
    namespace fs = std::filesystem;
    for (int n = 1; n < 1000; ++n) {
        const std::string aside = path + suffix + (n == 1 ? "" : std::to_string(n));
        std::error_code ec;
        if (fs::exists(fs::symlink_status(PathFromUtf8(aside), ec)))
            continue;
        fs::rename(PathFromUtf8(path), PathFromUtf8(aside), ec);
        if (ec)
            throw EFCreateError(CreateMessage(aside, ec.value()));
        return aside;
    }
    throw EFCreateError(CreateMessage(path + suffix, EEXIST));
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, const TReadLimits& limits) {
    std::error_code ec;
    if (std::filesystem::is_directory(PathFromUtf8(path), ec))
        throw EFileReadError(path, EISDIR);
    std::FILE* f = _wfopen(WideFromUtf8(path).c_str(), L"rb");
    if (!f)
        throw EFileReadError(path, errno);
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    for (;;) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, f);
        bytes.insert(bytes.end(), chunk, chunk + n);
        if (bytes.size() > limits.MaxBytes) {
            std::fclose(f);
            throw EFileReadError(path, EFileReadError::TKind::TooLarge, "File too large");
        }
        if (n < sizeof chunk)
            break;
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        throw EFileReadError(path, EIO);
    return bytes;
}

#else

namespace {

// Closes a descriptor on every path out.
class TFd {
public:
    explicit TFd(int fd = -1) : fd_(fd) {}
    ~TFd() { Close(); }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return fd_; }
    int Close() {
        const int result = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

// The file a chain of symbolic links ends at (which need not exist yet).
std::filesystem::path FollowLinks(std::filesystem::path p) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return p;
        std::error_code ec;
        const std::filesystem::path next = std::filesystem::read_symlink(p, ec);
        if (ec)
            return p;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return p; // a loop: the open below reports it
}

// Whether the writer of a temporary file can be gone: the process its name
// names has ended (or the file is a day old, when that number is in use again).
bool WriterIsGone(long pid, const struct stat& st) {
    if (pid == CurrentProcessId())
        return false;
    const bool ended = ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
    const auto age =
        std::chrono::system_clock::now() - std::chrono::system_clock::from_time_t(st.st_mtime);
    return ended || age > std::chrono::hours(24);
}

// Removes one leftover temporary file, only when it is provably ours and
// nobody writes it: our marker in its name, a regular file of this user, its
// writer gone, and no lock on it (a writer holds one while it writes).
void RemoveIfLeftover(const std::filesystem::path& file) {
    const long pid = AtomicSaveTempWriter(file.filename().string());
    if (pid <= 0)
        return;
    TFd fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st {
    }, named{};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid() || !WriterIsGone(pid, st))
        return;
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
        return;
    // Still the file that was looked at, not one put in its place meanwhile.
    if (::lstat(file.c_str(), &named) == 0 && named.st_ino == st.st_ino &&
        named.st_dev == st.st_dev)
        ::unlink(file.c_str());
}

// Temporary files our saves leave when they are killed halfway; each folder is
// looked at once a minute at most, so a backup run of many saves stays fast.
void RemoveStaleTemps(const std::filesystem::path& folder, bool always = false) {
    namespace fs = std::filesystem;
    static std::mutex mutex;
    static std::map<std::string, std::chrono::steady_clock::time_point> lastLook;
    if (!always) {
        std::lock_guard lock(mutex);
        const auto now = std::chrono::steady_clock::now();
        auto [it, added] = lastLook.try_emplace(folder.string(), now);
        if (!added && now - it->second < std::chrono::minutes(1))
            return;
        it->second = now;
    }
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end;
         !ec && it != end; it.increment(ec))
        RemoveIfLeftover(it->path());
}

std::string WaitText(int ms) {
    if (ms % 1000 == 0)
        return std::to_string(ms / 1000) + (ms == 1000 ? " second" : " seconds");
    return std::to_string(ms) + " ms";
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void SyncFolder(const std::filesystem::path& folder) {
    TFd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0)
        ::fsync(dir.Get());
}

// The old file's extended attributes (tags, ACLs, labels) go over to the new
// one; those the file system will not set are left behind.
void CopyExtendedAttributes(const std::filesystem::path& from, int toFd) {
#ifdef __linux__
    const ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
    if (size <= 0)
        return;
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t got = ::listxattr(from.c_str(), names.data(), names.size());
    if (got <= 0)
        return;
    std::vector<char> value;
    for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
        const char* name = names.data() + at;
        at += std::strlen(name) + 1;
        const ssize_t length = ::getxattr(from.c_str(), name, nullptr, 0);
        if (length < 0)
            continue;
        value.resize(static_cast<std::size_t>(length));
        const ssize_t read = ::getxattr(from.c_str(), name, value.data(), value.size());
        if (read >= 0)
            (void)::fsetxattr(toFd, name, value.data(), static_cast<std::size_t>(read), 0);
    }
#else
    (void)from;
    (void)toFd;
#endif
}

} // namespace

void RemoveLeftoverSaveFiles(const std::string& folder) {
    RemoveStaleTemps(std::filesystem::path(folder), true);
}

std::string MoveAside(const std::string& path, const std::string& suffix) {
    for (int n = 1; n < 1000; ++n) {
        const std::string aside = path + suffix + (n == 1 ? "" : std::to_string(n));
        // link() never replaces what is there; the rename below is for file
        // systems without hard links.
        if (::link(path.c_str(), aside.c_str()) == 0) {
            ::unlink(path.c_str());
            return aside;
        }
        if (errno == EEXIST)
            continue;
        if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EMLINK)
            throw EFCreateError(CreateMessage(aside, errno));
        struct stat st {};
        if (::lstat(aside.c_str(), &st) == 0)
            continue;
        if (::rename(path.c_str(), aside.c_str()) != 0)
            throw EFCreateError(CreateMessage(aside, errno));
        return aside;
    }
    throw EFCreateError(CreateMessage(path + suffix, EEXIST));
}

void WriteFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size) {
    namespace fs = std::filesystem;
    const fs::path target = FollowLinks(fs::path(path));
    const fs::path folder = target.parent_path();
    struct stat old {};
    // A loop of links, or one that cannot be read, ends at a link: replacing it
    // by a file would lose the link and write where nobody asked.
    if (::lstat(target.c_str(), &old) == 0 && S_ISLNK(old.st_mode))
        throw EFCreateError(CreateMessage(path, ELOOP));
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        throw EFCreateError(CreateMessage(path, EISDIR));
    if (exists && !S_ISREG(old.st_mode))
        throw EFCreateError("Cannot create file " + QuotedName(path) + ". Not a regular file");
    if (exists && ::access(target.c_str(), W_OK) != 0)
        throw EFCreateError(CreateMessage(path, errno));

    RemoveStaleTemps(folder);
    const std::string temp = AtomicSaveTempName(target.string());
    TFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666));
    if (fd.Get() < 0)
        throw EFCreateError(CreateMessage(path, errno));
    // Held while it is written: clean-up leaves a locked temporary file alone.
    (void)::flock(fd.Get(), LOCK_EX | LOCK_NB);
    int err = 0;
    const auto failed = [&err](bool ok) {
        if (!ok && err == 0)
            err = errno ? errno : EIO;
        return !ok;
    };
    bool broken = failed(WriteAll(fd.Get(), data, size));
    if (!broken && exists) {
        // Owner first: changing it may clear the set-id bits the mode then restores.
        (void)::fchown(fd.Get(), old.st_uid, old.st_gid);
        broken = failed(::fchmod(fd.Get(), old.st_mode & 07777) == 0);
        CopyExtendedAttributes(target, fd.Get());
    }
    // On disk before it takes the old file's name, or a power cut could leave
    // an empty file where the old one was.
    broken = broken || failed(::fsync(fd.Get()) == 0);
    broken = failed(fd.Close() == 0) || broken;
    broken = broken || failed(::rename(temp.c_str(), target.c_str()) == 0);
    if (broken) {
        ::unlink(temp.c_str());
        throw EFCreateError(CreateMessage(path, err));
    }
    SyncFolder(folder);
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, const TReadLimits& limits) {
    using TKind = EFileReadError::TKind;
    TFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0)
        throw EFileReadError(path, errno);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        throw EFileReadError(path, errno);
    if (S_ISDIR(st.st_mode))
        throw EFileReadError(path, EISDIR);
    const bool regular = S_ISREG(st.st_mode);
    if (!regular && !limits.Streams)
        throw EFileReadError(path, TKind::NotRegular, "Not a regular file");
    if (regular && static_cast<std::uint64_t>(st.st_size) > limits.MaxBytes)
        throw EFileReadError(path, TKind::TooLarge, "File too large",
                             static_cast<std::uint64_t>(st.st_size));
    if (regular)
        ::fcntl(fd.Get(), F_SETFL, ::fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);

    std::vector<std::uint8_t> bytes;
    if (regular)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    std::uint8_t chunk[65536];
    for (;;) {
        if (!regular) {
            // A FIFO nobody writes to would keep us waiting for ever.
            pollfd p{fd.Get(), POLLIN, 0};
            const int ready = ::poll(&p, 1, limits.IdleTimeoutMs);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready == 0)
                throw EFileReadError(path, TKind::Idle,
                                     "Nothing arrived for " + WaitText(limits.IdleTimeoutMs) +
                                         "; is anything writing to it?");
        }
        const ssize_t n = ::read(fd.Get(), chunk, sizeof chunk);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n < 0)
            throw EFileReadError(path, errno);
        if (n == 0)
            break;
        if (bytes.size() + static_cast<std::size_t>(n) > limits.MaxBytes)
            throw EFileReadError(path, TKind::TooLarge, "File too large",
                                 regular ? static_cast<std::uint64_t>(st.st_size) : 0);
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

#endif
