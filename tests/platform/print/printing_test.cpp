// Printing through a private scheduler: the printers it lists, the page a printer context offers, and what a
// document's text looks like once it has passed the scheduler and the queue's device.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/print/printer_dc.h"
#include "platform/print/printers.h"
#include "tests/support/print_scheduler.h"

namespace {

std::vector<std::wstring> PrinterNames()
{
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count);
    std::vector<std::wstring> names;
    auto* records = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        names.push_back(records[i].pPrinterName);
    return names;
}

std::wstring DefaultDevice()
{
    wchar_t text[80];
    GetProfileStringW(L"windows", L"device", L",,,", text, 80);
    return text;
}

struct DcDeleter {
    void operator()(HDC__* dc) const { DeleteDC(dc); }
};
using PrinterDc = std::unique_ptr<HDC__, DcDeleter>;

class PrintingTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scheduler.Running());
        for (const char* queue : { "Kabinet-3", "Kabinet-1", "Kabinet-2" })
            scheduler.AddQueue(queue);
        scheduler.SetDefault("Kabinet-2");
    }

    PrintScheduler scheduler;
};

TEST_F(PrintingTest, PrintersComeInTheSchedulersOrderWithItsDefault)
{
    EXPECT_EQ(PrinterNames(), (std::vector<std::wstring> { L"Kabinet-1", L"Kabinet-2", L"Kabinet-3" }));
    EXPECT_EQ(DefaultDevice().substr(0, 10), L"Kabinet-2,");

    wchar_t small[4];
    EXPECT_EQ(GetProfileStringW(L"windows", L"device", L",,,", small, 4), 3u);
    EXPECT_STREQ(small, L"Kab");

    DWORD needed = 0, count = 7;
    BYTE tiny[8];
    EXPECT_FALSE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, tiny, sizeof tiny, &needed, &count));
    EXPECT_GT(needed, sizeof tiny);
    EXPECT_EQ(count, 0u);

    EXPECT_EQ(CreateDCW(nullptr, L"Kabinet-9", nullptr, nullptr), nullptr);
    scheduler.RemoveQueue("Kabinet-2");
    EXPECT_EQ(CreateDCW(nullptr, L"Kabinet-2", nullptr, nullptr), nullptr);
    EXPECT_EQ(DefaultDevice(), L",,,");
}

TEST_F(PrintingTest, ThePageIsTheQueuesMediaAndItsPrintableArea)
{
    auto caps = [](const wchar_t* printer) {
        PrinterDc dc(CreateDCW(nullptr, printer, nullptr, nullptr));
        std::vector<int> values;
        for (int index : { PHYSICALWIDTH, PHYSICALHEIGHT, PHYSICALOFFSETX, PHYSICALOFFSETY, HORZRES, VERTRES })
            values.push_back(GetDeviceCaps(dc.get(), index));
        return values;
    };
    // A queue that names no media prints on A4, one that does on its media; a driver adds its margins.
    EXPECT_EQ(caps(L"Kabinet-1"), (std::vector<int> { 4961, 7016, 0, 0, 4961, 7016 }));
    scheduler.SetMedia("Kabinet-1", "na_letter_8.5x11in");
    EXPECT_EQ(caps(L"Kabinet-1"), (std::vector<int> { 5100, 6600, 0, 0, 5100, 6600 }));
    scheduler.AddQueueWithMargins("Ugol");
    EXPECT_EQ(caps(L"Ugol"), (std::vector<int> { 5100, 6600, 150, 300, 4800, 6000 }));
}

TEST_F(PrintingTest, ADocumentArrivesAsOneJobWithItsPagesAndText)
{
    scheduler.AddQueueWithMargins("Ugol");
    PrinterDc dc(CreateDCW(nullptr, L"Ugol", nullptr, nullptr));
    ASSERT_NE(dc, nullptr);
    const int width = GetDeviceCaps(dc.get(), HORZRES);
    const int height = GetDeviceCaps(dc.get(), VERTRES);
    EXPECT_EQ(GetDeviceCaps(dc.get(), LOGPIXELSX), 600);

    TEXTMETRICW tm;
    ASSERT_TRUE(GetTextMetricsW(dc.get(), &tm));
    EXPECT_NEAR(tm.tmHeight, 96, 10); // about 10 pt at 600 dpi
    EXPECT_GT(tm.tmAveCharWidth, 30);
    EXPECT_LT(tm.tmAveCharWidth, 60);

    SIZE wide {}, narrow {};
    ASSERT_TRUE(GetTextExtentPoint32W(dc.get(), L"Шшш", 3, &wide));
    ASSERT_TRUE(GetTextExtentPoint32W(dc.get(), L"iii", 3, &narrow));
    EXPECT_GT(wide.cx, 2 * narrow.cx);
    EXPECT_EQ(wide.cy, tm.tmHeight);

    EXPECT_FALSE(TextOutW(dc.get(), 0, 0, L"x", 1)); // no page yet
    DOCINFOW info;
    info.lpszDocName = L"Print1: Printing";
    ASSERT_GT(StartDocW(dc.get(), &info), 0);
    EXPECT_EQ(StartDocW(dc.get(), &info), SP_ERROR);
    ASSERT_GT(StartPage(dc.get()), 0);
    EXPECT_TRUE(TextOutW(dc.get(), 0, 0, L"Съешь же ещё этих мягких булок", 30));
    EXPECT_TRUE(TextOutW(dc.get(), width / 2, 600, L"Правая", 6));
    ASSERT_GT(EndPage(dc.get()), 0);
    ASSERT_GT(StartPage(dc.get()), 0);
    EXPECT_TRUE(TextOutW(dc.get(), 0, height - tm.tmHeight, L"Вторая", 6));
    ASSERT_GT(EndPage(dc.get()), 0);
    ASSERT_GT(EndDoc(dc.get()), 0);

    const auto jobs = scheduler.WaitForJobs("Ugol", 1);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(PrintScheduler::JobTitle(jobs[0]), "Print1: Printing");
    EXPECT_EQ(PdfPages(jobs[0]), 2);
    EXPECT_NE(PdfText(jobs[0]).find("Съешь же ещё этих мягких булок"), std::string::npos);

    // Device coordinates start at the printable area's corner: 18 pt and 36 pt into the sheet.
    const double margin = GetDeviceCaps(dc.get(), PHYSICALOFFSETX) * 72.0 / 600;
    int found = 0;
    for (const PdfWord& word : PdfWords(jobs[0])) {
        found += word.text == "Съешь" || word.text == "Правая" || word.text == "Вторая";
        if (word.text == "Съешь") {
            EXPECT_NEAR(word.x_min, margin, 2.0);
            EXPECT_NEAR(word.y_min, GetDeviceCaps(dc.get(), PHYSICALOFFSETY) * 72.0 / 600, 3.0);
        }
        if (word.text == "Правая") {
            EXPECT_NEAR(word.x_min, margin + width / 2 * 72.0 / 600, 2.0);
        }
        if (word.text == "Вторая") {
            EXPECT_EQ(word.page, 1);
            EXPECT_LT(word.y_max, (GetDeviceCaps(dc.get(), PHYSICALOFFSETY) + height) * 72.0 / 600 + 0.5);
        }
    }
    EXPECT_EQ(found, 3);
}

TEST_F(PrintingTest, ARefusedOrAbandonedDocumentPrintsNothing)
{
    DOCINFOW info;
    info.lpszDocName = L"Print1: Printing";
    {
        PrinterDc dc(CreateDCW(nullptr, L"Kabinet-1", nullptr, nullptr));
        ASSERT_NE(dc, nullptr);
        ASSERT_GT(StartDocW(dc.get(), &info), 0);
        ASSERT_GT(StartPage(dc.get()), 0);
        TextOutW(dc.get(), 0, 0, L"Брошено", 7);
    } // deleted with its document open: the job is cancelled

    scheduler.RejectJobs("Kabinet-2");
    PrinterDc refused(CreateDCW(nullptr, L"Kabinet-2", nullptr, nullptr));
    ASSERT_NE(refused, nullptr);
    EXPECT_LE(StartDocW(refused.get(), &info), 0);
    EXPECT_EQ(StartPage(refused.get()), SP_ERROR);
    EXPECT_EQ(EndDoc(refused.get()), SP_ERROR);

    EXPECT_EQ(scheduler.JobCount("Kabinet-1"), 1);
    EXPECT_EQ(scheduler.OpenJobCount("Kabinet-1"), 0); // cancelled, not waiting for its document
    EXPECT_TRUE(scheduler.Jobs("Kabinet-1").empty());
    EXPECT_EQ(scheduler.JobCount("Kabinet-2"), 0);
    HDC screen = GetDC(nullptr);
    EXPECT_FALSE(DeleteDC(screen));
    ReleaseDC(nullptr, screen);
}

TEST(PrintingWithoutScheduler, ListsNothingAndBreaksNothing)
{
    setenv("CUPS_SERVER", "/nonexistent/im-cups.sock", 1);
    EXPECT_TRUE(PrinterNames().empty());
    EXPECT_EQ(DefaultDevice(), L",,,");
    EXPECT_EQ(CreateDCW(nullptr, L"Kabinet-1", nullptr, nullptr), nullptr);
}

} // namespace
