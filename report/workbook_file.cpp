#include "report/workbook_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace report {
namespace {

std::string ErrnoText(const char* step)
{
    return std::string(step) + ": " + std::strerror(errno);
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

// A fresh file beside the target; it takes the target's permissions when the target exists.
int CreateTemporary(const std::string& target, std::string& name)
{
    static unsigned counter = 0;
    const std::string stem = FolderOf(target) + "/.report-" + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = stem + std::to_string(++counter) + ".tmp";
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            struct stat st;
            if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
                ::fchmod(fd, st.st_mode & 07777);
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
    int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
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

} // namespace

FileContents ReadWholeFile(const std::string& path)
{
    FileContents contents;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return contents;
        contents.status = ReadStatus::Failed;
        contents.error = ErrnoText("stat");
        return contents;
    }
    if (!S_ISREG(st.st_mode))
        return contents;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !ReadAll(fd, contents.bytes)) {
        contents.status = ReadStatus::Failed;
        contents.error = ErrnoText("read");
        contents.bytes.clear();
    } else {
        contents.status = ReadStatus::Read;
    }
    if (fd >= 0)
        ::close(fd);
    return contents;
}

bool ReplaceFile(const std::string& path, std::string_view bytes, std::string& error)
{
    std::string temporary;
    int fd = CreateTemporary(path, temporary);
    if (fd < 0) {
        error = ErrnoText("create");
        return false;
    }
    bool ok = WriteAll(fd, bytes);
    if (!ok)
        error = ErrnoText("write");
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        error = ErrnoText("fsync");
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = ErrnoText("close");
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        error = ErrnoText("rename");
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(path);
    return true;
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

} // namespace report
