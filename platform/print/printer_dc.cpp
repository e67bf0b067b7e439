#include "platform/print/printer_dc.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/print/page_setup.h"
#include "platform/print/print_font.h"
#include "platform/print/print_job.h"
#include "platform/text/utf8.h"

namespace {

struct PrinterContext {
    std::string destination;
    std::string file; // set for a context without a scheduler
    platform::PageSetup page;
    platform::JobOptions options; // taken with the page, so that the job asks for the paper the page is laid out on
    std::unique_ptr<platform::PrintFont> font;
    std::unique_ptr<platform::PrintJob> job;
};

std::mutex& Mutex()
{
    static std::mutex mutex;
    return mutex;
}

// Printer contexts by handle; the handle is a font context of gdi_font.h holding the printer's font.
std::map<HDC, std::unique_ptr<PrinterContext>>& Contexts()
{
    static std::map<HDC, std::unique_ptr<PrinterContext>> contexts;
    return contexts;
}

PrinterContext* Find(HDC dc)
{
    auto it = Contexts().find(dc);
    return it == Contexts().end() ? nullptr : it->second.get();
}

std::string Utf8(const wchar_t* text, int count)
{
    if (!text || count <= 0)
        return {};
    return platform::ToUtf8(std::wstring_view(text, static_cast<size_t>(count)));
}

// Gives the context its font and a handle; null when no face has Cyrillic letters.
HDC Register(std::unique_ptr<PrinterContext> context)
{
    context->font = platform::PrintFont::Open();
    if (!context->font)
        return nullptr;
    HDC dc = GetDC(nullptr);
    SelectObject(dc, context->font->Font());
    std::lock_guard lock(Mutex());
    Contexts().emplace(dc, std::move(context));
    return dc;
}

} // namespace

HDC CreateDCW(const wchar_t*, const wchar_t* device, const wchar_t*, const void*)
{
    if (!device || !*device)
        return nullptr;
    auto context = std::make_unique<PrinterContext>();
    context->destination = platform::ToUtf8(device);
    if (!platform::LookUpPage(context->destination, context->page, context->options))
        return nullptr;
    return Register(std::move(context));
}

HDC CreatePdfFileDC(const platform::PageSetup& page, const std::string& file)
{
    if (file.empty() || page.PrintableWidth() <= 0 || page.PrintableHeight() <= 0 || page.left < 0 || page.top < 0
        || page.right < 0 || page.bottom < 0)
        return nullptr;
    auto context = std::make_unique<PrinterContext>();
    context->file = file;
    context->page = page;
    return Register(std::move(context));
}

BOOL DeleteDC(HDC dc)
{
    std::unique_ptr<PrinterContext> context;
    {
        std::lock_guard lock(Mutex());
        auto it = Contexts().find(dc);
        if (it == Contexts().end())
            return FALSE;
        context = std::move(it->second);
        Contexts().erase(it);
    }
    // The context goes before its font: a font selected into a live context cannot be deleted.
    ReleaseDC(nullptr, dc);
    context.reset();
    return TRUE;
}

int GetDeviceCaps(HDC dc, int index)
{
    std::lock_guard lock(Mutex());
    const PrinterContext* context = Find(dc);
    if (!context)
        return 0;
    const platform::PageSetup& page = context->page;
    switch (index) {
    case HORZRES:
        return page.PrintableWidth();
    case VERTRES:
        return page.PrintableHeight();
    case LOGPIXELSX:
    case LOGPIXELSY:
        return platform::kPrintDpi;
    case PHYSICALWIDTH:
        return page.width;
    case PHYSICALHEIGHT:
        return page.height;
    case PHYSICALOFFSETX:
        return page.left;
    case PHYSICALOFFSETY:
        return page.top;
    default:
        return 0;
    }
}

int StartDocW(HDC dc, const DOCINFOW* info)
{
    std::lock_guard lock(Mutex());
    PrinterContext* context = Find(dc);
    if (!context || !info || info->lpszOutput || context->job)
        return SP_ERROR;
    const std::string title = info->lpszDocName ? platform::ToUtf8(info->lpszDocName) : std::string();
    auto job = context->file.empty()
        ? std::make_unique<platform::PrintJob>(context->destination, title, context->page, context->options)
        : std::make_unique<platform::PrintJob>(context->page, context->file);
    if (job->Id() <= 0)
        return SP_ERROR;
    context->job = std::move(job);
    return context->job->Id();
}

int StartPage(HDC dc)
{
    std::lock_guard lock(Mutex());
    PrinterContext* context = Find(dc);
    if (!context || !context->job || !context->job->BeginPage())
        return SP_ERROR;
    context->font->Apply(context->job->Page());
    return 1;
}

int EndPage(HDC dc)
{
    std::lock_guard lock(Mutex());
    PrinterContext* context = Find(dc);
    if (!context || !context->job || !context->job->FinishPage())
        return SP_ERROR;
    return 1;
}

int EndDoc(HDC dc)
{
    std::lock_guard lock(Mutex());
    PrinterContext* context = Find(dc);
    if (!context || !context->job)
        return SP_ERROR;
    auto job = std::move(context->job);
    return job->Send() ? 1 : SP_ERROR;
}

BOOL TextOutW(HDC dc, int x, int y, const wchar_t* text, int count)
{
    std::lock_guard lock(Mutex());
    PrinterContext* context = Find(dc);
    if (!context || !context->job || !context->job->Page() || count < 0 || (count > 0 && !text))
        return FALSE;
    cairo_t* cr = context->job->Page();
    cairo_move_to(cr, x, y + context->font->Ascent());
    cairo_show_text(cr, Utf8(text, count).c_str());
    return cairo_status(cr) == CAIRO_STATUS_SUCCESS;
}

BOOL GetTextExtentPoint32W(HDC dc, const wchar_t* text, int count, SIZE* size)
{
    std::lock_guard lock(Mutex());
    const PrinterContext* context = Find(dc);
    if (!context || !size || count < 0 || (count > 0 && !text))
        return FALSE;
    size->cx = context->font->Advance(Utf8(text, count));
    size->cy = context->font->Height();
    return TRUE;
}
