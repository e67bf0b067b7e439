#include "report/workbook_lock.h"

#include <cerrno>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "report/file_steps.h"

namespace report {
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

// Why the lock file could not be opened: what is under its name, else the folder this account cannot use (the
// hidden file's own error means little to a teacher), else the system's reason.
std::string OpenRefusal(const std::string& name)
{
    const std::string why = std::strerror(errno);
    if (std::string notRegular = NotRegularAt(name); !notRegular.empty())
        return "lock file \"" + name + "\": " + notRegular;
    if (std::string refused = FolderRefusal(FolderOf(name)); !refused.empty())
        return refused;
    return "lock file \"" + name + "\": " + why;
}

} // namespace

WorkbookLock::WorkbookLock(const std::string& path, std::chrono::milliseconds wait)
    : name_(FolderOf(path) + "/.report.lock")
{
    const auto until = std::chrono::steady_clock::now() + wait;
    for (;;) {
        Descriptor fd(OpenLockFile(name_));
        if (fd.get() < 0) {
            error_ = OpenRefusal(name_);
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

} // namespace report
