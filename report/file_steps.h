// Small file-system steps shared by the workbook's reads, saves, lock and kept files. Paths are UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include <sys/types.h>

namespace report {

// Closes the descriptor on every way out, exceptions included.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : fd_(fd)
    {
    }
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// "step: <the system's text for errno>".
std::string ErrnoText(const char* step);
// What a file that is not a regular one is, for a person: "not a regular file (a FIFO)".
std::string NotRegularText(mode_t mode);
// After an open of path failed: what is under the name when that is neither a regular file nor a folder (a socket
// cannot be opened at all, a link not followed gives ELOOP), empty otherwise.
std::string NotRegularAt(const std::string& path);
// Why this account cannot make files in folder, in words a teacher can act on; empty when it can.
std::string FolderRefusal(const std::string& folder);
// Why a rename of path (to it or from it) just failed, from errno: in a folder with the sticky bit, where only a
// file's owner may replace or remove it, in words a teacher can act on ("... may <action> it"); else "rename: ...".
std::string RenameRefusal(const std::string& path, const char* action);

std::string FolderOf(const std::string& path);
// "YYYYMMDD-HHMMSS", local time.
std::string TimeStamp();

// Temporary files of saves are named kTemporaryPrefix + pid + "-" + n + kTemporarySuffix.
inline constexpr std::string_view kTemporaryPrefix = ".report-";
inline constexpr std::string_view kTemporarySuffix = ".tmp";
// A new temporary file in folder, made with mode (less the umask), never through an existing name, and locked for
// as long as it is open, so that no other save takes it for a leftover. -1 with errno set when none could be made.
int CreateTemporary(const std::string& folder, mode_t mode, std::string& name);
// Writes bytes into the temporary file and flushes it to disk; on failure the file is removed and error says why.
bool FillTemporary(int fd, const std::string& name, std::string_view bytes, std::string& error);

// The rename itself is durable only once the folder is flushed; a failure here loses nothing written and is not
// reported.
void SyncFolder(const std::string& path) noexcept;
// Renames from to to, failing with EEXIST instead of replacing whatever is at to, links included.
int RenameNoReplace(const std::string& from, const std::string& to);

} // namespace report
