#include "report/workbook_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <thread>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace report {
namespace {

// Closes the descriptor on every way out, exceptions included.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : fd_(fd)
    {
    }
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

std::string ErrnoText(const char* step)
{
    return std::string(step) + ": " + std::strerror(errno);
}

// What a file that is not a regular one is, for a person: "not a regular file (a FIFO)".
std::string NotRegularText(mode_t mode)
{
    const char* kind = S_ISFIFO(mode) ? "a FIFO"
        : S_ISCHR(mode)               ? "a character device"
        : S_ISBLK(mode)               ? "a block device"
        : S_ISSOCK(mode)              ? "a socket"
        : S_ISDIR(mode)               ? "a folder"
        : S_ISLNK(mode)               ? "a symbolic link"
                                      : "of an unknown kind";
    return std::string("not a regular file (") + kind + ")";
}

// After an open of path failed: what the name leads to when that is neither a regular file nor a folder (a socket
// cannot be opened at all, a link not followed gives ELOOP), empty otherwise.
std::string NotRegularAt(const std::string& path, bool followLink)
{
    struct stat named;
    const int found = followLink ? ::stat(path.c_str(), &named) : ::lstat(path.c_str(), &named);
    if (found == 0 && !S_ISREG(named.st_mode) && !S_ISDIR(named.st_mode))
        return NotRegularText(named.st_mode);
    return {};
}

std::string FolderOf(const std::string& path)
{
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool ReadAll(int fd, std::string& bytes)
{
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        bytes.append(buffer, static_cast<size_t>(got));
    }
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(put));
    }
    return true;
}

constexpr std::string_view kTemporaryPrefix = ".report-";
constexpr std::string_view kTemporarySuffix = ".tmp";

// Other accounts may write the folder, so they share what is saved in it.
bool SharedFolder(const std::string& path)
{
    struct stat folder;
    return ::stat(FolderOf(path).c_str(), &folder) == 0 && (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

// A fresh file beside the target, named kTemporaryPrefix + pid + "-" + n + kTemporarySuffix and locked for as
// long as it is open, so that no other save takes it for a leftover. It takes the target's permissions when the
// target exists; a new one in a shared folder is readable by everyone whatever this account's mask.
int CreateTemporary(const std::string& target, std::string& name)
{
    static std::atomic<unsigned> counter = 0;
    const std::string stem = FolderOf(target) + "/" + std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = stem + std::to_string(++counter) + std::string(kTemporarySuffix);
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::flock(fd, LOCK_EX | LOCK_NB);
            struct stat st;
            if (::stat(target.c_str(), &st) == 0) {
                if (S_ISREG(st.st_mode))
                    ::fchmod(fd, st.st_mode & 07777);
            } else if (SharedFolder(target) && ::fstat(fd, &st) == 0) {
                ::fchmod(fd, (st.st_mode & 07777) | S_IRUSR | S_IRGRP | S_IROTH);
            }
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

// The rename itself is durable only once the folder is flushed; a failure here loses nothing written.
void SyncFolder(const std::string& path)
{
    Descriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0)
        ::fsync(folder.get());
}

std::string TimeStamp()
{
    std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// Fails with EEXIST instead of replacing an existing file.
int RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // The file system cannot refuse by itself: check first.
    if (::access(to.c_str(), F_OK) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.c_str(), to.c_str());
}

// The process id in a temporary file's name, or 0 when the name is not one of ours.
pid_t TemporaryOwner(std::string_view name)
{
    if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix))
        return 0;
    name.remove_prefix(kTemporaryPrefix.size());
    name.remove_suffix(kTemporarySuffix.size());
    auto dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == name.size())
        return 0;
    long pid = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        if (i == dash)
            continue;
        if (name[i] < '0' || name[i] > '9' || pid > 1'000'000'000)
            return 0;
        if (i < dash)
            pid = pid * 10 + (name[i] - '0');
    }
    return static_cast<pid_t>(pid);
}

bool ProcessGone(pid_t pid)
{
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Removes the file when nobody holds it: the lock is free and the name still names the file that was locked.
void RemoveIfUnheld(int folder, const char* name)
{
    Descriptor fd(::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return;
    struct stat opened, named;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && ::fstat(fd.get(), &opened) == 0 && S_ISREG(opened.st_mode)
        && ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && opened.st_dev == named.st_dev
        && opened.st_ino == named.st_ino)
        ::unlinkat(folder, name, 0);
}

} // namespace

void RemoveLeftoverTemporaries(const std::string& path)
{
    DIR* folder = ::opendir(FolderOf(path).c_str());
    if (!folder)
        return;
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(folder)) {
        // A save of this process may be under way on another thread.
        pid_t owner = TemporaryOwner(entry->d_name);
        if (owner > 0 && owner != self && ProcessGone(owner))
            RemoveIfUnheld(::dirfd(folder), entry->d_name);
    }
    ::closedir(folder);
}

FileContents ReadWholeFile(const std::string& path)
{
    FileContents contents;
    // Opened without waiting, and checked on the descriptor: a FIFO under the name would block the open until a
    // writer came, and a name checked before the open can be swapped in between.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return contents;
        contents.error = ErrnoText("open");
        std::string notRegular = NotRegularAt(path, true);
        contents.status = notRegular.empty() ? ReadStatus::Failed : ReadStatus::NotRegular;
        if (!notRegular.empty())
            contents.error = std::move(notRegular);
        return contents;
    }
    contents.status = ReadStatus::Failed;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) {
        contents.error = ErrnoText("fstat");
        return contents;
    }
    if (!S_ISREG(st.st_mode)) {
        contents.status = ReadStatus::NotRegular;
        contents.error = NotRegularText(st.st_mode);
        return contents;
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        contents.error = ErrnoText("fcntl");
        return contents;
    }
    contents.bytes.reserve(static_cast<size_t>(st.st_size));
    if (!ReadAll(fd.get(), contents.bytes)) {
        contents.error = ErrnoText("read");
        contents.bytes.clear();
        return contents;
    }
    contents.status = ReadStatus::Read;
    return contents;
}

std::string RealPath(const std::string& path)
{
    namespace fs = std::filesystem;
    fs::path here = path;
    // As many links as the system itself follows.
    for (int hops = 0; hops < 40; ++hops) {
        const fs::path name = here.filename();
        if (name.empty() || name == "." || name == "..")
            break;
        std::error_code error;
        const fs::path folder = fs::weakly_canonical(here.has_parent_path() ? here.parent_path() : ".", error);
        if (error)
            break;
        here = folder / name;
        if (!fs::is_symlink(fs::symlink_status(here, error)))
            return here.string();
        const fs::path target = fs::read_symlink(here, error);
        if (error)
            break;
        here = target.is_absolute() ? target : folder / target;
    }
    return here.lexically_normal().string();
}

namespace {

// A temporary file beside target holding bytes, flushed to disk and still open (and so locked); -1 with error
// when it could not be made whole, and then no file is left behind.
int WriteTemporary(const std::string& target, std::string_view bytes, std::string& temporary, std::string& error)
{
    Descriptor fd(CreateTemporary(target, temporary));
    if (fd.get() < 0) {
        error = ErrnoText("create");
        return -1;
    }
    if (!WriteAll(fd.get(), bytes))
        error = ErrnoText("write");
    else if (::fsync(fd.get()) != 0)
        error = ErrnoText("fsync");
    else
        return fd.release();
    ::unlink(temporary.c_str());
    return -1;
}

} // namespace

bool ReplaceFile(const std::string& path, std::string_view bytes, std::string& error)
{
    RemoveLeftoverTemporaries(path);
    std::string temporary;
    Descriptor fd(WriteTemporary(path, bytes, temporary, error));
    if (fd.get() < 0)
        return false;
    bool ok = true;
    // Checked at the last moment, under the caller's lock: a FIFO, a device or a link is never replaced by a plain
    // file.
    struct stat named;
    if (::lstat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) {
        ok = false;
        error = "\"" + path + "\" is " + NotRegularText(named.st_mode);
    }
    // Renamed while still open and locked, so no other save takes it for a leftover in between.
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        error = ErrnoText("rename");
    }
    if (!ok)
        ::unlink(temporary.c_str());
    if (ok)
        SyncFolder(path);
    return ok;
}

namespace {

// The lock file under name, made when there is none. An existing one is opened without O_CREAT: in a folder
// where only owners may remove files, the system refuses O_CREAT on another account's file. Opened without
// waiting, since a FIFO under the name would block the open.
int OpenLockFile(const std::string& name)
{
    constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    for (;;) {
        int fd = ::open(name.c_str(), kFlags);
        if (fd >= 0 || errno != ENOENT)
            return fd;
        fd = ::open(name.c_str(), kFlags | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            // Whatever this account's mask, copies run by other accounts must open it too.
            ::fchmod(fd, 0644);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
}

} // namespace

WorkbookLock::WorkbookLock(const std::string& path, std::chrono::milliseconds wait)
    : name_(FolderOf(path) + "/.report.lock")
{
    const auto until = std::chrono::steady_clock::now() + wait;
    for (;;) {
        Descriptor fd(OpenLockFile(name_));
        if (fd.get() < 0) {
            const std::string why = std::strerror(errno), notRegular = NotRegularAt(name_, false);
            error_ = "lock file \"" + name_ + "\": " + (notRegular.empty() ? why : notRegular);
            return;
        }
        // A folder takes the lock as well as a file does; a FIFO or a device is nobody's lock file.
        struct stat held;
        if (::fstat(fd.get(), &held) != 0) {
            error_ = "lock file \"" + name_ + "\": " + std::strerror(errno);
            return;
        }
        if (!S_ISREG(held.st_mode) && !S_ISDIR(held.st_mode)) {
            error_ = "lock file \"" + name_ + "\": " + NotRegularText(held.st_mode);
            return;
        }
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
            // The copy that held it before may have removed the file in between: only the file under the name
            // counts.
            struct stat named;
            if (::stat(name_.c_str(), &named) == 0 && held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
                fd_ = fd.release();
                return;
            }
            continue;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            error_ = "lock file \"" + name_ + "\": " + std::strerror(errno);
            return;
        }
        if (std::chrono::steady_clock::now() >= until) {
            error_ = "another copy of the program holds the workbook";
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

WorkbookLock::~WorkbookLock()
{
    if (fd_ < 0)
        return;
    // Removed while still held, so a copy that opens the name afterwards makes a fresh file and never shares a
    // lock on the removed one. Where the folder keeps another account's file, it stays and the next copy locks
    // that one.
    ::unlink(name_.c_str());
    ::close(fd_);
}

bool MoveAside(const std::string& path, std::string& movedTo, std::string& error)
{
    const std::string base = path + ".broken-" + TimeStamp();
    for (int n = 1; n < 1000; ++n) {
        movedTo = n == 1 ? base : base + "-" + std::to_string(n);
        if (RenameNoReplace(path, movedTo) == 0) {
            SyncFolder(path);
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    error = ErrnoText("rename");
    return false;
}

bool WriteNewFile(const std::string& folder, const std::string& stem, const std::string& extension,
    std::string_view bytes, std::string& written, std::string& error)
{
    const std::string base = folder + "/" + stem + "-" + TimeStamp();
    std::string temporary;
    Descriptor fd(WriteTemporary(base + extension, bytes, temporary, error));
    if (fd.get() < 0)
        return false;
    error = "no free name";
    for (int n = 1; n < 1000; ++n) {
        written = n == 1 ? base + extension : base + "-" + std::to_string(n) + extension;
        if (RenameNoReplace(temporary, written) == 0) {
            SyncFolder(written);
            return true;
        }
        if (errno != EEXIST) {
            error = ErrnoText("rename");
            break;
        }
    }
    ::unlink(temporary.c_str());
    written.clear();
    return false;
}

} // namespace report
