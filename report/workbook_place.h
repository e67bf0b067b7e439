// Where the account keeps the workbook, and where a run the workbook cannot take may go instead.
#pragma once

#include <string>
#include <vector>

namespace report {

// The program's folder in the account's data folder, made when missing; empty, with why when given, when it
// cannot be had (the workbook is then kept in the working directory).
std::wstring ProgramFolder(std::string* why = nullptr);

// The folders a run the workbook at workbookName cannot take is kept in, first choice first: the folder of the
// workbook's own name, the program's folder and the data folder itself, the same under the account's home when
// its data folder is set elsewhere (a folder shared with other accounts), then the working directory. UTF-8, each
// folder once; none reached through a link another account made.
std::vector<std::string> KeepingFolders(const std::string& workbookName);

} // namespace report
