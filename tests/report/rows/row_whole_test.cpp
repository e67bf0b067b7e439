// A row joins the workbook whole or not at all, whichever allocation made while adding it fails; a save that runs
// out of memory never takes a good workbook for damaged.
#include <atomic>
#include <cstdlib>
#include <new>

#include <xercesc/dom/DOMElement.hpp>

#include "platform/testing/debug_capture.h"
#include "report/report.h"
#include "report/spreadsheet_names.h"
#include "report/xml_text.h"
#include "tests/support/workbook_fixture.h"

namespace {

// Allocations left before the next one fails; negative while none is to fail.
std::atomic<long> g_allocationsLeft = -1;

} // namespace

void* operator new(std::size_t size)
{
    if (g_allocationsLeft.load() >= 0 && g_allocationsLeft.fetch_sub(1) == 0)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

// The XML library does not free what a parse had allocated when an allocation inside the parse fails: in this
// executable, whose failing allocations are made on purpose, its memory is not counted as leaked.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:xercesc_3_2::MemoryManagerImpl::allocate\n";
}

// The compiler takes these for frees of memory from the standard operator new, which they replace.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}
#pragma GCC diagnostic pop

namespace {

using Rows = std::vector<std::vector<std::wstring>>;

// The texts of the rows the report holds now, cell by cell.
Rows HeldRows(const IMReport& report)
{
    Rows rows;
    const xercesc::DOMElement* table = report::FirstSpreadsheetChild(*report.GetWorksheet(), u"Table");
    for (const xercesc::DOMElement* row : report::SpreadsheetChildren(*table, u"Row")) {
        rows.emplace_back();
        for (const xercesc::DOMElement* cell : report::SpreadsheetChildren(*row, u"Cell")) {
            const xercesc::DOMElement* data = report::FirstSpreadsheetChild(*cell, u"Data");
            rows.back().push_back(data ? report::WideOf(data->getTextContent()) : L"(no data)");
        }
    }
    return rows;
}

TEST_F(WorkbookTest, ARowIsAddedWholeOrNotAtAll)
{
    const auto file = folder_ / "book.xls";
    auto report = IMReport::Open(Wide(file), L"Аня");
    ASSERT_TRUE(report);
    report->AddRow(L"Запуск", L"0", L"Number");
    ASSERT_TRUE(report->Save(L""));
    Rows expected { { L"Запуск", L"0" } };
    // The n-th allocation fails, for every n until adding the row needs no more than that.
    for (long allowed = 0;; ++allowed) {
        bool failed = false;
        g_allocationsLeft = allowed;
        try {
            report->AddRow(L"Попытка", std::to_wstring(allowed), L"Number");
            report->AddEmptyRow();
        } catch (...) {
            failed = true;
        }
        g_allocationsLeft = -1;
        if (!failed)
            expected.insert(expected.end(), { { L"Попытка", std::to_wstring(allowed) }, {} });
        else if (HeldRows(*report).size() == expected.size() + 1)
            expected.push_back({ L"Попытка", std::to_wstring(allowed) });
        ASSERT_EQ(HeldRows(*report), expected) << allowed;
        if (!failed)
            break;
    }
    // What the report lists as unsaved is what its document holds: the save joins exactly those rows to the stored
    // workbook.
    ASSERT_TRUE(report->Save(L""));
    EXPECT_EQ(SheetRows(*ParseStrictly(ReadBytes(file)), L"Аня"), expected);
}

// Memory runs out at every allocation of a save in turn, in the read of the stored workbook, in its parsing and
// after: a good workbook is never taken for damaged (moved aside and rewritten), and the save that finally goes
// through stores every row once.
TEST_F(WorkbookTest, MemoryRunningOutWhileTheWorkbookIsTakenInNeverMakesItDamaged)
{
    const auto file = folder_ / "book.xls";
    RecordRun(file, L"Аня", L"Запуск", L"0");
    auto report = IMReport::Open(Wide(file), L"Боря");
    ASSERT_TRUE(report);
    report->AddRow(L"Запуск", L"1", L"Number");
    platform::DebugCapture quiet;
    for (long allowed = 0;; ++allowed) {
        g_allocationsLeft = allowed;
        const bool saved = report->Save(L"");
        g_allocationsLeft = -1;
        ASSERT_EQ(FilesIn(folder_), std::vector<std::filesystem::path> { "book.xls" }) << allowed;
        ASSERT_EQ(StoredRows(file, L"Аня"), (Rows { { L"Запуск", L"0" } })) << allowed;
        if (saved)
            break;
    }
    EXPECT_EQ(StoredRows(file, L"Боря"), (Rows { { L"Запуск", L"1" } }));
}

} // namespace
