#include "platform/system/app_data.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>

#include "platform/text/utf8.h"

namespace platform {
namespace {

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// Makes every missing folder along the path, as mkdir -p does.
bool MakeFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!part.empty() && !Exists(part) && ::mkdir(part.c_str(), 0700) != 0)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

bool Fail(std::string* why, const std::string& text)
{
    if (why)
        *why = text;
    return false;
}

bool Refused(std::string* why, const std::string& path)
{
    return Fail(why, "\"" + path + "\" cannot be made: " + std::strerror(errno));
}

} // namespace

namespace {

// base without trailing slashes, made with its parents when missing; empty when it cannot be had.
std::wstring MadeDataFolder(std::string base, std::string* why)
{
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    struct stat st;
    if (!MakeFolders(base) || ::stat(base.c_str(), &st) != 0) {
        Refused(why, base);
        return {};
    }
    if (!S_ISDIR(st.st_mode)) {
        Fail(why, "\"" + base + "\" is not a folder");
        return {};
    }
    return FromUtf8(base);
}

} // namespace

std::wstring ApplicationDataFolder(std::string* why)
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/')
        return MadeDataFolder(xdg, why);
    return HomeDataFolder(why);
}

std::wstring HomeDataFolder(std::string* why)
{
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        Fail(why, "neither $XDG_DATA_HOME nor $HOME names a folder");
        return {};
    }
    return MadeDataFolder(std::string(home) + "/.local/share", why);
}

bool EnsureFolder(const std::wstring& path, std::string* why)
{
    const std::string narrow = ToUtf8(path);
    return Exists(narrow) || ::mkdir(narrow.c_str(), 0700) == 0 || Refused(why, narrow);
}

} // namespace platform
