// A program run as a separate process by the tests: opens the workbook named on the command line for the pupil
// named after it, then adds a row and saves, over and over until killed. After each save it writes to standard
// output the number of rows the saved sheet holds, one line per save that reported success.
#include <cstdio>
#include <string>

#include <unistd.h>

#include "platform/text/utf8.h"
#include "report/report.h"
#include "report/spreadsheet_names.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <workbook> <pupil>\n", argv[0]);
        return 2;
    }
    auto report = IMReport::Open(platform::FromUtf8(argv[1]), platform::FromUtf8(argv[2]));
    if (!report)
        return 1;
    const xercesc::DOMElement* table = report::FirstSpreadsheetChild(*report->GetWorksheet(), u"Table");
    size_t rows = table ? report::SpreadsheetChildren(*table, u"Row").size() : 0;
    for (long n = 1;; ++n) {
        report->AddRow(L"Сохранение", std::to_wstring(n), L"Number");
        ++rows;
        if (!report->Save(L""))
            return 1;
        const std::string line = std::to_string(rows) + "\n";
        // One short write to a pipe is never split, so the reader sees whole lines only.
        if (::write(STDOUT_FILENO, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            return 1;
    }
}
