// The printers of a private scheduler, the page its queues offer a printer context, and documents that the
// scheduler refuses or that are abandoned. What printed pages hold is checked where the report prints.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/print/printer_dc.h"
#include "platform/print/printers.h"
#include "tests/support/print_scheduler.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::wstring> PrinterNames()
{
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count);
    std::vector<std::wstring> names;
    for (DWORD i = 0; i < count; ++i)
        names.push_back(reinterpret_cast<PRINTER_INFO_2W*>(buffer.data())[i].pPrinterName);
    return names;
}

std::wstring DefaultDevice()
{
    wchar_t text[80];
    GetProfileStringW(L"windows", L"device", L",,,", text, 80);
    return text;
}

std::vector<int> Page(const wchar_t* printer)
{
    HDC dc = CreateDCW(nullptr, printer, nullptr, nullptr);
    std::vector<int> caps;
    for (int index : { PHYSICALWIDTH, PHYSICALHEIGHT, PHYSICALOFFSETX, PHYSICALOFFSETY, HORZRES, VERTRES })
        caps.push_back(GetDeviceCaps(dc, index));
    DeleteDC(dc);
    return caps;
}

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// The user's options for the queue replaced by those given, as lpoptions sets them; then the page a printer context
// made afterwards has.
std::vector<int> PageChosen(PrintScheduler& scheduler, const std::string& queue, std::vector<std::string> options)
{
    scheduler.ClearUserOptions(queue);
    for (const std::string& option : options)
        scheduler.SetUserOption(queue, option);
    return PrintScheduler::OnNewThread([&] { return Page(Wide(queue).c_str()); });
}

// One word printed a tenth of an inch inside the printable area's top left corner, on a printer context made after the
// user's options for the queue were replaced by those given; the PDF that reached the queue's device.
fs::path PrintedWith(PrintScheduler& scheduler, const std::string& queue, std::vector<std::string> options)
{
    scheduler.ClearUserOptions(queue);
    for (const std::string& option : options)
        scheduler.SetUserOption(queue, option);
    const std::string device = queue.substr(0, queue.find('/')); // an instance prints on its queue
    const size_t before = scheduler.WaitForJobs(device, 0).size();
    HDC dc = PrintScheduler::OnNewThread([&] { return CreateDCW(nullptr, Wide(queue).c_str(), nullptr, nullptr); });
    DOCINFOW info;
    info.lpszDocName = L"Print1: Printing";
    if (!dc || StartDocW(dc, &info) <= 0 || StartPage(dc) <= 0 || !TextOutW(dc, 60, 60, L"Бумага", 6)
        || EndDoc(dc) <= 0) {
        DeleteDC(dc);
        return {};
    }
    DeleteDC(dc);
    const auto jobs = scheduler.WaitForJobs(device, before + 1);
    return jobs.size() == before + 1 ? jobs.back() : fs::path();
}

TEST(PrintingTest, PrintersInTheSchedulersOrderWithItsDefaultAndTheirPages)
{
    PrintScheduler scheduler;
    ASSERT_TRUE(scheduler.Running());
    scheduler.AddQueue("Kabinet-2", PrintScheduler::Driver::kLetterWithMargins);
    scheduler.AddQueue("Kabinet-4", PrintScheduler::Driver::kA4WithoutPrintableArea);
    scheduler.AddQueue("Kabinet-3", PrintScheduler::Driver::kA4WithoutMargins);
    scheduler.AddQueue("Kabinet-1");
    scheduler.AddQueue("Kabinet-5", PrintScheduler::Driver::kA4WithWideMargins);
    scheduler.SetDefault("Kabinet-2");
    EXPECT_EQ(PrinterNames(),
        (std::vector<std::wstring> { L"Kabinet-1", L"Kabinet-2", L"Kabinet-3", L"Kabinet-4", L"Kabinet-5" }));
    EXPECT_EQ(DefaultDevice().substr(0, 10), L"Kabinet-2,");

    // 1/600 inch, sheet then margins then printable area. A queue reporting no paper prints on A4, a driver's
    // default paper is taken, and a quarter inch stands for margins nobody states. The driver's margins are taken
    // as given; those that leave no printable area as none.
    EXPECT_EQ(Page(L"Kabinet-1"), (std::vector<int> { 4961, 7016, 150, 150, 4661, 6716 }));
    EXPECT_EQ(Page(L"Kabinet-2"), (std::vector<int> { 5100, 6600, 150, 300, 4800, 6000 }));
    EXPECT_EQ(Page(L"Kabinet-3"), (std::vector<int> { 4958, 7017, 150, 150, 4658, 6717 }));
    EXPECT_EQ(Page(L"Kabinet-4"), (std::vector<int> { 4961, 7016, 150, 150, 4661, 6716 }));
    EXPECT_EQ(Page(L"Kabinet-5"), (std::vector<int> { 4958, 7017, 600, 450, 4058, 5817 }));
    HDC dc = CreateDCW(nullptr, L"Kabinet-1", nullptr, nullptr);
    TEXTMETRICW tm;
    ASSERT_TRUE(GetTextMetricsW(dc, &tm));
    EXPECT_NEAR(tm.tmHeight, 96, 10); // about 10 pt
    SIZE wide {}, narrow {};
    GetTextExtentPoint32W(dc, L"Шшш", 3, &wide);
    GetTextExtentPoint32W(dc, L"iii", 3, &narrow);
    EXPECT_GT(wide.cx, 2 * narrow.cx);
    DeleteDC(dc);

    scheduler.RemoveQueue("Kabinet-2");
    EXPECT_EQ(CreateDCW(nullptr, L"Kabinet-2", nullptr, nullptr), nullptr);
    EXPECT_EQ(DefaultDevice(), L",,,");
}

TEST(PrintingTest, ThePaperChosenInTheUsersOptionsByAnyOfItsNames)
{
    PrintScheduler scheduler;
    ASSERT_TRUE(scheduler.Running());
    scheduler.AddQueue("Kabinet-1");
    scheduler.AddQueue("Kabinet-5", PrintScheduler::Driver::kA4WithWideMargins);
    // The paper with the driver's margins for it: 72 pt left, 54 pt top, 36 pt right, 90 pt bottom.
    const std::vector<int> a4 { 4958, 7017, 600, 450, 4058, 5817 };
    const std::vector<int> letter { 5100, 6600, 600, 450, 4200, 5400 };
    const std::vector<int> a5 { 3500, 4958, 600, 450, 2600, 3758 };
    const std::pair<const char*, std::vector<int>> choices[] = { { "A5", a5 }, { "iso_a5_148x210mm", a5 }, { "a5", a5 },
        { "iso-a5", a5 }, { "Letter", letter }, { "na_letter_8.5x11in", letter }, { "letter", letter },
        { "LETTER", letter }, { "A4", a4 }, { "ISO_A4_210x297mm", a4 }, { "a4", a4 }, { "A5,Tray1", a5 },
        { "Plain,letter,Tray1", letter }, // the paper listed with its type and source
        { "Gazeta", a4 }, { "Gazeta,Tray1", a4 } }; // a name nobody knows: the queue's own default paper
    const auto choose = [&](const char* queue, const std::string& option) {
        scheduler.SetUserOption(queue, option);
        const std::wstring name(queue, queue + std::strlen(queue));
        return PrintScheduler::OnNewThread([&] { return Page(name.c_str()); });
    };
    for (const auto& [media, page] : choices)
        EXPECT_EQ(choose("Kabinet-5", std::string("media=") + media), page) << media;

    // Without a media option, the driver's own PageSize or PageRegion, as lpoptions shows it for a queue with a
    // driver; PageSize where both are set, media over both.
    scheduler.AddQueue("Kabinet-6", PrintScheduler::Driver::kA4WithWideMargins);
    EXPECT_EQ(choose("Kabinet-6", "PageRegion=Letter"), letter);
    EXPECT_EQ(choose("Kabinet-6", "PageSize=A5"), a5);
    EXPECT_EQ(choose("Kabinet-6", "media=Letter"), letter);

    // A queue without a driver knows no sizes: the paper's own size, inside the unstated margins; its names are
    // known to CUPS's tables alone.
    EXPECT_EQ(choose("Kabinet-1", "media=letter"), (std::vector<int> { 5100, 6600, 150, 150, 4800, 6300 }));
    EXPECT_EQ(choose("Kabinet-1", "media=iso-a5"), (std::vector<int> { 3496, 4961, 150, 150, 3196, 4661 }));
}

// A media value may name a tray or a type alone, or nothing: PageSize, then PageRegion, then choose the paper. Each
// element of the value counts trimmed, as the value may be written with spaces.
TEST(PrintingTest, AMediaValueThatNamesNoPaperLeavesThePaperToPageSizeThenPageRegion)
{
    PrintScheduler scheduler;
    ASSERT_TRUE(scheduler.Running());
    scheduler.AddQueue("Kabinet-7", PrintScheduler::Driver::kA4WithWideMargins);
    const std::vector<int> letter { 5100, 6600, 600, 450, 4200, 5400 };
    const std::vector<int> a5 { 3500, 4958, 600, 450, 2600, 3758 };
    EXPECT_EQ(PageChosen(scheduler, "Kabinet-7", { "PageSize=Letter", "media=Upper" }), letter);
    EXPECT_EQ(PageChosen(scheduler, "Kabinet-7", { "PageSize=Letter", "media=Upper,Plain" }), letter);
    EXPECT_EQ(PageChosen(scheduler, "Kabinet-7", { "PageSize=Letter", "media=" }), letter);
    EXPECT_EQ(PageChosen(scheduler, "Kabinet-7", { "PageRegion=A5", "media=Tray1" }), a5);
    EXPECT_EQ(PageChosen(scheduler, "Kabinet-7", { "media='Upper, A5'" }), a5);
    EXPECT_EQ(PageChosen(scheduler, "Kabinet-7", { "media=' A5 ,Tray1'" }), a5);
}

// A paper the driver does not offer is no paper of the queue's: its default paper and margins, as for a name nobody
// knows, unless PageSize names one it offers. A queue without a driver knows no sizes and takes the paper's own.
TEST(PrintingTest, APaperTheDriverDoesNotOfferGivesTheQueuesDefaultPaper)
{
    PrintScheduler scheduler;
    ASSERT_TRUE(scheduler.Running());
    scheduler.AddQueue("Kabinet-1");
    scheduler.AddQueue("Kabinet-8", PrintScheduler::Driver::kA4WithWideMargins);
    const std::vector<int> a4 { 4958, 7017, 600, 450, 4058, 5817 };
    EXPECT_EQ(PageChosen(scheduler, "Kabinet-8", { "PageSize=B5" }), a4);
    EXPECT_EQ(PageChosen(scheduler, "Kabinet-8", { "media=B5" }), a4);
    EXPECT_EQ(PageChosen(scheduler, "Kabinet-8", { "media=jis_b5_182x257mm,Tray1" }), a4);
    EXPECT_EQ(PageChosen(scheduler, "Kabinet-8", { "media=B5,Tray1", "PageSize=Letter" }),
        (std::vector<int> { 5100, 6600, 600, 450, 4200, 5400 }));
    EXPECT_EQ(PageChosen(scheduler, "Kabinet-1", { "media=jis_b5_182x257mm" }),
        (std::vector<int> { 4299, 6071, 150, 150, 3999, 5771 }));
}

// The job carries the user's options as lp sends them, the instance's for an instance: what the scheduler hands the
// queue's back end names the paper the page was laid out on, on a queue with a driver (which also gets the driver's
// PageSize for it) and on one without.
TEST(PrintingTest, TheJobAsksThePrinterForThePaperThePageIsLaidOutOn)
{
    PrintScheduler scheduler;
    ASSERT_TRUE(scheduler.Running());
    scheduler.AddQueue("Kabinet-1");
    scheduler.AddQueue("Kabinet-5", PrintScheduler::Driver::kA4WithWideMargins);

    const fs::path raw = PrintedWith(scheduler, "Kabinet-1", { "media=Letter" });
    ASSERT_FALSE(raw.empty());
    EXPECT_NEAR(PdfPageSize(raw).width, 612, 1.0);
    EXPECT_EQ(PrintScheduler::JobOptions(raw)["media"], "Letter");

    const fs::path driver = PrintedWith(scheduler, "Kabinet-5", { "media=A5,Tray1" });
    ASSERT_FALSE(driver.empty());
    EXPECT_NEAR(PdfPageSize(driver).width, 420, 1.0);
    auto options = PrintScheduler::JobOptions(driver);
    EXPECT_EQ(options["media"], "A5,Tray1");
    EXPECT_EQ(options["PageSize"], "A5");

    // An instance's options are its own.
    const fs::path instance = PrintedWith(scheduler, "Kabinet-5/A5", { "media=A5,Tray1" });
    ASSERT_FALSE(instance.empty());
    EXPECT_NEAR(PdfPageSize(instance).width, 420, 1.0);
    EXPECT_EQ(PrintScheduler::JobOptions(instance)["PageSize"], "A5");
    EXPECT_EQ(PrintScheduler::JobOptions(PrintedWith(scheduler, "Kabinet-5", {}))["PageSize"], "");

    // The paper the page is laid out on where PageSize or PageRegion is set beside media.
    options = PrintScheduler::JobOptions(PrintedWith(scheduler, "Kabinet-5", { "PageSize=Letter", "media=A5" }));
    EXPECT_EQ(options["PageSize"], "A5");
    options = PrintScheduler::JobOptions(PrintedWith(scheduler, "Kabinet-5", { "PageRegion=Letter", "media=Upper" }));
    EXPECT_EQ(options["PageSize"], "Letter");
}

// With cups-filters' pdftopdf before the device, as a driver's filters are, the page reaches the printer on the paper
// chosen, wherever the choice is made, and inside the driver's margins for it: nothing is scaled or moved.
TEST(PrintingTest, ThroughPdftopdfThePageReachesThePrinterOnThePaperChosen)
{
    ASSERT_TRUE(fs::exists("/usr/lib/cups/filter/pdftopdf"))
        << "cups-filters' pdftopdf is missing (scripts/install-deps.sh installs it)";
    PrintScheduler scheduler;
    ASSERT_TRUE(scheduler.Running());
    scheduler.AddQueue("Kabinet-9", PrintScheduler::Driver::kExecutiveThroughPdftopdf);
    const PdfSize executive { 522, 756 }, a5 { 420, 595 }, letter { 612, 792 };
    const std::pair<std::vector<std::string>, PdfSize> choices[] = { { {}, executive }, { { "media=A5,Tray1" }, a5 },
        { { "PageSize=A5" }, a5 }, { { "media=Upper", "PageSize=Letter" }, letter }, { { "media='Upper, A5'" }, a5 },
        { { "PageSize=Letter", "media=A5" }, a5 }, { { "PageRegion=Letter" }, letter } };
    for (const auto& [options, paper] : choices) {
        SCOPED_TRACE(testing::PrintToString(options));
        const fs::path pdf = PrintedWith(scheduler, "Kabinet-9", options);
        ASSERT_FALSE(pdf.empty());
        EXPECT_NEAR(PdfPageSize(pdf).width, paper.width, 1.0);
        EXPECT_NEAR(PdfPageSize(pdf).height, paper.height, 1.0);
        const auto words = PdfWords(pdf);
        ASSERT_EQ(words.size(), 1u);
        EXPECT_NEAR(words[0].x_min, 72 + 7.2, 1.0);
        EXPECT_NEAR(words[0].y_min, 54 + 7.2, 1.0);
        EXPECT_EQ(WordsOutside(pdf, 72, 54, 36, 90), "");
    }
}

TEST(PrintingTest, ARefusedOrAbandonedDocumentPrintsNothing)
{
    PrintScheduler scheduler;
    ASSERT_TRUE(scheduler.Running());
    scheduler.AddQueues({ "Kabinet-1", "Kabinet-2" });
    DOCINFOW info;
    info.lpszDocName = L"Print1: Printing";
    HDC abandoned = CreateDCW(nullptr, L"Kabinet-1", nullptr, nullptr);
    ASSERT_GT(StartDocW(abandoned, &info), 0);
    EXPECT_EQ(StartDocW(abandoned, &info), SP_ERROR);
    ASSERT_GT(StartPage(abandoned), 0);
    TextOutW(abandoned, 0, 0, L"Брошено", 7);
    EXPECT_TRUE(DeleteDC(abandoned)); // with its document open: the job is cancelled
    EXPECT_EQ(scheduler.JobCount("Kabinet-1"), 1);
    EXPECT_EQ(scheduler.JobCount("Kabinet-1", "not-completed"), 0);

    scheduler.RejectJobs("Kabinet-2");
    HDC refused = CreateDCW(nullptr, L"Kabinet-2", nullptr, nullptr);
    EXPECT_LE(StartDocW(refused, &info), 0);
    EXPECT_EQ(StartPage(refused), SP_ERROR);
    EXPECT_FALSE(TextOutW(refused, 0, 0, L"x", 1));
    EXPECT_EQ(EndDoc(refused), SP_ERROR);
    DeleteDC(refused);
    EXPECT_EQ(scheduler.JobCount("Kabinet-2"), 0);
}

TEST(PrintingTest, WithoutASchedulerThereAreNoPrinters)
{
    setenv("CUPS_SERVER", "/nonexistent/im-cups.sock", 1);
    EXPECT_TRUE(PrinterNames().empty());
    EXPECT_EQ(DefaultDevice(), L",,,");
    EXPECT_EQ(CreateDCW(nullptr, L"Kabinet-1", nullptr, nullptr), nullptr);
}

} // namespace
