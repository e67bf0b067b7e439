// The statistics workbook: an existing file from outside is opened, rows with outside names and texts are added
// and saved, and the saved file must open again as a workbook holding those rows.
//
// Input: two bytes (little-endian) giving the length of the stored file, the file, then the texts. The texts are
// separated by a zero byte (fuzz_texts.h): the pupil's name, then label, value and type of each row.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <xercesc/util/PlatformUtils.hpp>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_texts.h"
#include "fuzz/scratch_folder.h"
#include "platform/testing/debug_capture.h"
#include "platform/text/utf8.h"
#include "report/report.h"
#include "report/spreadsheet_names.h"

namespace {

void Check(bool holds, const char* what, const platform::DebugCapture& said)
{
    FuzzCheck(holds, "workbook", what, said);
}

std::filesystem::path g_folder;

size_t RowsOf(const IMReport& report)
{
    const xercesc::DOMElement* table = report::FirstSpreadsheetChild(*report.GetWorksheet(), u"Table");
    return table ? report::SpreadsheetChildren(*table, u"Row").size() : 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    xercesc::XMLPlatformUtils::Initialize();
    g_folder = MakeScratchFolder("workbook-fuzz");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t stored = std::min<size_t>(data[0] | data[1] << 8, size - 2);
    const std::filesystem::path file = g_folder / "book.xls";
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data + 2), std::streamsize(stored));
    const std::vector<std::wstring> texts = FuzzTexts(data + 2 + stored, size - 2 - stored);

    platform::DebugCapture quiet;
    auto report = IMReport::Open(platform::FromUtf8(file.string()), texts[0]);
    Check(report != nullptr, "a stored file stopped the report", quiet);
    size_t added = 0;
    for (size_t i = 1; i + 2 < texts.size(); i += 3, ++added)
        report->AddRow(texts[i], texts[i + 1], texts[i + 2]);
    if (texts.size() % 3 == 0) {
        report->AddEmptyRow();
        ++added;
    }
    Check(report->Save(L""), "the workbook was not saved", quiet);
    const size_t rows = RowsOf(*report);
    report.reset();
    const size_t diagnosed = quiet.Entries().size();

    // A workbook this program saved opens again, not moved aside, with the pupil's rows in it.
    auto again = IMReport::Open(platform::FromUtf8(file.string()), texts[0]);
    Check(again != nullptr, "the saved workbook does not open", quiet);
    Check(quiet.Entries().size() == diagnosed, "the saved workbook does not parse", quiet);
    Check(RowsOf(*again) == rows && rows >= added, "rows were lost", quiet);
    again.reset();
    std::filesystem::remove_all(g_folder);
    std::filesystem::create_directory(g_folder);
    return 0;
}
