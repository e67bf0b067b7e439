// A workbook file of its own for a run the workbook cannot take.
#pragma once

#include <string>
#include <string_view>

namespace report {

// Writes bytes into a new file in folder named after the workbook's own name (as given, not a link's target):
// its stem + ".unsaved-YYYYMMDD-HHMMSS" (local time; "-2", "-3", ... when that name exists) + ".xls", the stem
// shortened to keep the name within the folder's limit. The file is made new, never through an existing name or a
// link; its mode is this account's (0644 less the umask), so no other account may write it. Flushed to disk. Gives
// the name; on failure nothing is left behind and error says why.
bool WriteKeptFile(const std::string& folder, const std::string& workbookName, std::string_view bytes,
    std::string& written, std::string& error);

} // namespace report
