#include "report/file_steps.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <new>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace report {

Descriptor::~Descriptor()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::string ErrnoText(const char* step)
{
    return std::string(step) + ": " + std::strerror(errno);
}

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

std::string NotRegularAt(const std::string& path)
{
    struct stat named;
    if (::lstat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode) && !S_ISDIR(named.st_mode))
        return NotRegularText(named.st_mode);
    return {};
}

std::string FolderRefusal(const std::string& folder)
{
    if (::access(folder.c_str(), W_OK | X_OK) == 0)
        return {};
    const std::string named = "the folder \"" + folder + "\"";
    switch (errno) {
    case ENOENT:
    case ENOTDIR:
        return named + " does not exist";
    case EROFS:
        return named + " is on a read-only file system";
    case EACCES:
    case EPERM:
        return "this account may not write in " + named;
    default:
        return named + ": " + std::strerror(errno);
    }
}

std::string RenameRefusal(const std::string& path, const char* action)
{
    const int failure = errno;
    const std::string folder = FolderOf(path);
    struct stat folderStat, file;
    const uid_t self = ::geteuid();
    if ((failure == EPERM || failure == EACCES) && ::stat(folder.c_str(), &folderStat) == 0
        && (folderStat.st_mode & S_ISVTX) != 0 && folderStat.st_uid != self && ::lstat(path.c_str(), &file) == 0
        && file.st_uid != self) {
        const std::string name = path.substr(path.rfind('/') + 1);
        return "in the folder \"" + folder + "\" only the owner of \"" + name + "\" may " + action + " it";
    }
    return std::string("rename: ") + std::strerror(failure);
}

std::string FolderOf(const std::string& path)
{
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
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

int CreateTemporary(const std::string& folder, mode_t mode, std::string& name)
{
    static std::atomic<unsigned> counter = 0;
    const std::string stem = folder + "/" + std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = stem + std::to_string(++counter) + std::string(kTemporarySuffix);
        // O_EXCL: never a file or a link another account put under the name.
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            ::flock(fd, LOCK_EX | LOCK_NB);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

namespace {

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

} // namespace

bool FillTemporary(int fd, const std::string& name, std::string_view bytes, std::string& error)
{
    if (!WriteAll(fd, bytes))
        error = ErrnoText("write");
    else if (::fsync(fd) != 0)
        error = ErrnoText("fsync");
    else
        return true;
    ::unlink(name.c_str());
    return false;
}

void SyncFolder(const std::string& path) noexcept
{
    try {
        Descriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.get() >= 0)
            ::fsync(folder.get());
    } catch (const std::bad_alloc&) {
        // The rename is done: a save that went through must not be reported as failed.
    }
}

int RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // A file system that cannot refuse a rename by itself: a new name made by link is never one that exists.
    if (::link(from.c_str(), to.c_str()) != 0)
        return -1;
    ::unlink(from.c_str());
    return 0;
}

} // namespace report
