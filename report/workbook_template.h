// The workbook a report starts from when no file exists yet: the format's declarations and styles, no worksheet.
#pragma once

#include <cstddef>

// kEmptyWorkbookLength characters followed by a terminating zero byte.
extern const char kEmptyWorkbook[];
inline constexpr std::size_t kEmptyWorkbookLength = 1322;
