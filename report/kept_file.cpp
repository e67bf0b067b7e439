#include "report/kept_file.h"

#include <cerrno>
#include <filesystem>

#include <unistd.h>

#include "report/file_steps.h"

namespace report {
namespace {

constexpr std::string_view kKeptTag = ".unsaved-";
constexpr std::string_view kKeptExtension = ".xls";
// Room for "-2" ... "-999" after the time stamp.
constexpr size_t kNumberRoom = 4;

// The stem cut to at most size bytes, never inside a UTF-8 character.
std::string Shortened(std::string stem, size_t size)
{
    if (stem.size() <= size)
        return stem;
    size_t end = size;
    while (end > 0 && (static_cast<unsigned char>(stem[end]) & 0xC0) == 0x80)
        --end;
    stem.resize(end);
    return stem;
}

size_t NameLimit(const std::string& folder)
{
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? size_t(limit) : 255;
}

} // namespace

bool WriteKeptFile(const std::string& folder, const std::string& workbookName, std::string_view bytes,
    std::string& written, std::string& error)
{
    const std::string stamp = TimeStamp();
    const size_t fixed = kKeptTag.size() + stamp.size() + kNumberRoom + kKeptExtension.size();
    const size_t limit = NameLimit(folder);
    const std::string stem
        = Shortened(std::filesystem::path(workbookName).stem().string(), limit > fixed ? limit - fixed : 0);
    const std::string base = folder + "/" + stem + std::string(kKeptTag) + stamp;

    std::string temporary;
    Descriptor fd(CreateTemporary(folder, 0644, temporary));
    if (fd.get() < 0) {
        const std::string refused = FolderRefusal(folder);
        error = refused.empty() ? ErrnoText("create") : refused;
        return false;
    }
    if (!FillTemporary(fd.get(), temporary, bytes, error))
        return false;
    error = "no free name";
    for (int n = 1; n < 1000; ++n) {
        written = base + (n == 1 ? "" : "-" + std::to_string(n)) + std::string(kKeptExtension);
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
