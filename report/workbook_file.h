// File-system steps of the workbook: reading it whole, replacing it atomically, moving a damaged one aside.
// Paths are UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace report {

enum class ReadStatus { Missing, Read, Failed };

struct FileContents {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;
    std::string error; // why the read failed
};

// Anything that is not a regular file (nothing at all, a folder) counts as missing.
FileContents ReadWholeFile(const std::string& path);

// Writes bytes to a new file in path's folder, flushes it to disk and renames it over path. On failure path is
// untouched, no temporary file is left behind, and error says why. Leftovers of saves that were killed are
// removed first.
bool ReplaceFile(const std::string& path, std::string_view bytes, std::string& error);

// Removes the temporary files that saves into path's folder left behind when their process was killed. A file whose
// process still runs, or that a save still holds, stays.
void RemoveLeftoverTemporaries(const std::string& path);

// Renames path to path + ".broken-YYYYMMDD-HHMMSS" (local time), never over an existing file: when that name is
// taken, "-2", "-3", ... is appended. Gives the new name.
bool MoveAside(const std::string& path, std::string& movedTo, std::string& error);

} // namespace report
