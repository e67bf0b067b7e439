#include "tests/report/calls/file_calls.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <functional>
#include <mutex>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace testing_support {
namespace {

std::mutex g_mutex;
std::string g_folder; // empty while nothing is watched
std::vector<std::string> g_calls;
bool g_refuseNoReplace = false;
std::string g_lockName; // relative to the folder; empty when nothing is to be done before a lock
std::function<void()> g_beforeLock;

template <class Function> Function* Real(const char* name)
{
    return reinterpret_cast<Function*>(::dlsym(RTLD_NEXT, name));
}

// A path inside the watched folder, relative to it; empty for any other.
std::string Inside(std::string path)
{
    const std::string deleted = " (deleted)";
    if (path.ends_with(deleted))
        path.resize(path.size() - deleted.size());
    if (path == g_folder)
        return ".";
    if (!path.starts_with(g_folder + "/"))
        return {};
    return path.substr(g_folder.size() + 1);
}

std::string PathOf(int fd)
{
    char link[64], target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, target, sizeof target);
    return length > 0 ? std::string(target, size_t(length)) : std::string();
}

// Paths handed to open and rename are resolved against the working directory first.
std::string Absolute(const char* path)
{
    std::error_code error;
    return std::filesystem::absolute(path, error).lexically_normal().string();
}

void Record(const std::string& call, const std::string& path, const std::string& to = {})
{
    std::lock_guard lock(g_mutex);
    if (g_folder.empty())
        return;
    const std::string inside = Inside(path);
    if (inside.empty())
        return;
    g_calls.push_back(call + " " + inside + (to.empty() ? "" : " " + Inside(to)));
}

// A path handed to a call relative to the folder descriptor, made absolute.
std::string AbsoluteAt(int folder, const char* path)
{
    if (folder == AT_FDCWD || path[0] == '/')
        return Absolute(path);
    return (std::filesystem::path(PathOf(folder)) / path).lexically_normal().string();
}

// Only these opens pass a mode: O_TMPFILE holds the bits of O_DIRECTORY, which passes none.
bool TakesMode(int flags)
{
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}

bool Watching()
{
    std::lock_guard lock(g_mutex);
    return !g_folder.empty();
}

void RecordOpen(int fd, int flags)
{
    if (fd >= 0 && Watching())
        Record(flags & O_CREAT ? "create" : "open", PathOf(fd));
}

bool RefusingNoReplace()
{
    std::lock_guard lock(g_mutex);
    return g_refuseNoReplace;
}

// Does what is due before fd, the file under the name given, is locked.
void ActIfDue(int fd)
{
    std::function<void()> act;
    {
        std::lock_guard lock(g_mutex);
        if (g_lockName.empty() || Inside(PathOf(fd)) != g_lockName)
            return;
        g_lockName.clear();
        act = std::exchange(g_beforeLock, {});
    }
    act();
}

} // namespace

FileCalls::FileCalls(std::filesystem::path folder)
{
    std::lock_guard lock(g_mutex);
    g_folder = std::filesystem::canonical(folder).string();
    g_calls.clear();
}

FileCalls::~FileCalls()
{
    std::lock_guard lock(g_mutex);
    g_folder.clear();
    g_calls.clear();
    g_refuseNoReplace = false;
    g_lockName.clear();
    g_beforeLock = {};
}

std::vector<std::string> FileCalls::Take()
{
    std::lock_guard lock(g_mutex);
    return std::exchange(g_calls, {});
}

void FileCalls::RefuseNoReplace()
{
    std::lock_guard lock(g_mutex);
    g_refuseNoReplace = true;
}

void FileCalls::BeforeNextLock(std::string name, std::function<void()> act)
{
    std::lock_guard lock(g_mutex);
    g_lockName = std::move(name);
    g_beforeLock = std::move(act);
}

void FileCalls::ReplaceBeforeNextLock(std::string name)
{
    const std::string path = [&] {
        std::lock_guard lock(g_mutex);
        return g_folder + "/" + name;
    }();
    BeforeNextLock(std::move(name), [path] {
        Real<int(const char*)>("unlink")(path.c_str());
        const int made = Real<int(const char*, int, ...)>("open")(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (made >= 0)
            Real<int(int)>("close")(made);
    });
}

} // namespace testing_support

using testing_support::PathOf;
using testing_support::Real;
using testing_support::Record;
using testing_support::RecordOpen;
using testing_support::Watching;

extern "C" {

int open(const char* path, int flags, ...)
{
    static auto* real = Real<int(const char*, int, ...)>("open");
    va_list args;
    va_start(args, flags);
    const mode_t mode = testing_support::TakesMode(flags) ? va_arg(args, mode_t) : 0;
    va_end(args);
    const int fd = real(path, flags, mode);
    RecordOpen(fd, flags);
    return fd;
}

int open64(const char* path, int flags, ...) __attribute__((alias("open")));

int openat(int folder, const char* path, int flags, ...)
{
    static auto* real = Real<int(int, const char*, int, ...)>("openat");
    va_list args;
    va_start(args, flags);
    const mode_t mode = testing_support::TakesMode(flags) ? va_arg(args, mode_t) : 0;
    va_end(args);
    const int fd = real(folder, path, flags, mode);
    RecordOpen(fd, flags);
    return fd;
}

int openat64(int folder, const char* path, int flags, ...) __attribute__((alias("openat")));

ssize_t write(int fd, const void* bytes, size_t count)
{
    static auto* real = Real<ssize_t(int, const void*, size_t)>("write");
    const ssize_t written = real(fd, bytes, count);
    if (written > 0 && Watching())
        Record("write", PathOf(fd));
    return written;
}

int fsync(int fd)
{
    static auto* real = Real<int(int)>("fsync");
    const std::string path = Watching() ? PathOf(fd) : std::string();
    const int result = real(fd);
    if (result == 0 && !path.empty())
        Record("fsync", path);
    return result;
}

int rename(const char* from, const char* to)
{
    static auto* real = Real<int(const char*, const char*)>("rename");
    const int result = real(from, to);
    if (result == 0 && Watching())
        Record("rename", testing_support::Absolute(from), testing_support::Absolute(to));
    return result;
}

int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags)
{
    static auto* real = Real<int(int, const char*, int, const char*, unsigned)>("renameat2");
    if ((flags & RENAME_NOREPLACE) && testing_support::RefusingNoReplace()) {
        errno = EINVAL;
        return -1;
    }
    const int result = real(fromFolder, from, toFolder, to, flags);
    if (result == 0 && Watching())
        Record("rename", testing_support::AbsoluteAt(fromFolder, from), testing_support::AbsoluteAt(toFolder, to));
    return result;
}

int link(const char* from, const char* to)
{
    static auto* real = Real<int(const char*, const char*)>("link");
    const int result = real(from, to);
    if (result == 0 && Watching())
        Record("link", testing_support::Absolute(from), testing_support::Absolute(to));
    return result;
}

int unlink(const char* path)
{
    static auto* real = Real<int(const char*)>("unlink");
    const std::string absolute = Watching() ? testing_support::Absolute(path) : std::string();
    const int result = real(path);
    if (result == 0 && !absolute.empty())
        Record("unlink", absolute);
    return result;
}

int unlinkat(int folder, const char* path, int flags)
{
    static auto* real = Real<int(int, const char*, int)>("unlinkat");
    const std::string absolute = Watching() ? testing_support::AbsoluteAt(folder, path) : std::string();
    const int result = real(folder, path, flags);
    if (result == 0 && !absolute.empty())
        Record("unlink", absolute);
    return result;
}

int flock(int fd, int operation)
{
    static auto* real = Real<int(int, int)>("flock");
    if (operation & LOCK_EX)
        testing_support::ActIfDue(fd);
    const int result = real(fd, operation);
    if (result == 0 && (operation & LOCK_EX) && Watching())
        Record("lock", PathOf(fd));
    return result;
}

int close(int fd)
{
    static auto* real = Real<int(int)>("close");
    const std::string path = Watching() ? PathOf(fd) : std::string();
    const int result = real(fd);
    if (result == 0 && !path.empty())
        Record("close", path);
    return result;
}

} // extern "C"
