#include "report/workbook_file.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "report/file_steps.h"

namespace report {
namespace {

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

// Other accounts may write the folder, so they share what is saved in it.
bool SharedFolder(const std::string& path)
{
    struct stat folder;
    return ::stat(FolderOf(path).c_str(), &folder) == 0 && (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

// The temporary file that will replace target: it takes the target's permissions when the target exists; a new
// one in a shared folder is readable by everyone whatever this account's mask.
int CreateReplacement(const std::string& target, std::string& name)
{
    int fd = CreateTemporary(FolderOf(target), 0666, name);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISREG(st.st_mode))
            ::fchmod(fd, st.st_mode & 07777);
    } else if (SharedFolder(target) && ::fstat(fd, &st) == 0) {
        ::fchmod(fd, (st.st_mode & 07777) | S_IRUSR | S_IRGRP | S_IROTH);
    }
    return fd;
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
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return contents;
        contents.error = ErrnoText("open");
        std::string notRegular = NotRegularAt(path);
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

bool Gone(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

namespace {

// "the account "name"", or its number when it has no name.
std::string AccountText(uid_t uid)
{
    passwd entry;
    passwd* found = nullptr;
    char buffer[1024];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return std::string("the account \"") + found->pw_name + "\"";
    return "the account " + std::to_string(uid);
}

} // namespace

ForeignLink::ForeignLink(const std::string& link, uid_t owner)
    : std::runtime_error("the symbolic link \"" + link + "\" was made by another account (" + AccountText(owner)
        + "), so it is not followed")
{
}

std::string RealPath(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path whole = fs::absolute(path, error);
    // Without a working directory a relative name leads nowhere: it stays as given and fails where it is used.
    if (error)
        return path;
    // The names still to walk, the next one last.
    std::vector<fs::path> pending(whole.begin(), whole.end());
    std::reverse(pending.begin(), pending.end());
    fs::path here = "/";
    // As many links as the system itself follows.
    int hops = 0;
    while (!pending.empty()) {
        const fs::path name = std::move(pending.back());
        pending.pop_back();
        if (name.empty() || name == "." || name == "/")
            continue;
        if (name == "..") {
            here = here.parent_path();
            continue;
        }
        fs::path next = here / name;
        struct stat link;
        // A name that is not there (yet) or no link: the rest of the path is where it would be made.
        if (::lstat(next.c_str(), &link) != 0 || !S_ISLNK(link.st_mode) || ++hops > 40) {
            here = std::move(next);
            continue;
        }
        struct stat folder;
        if (link.st_uid != ::geteuid() && link.st_uid != 0
            && (::stat(here.c_str(), &folder) != 0 || link.st_uid != folder.st_uid))
            throw ForeignLink(next.string(), link.st_uid);
        const fs::path target = fs::read_symlink(next, error);
        if (error) {
            here = std::move(next);
            continue;
        }
        if (target.is_absolute())
            here = "/";
        for (auto part = target.end(); part != target.begin();)
            pending.push_back(*--part);
    }
    return here.string();
}

bool ReplaceFile(const std::string& path, std::string_view bytes, std::string& error)
{
    RemoveLeftoverTemporaries(path);
    std::string temporary;
    Descriptor fd(CreateReplacement(path, temporary));
    if (fd.get() < 0) {
        const std::string refused = FolderRefusal(FolderOf(path));
        error = refused.empty() ? ErrnoText("create") : refused;
        return false;
    }
    if (!FillTemporary(fd.get(), temporary, bytes, error))
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
        error = RenameRefusal(path, "replace");
    }
    if (!ok)
        ::unlink(temporary.c_str());
    if (ok)
        SyncFolder(path);
    return ok;
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
    error = RenameRefusal(path, "move");
    return false;
}

} // namespace report
