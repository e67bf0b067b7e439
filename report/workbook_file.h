// The workbook on disk: reading it whole, replacing it atomically, moving a damaged one aside.
// Paths are UTF-8.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace report {

// NotRegular: the name leads to something else than a regular file (a FIFO, a device, a socket, a folder).
enum class ReadStatus { Missing, Read, Failed, NotRegular };

struct FileContents {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;
    std::string error; // why the read failed; for NotRegular what the name leads to: "not a regular file (a FIFO)"
};

// Nothing under the name (or a folder on the way that is a file) counts as missing. Never waits: the file is opened
// without blocking and checked on the descriptor. path is a name RealPath gave: a symbolic link put there since is
// not followed and counts as not regular. Throws std::bad_alloc when memory runs out; the descriptor is
// closed all the same.
FileContents ReadWholeFile(const std::string& path);

// Nothing is under the name, not even its folder: a workbook that is gone, told without reading it.
bool Gone(const std::string& path);

// A symbolic link on the way to a file that another account made, which is not followed.
class ForeignLink : public std::runtime_error {
public:
    ForeignLink(const std::string& link, uid_t owner);
};

// The file path leads to: symbolic links followed, also one that leads to no file yet (to the file it would
// make), and the folder resolved, so that every path to one workbook gives the same name. A save replaces this
// name, never a link on the way to it. A link, at the name or in place of a folder, is followed only when it
// belongs to this account, to root or to the owner of the folder that holds it (who may replace it anyway); any
// other throws ForeignLink, since another account could lead this account's saves into its own files.
std::string RealPath(const std::string& path);

// Writes bytes to a new file in path's folder, flushes it to disk and renames it over path. On failure path is
// untouched, no temporary file is left behind, and error says why. Leftovers of saves that were killed are
// removed first. Whatever is at path must be a regular file or nothing: a FIFO, a device, a folder or a link there
// is never replaced. A new file in a folder other accounts may write is made readable by everyone.
bool ReplaceFile(const std::string& path, std::string_view bytes, std::string& error);

// Removes the temporary files that saves into path's folder left behind when their process was killed. A file whose
// process still runs, or that a save still holds, stays.
void RemoveLeftoverTemporaries(const std::string& path);

// Renames path to path + ".broken-YYYYMMDD-HHMMSS" (local time), never over an existing file: when that name is
// taken, "-2", "-3", ... is appended. Gives the new name.
bool MoveAside(const std::string& path, std::string& movedTo, std::string& error);

} // namespace report
