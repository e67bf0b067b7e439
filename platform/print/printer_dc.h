// GDI-shaped printing: a printer context for a CUPS destination, its page metrics and font, text output, and the
// document calls. Pages are drawn with cairo into a PDF that EndDoc hands to the scheduler as one job.
//
// Device units are 1/600 inch. The origin is the corner of the printable area, as on a printer context: the
// margins of the destination's page (page_setup.h) are added when the page is drawn. The context holds a
// Cyrillic-capable sans face at 10 pt; GetTextMetricsW and the other font calls of gdi_font.h accept the context.
#pragma once

#include <string>

#include "platform/fonts/gdi_font.h"
#include "platform/print/page_setup.h"
#include "platform/win32.h"

// GetDeviceCaps indices.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int PHYSICALWIDTH = 110;
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112;
constexpr int PHYSICALOFFSETY = 113;

constexpr int SP_ERROR = -1;

struct DOCINFOW {
    int cbSize = sizeof(DOCINFOW);
    const wchar_t* lpszDocName = nullptr;
    const wchar_t* lpszOutput = nullptr; // printing to a file is not offered: must be null
    const wchar_t* lpszDatatype = nullptr;
    DWORD fwType = 0;
};

// A printer context for the destination named device ("name" or "name/instance"); null when the scheduler does
// not know it or cannot be reached. The driver, output and mode arguments are ignored. The caller deletes it.
HDC CreateDCW(const wchar_t* driver, const wchar_t* device, const wchar_t* output, const void* mode);
// A printer context without a scheduler: its documents are laid out on the page given, drawn as on a printer and
// written as a PDF to file (each document replaces the one before). Null when the page has no printable area or no
// face has Cyrillic letters. The caller deletes it.
HDC CreatePdfFileDC(const platform::PageSetup& page, const std::string& file);
// Ends the context; a document still open is cancelled on the scheduler. FALSE for anything but a printer context.
BOOL DeleteDC(HDC dc);

// 0 for an unknown context or index.
int GetDeviceCaps(HDC dc, int index);

// Opens a job under the document's name on the context's printer, with the destination's options as the context
// found them (LookUpPage); the job id (> 0), or SP_ERROR when a document is already open, the scheduler refuses the
// job, or the page surface cannot be made.
int StartDocW(HDC dc, const DOCINFOW* info);
// > 0 on success; SP_ERROR without an open document, or for StartPage with a page already open.
int StartPage(HDC dc);
int EndPage(HDC dc);
// Closes an open page, finishes the PDF and sends it; > 0 once the scheduler has taken it, SP_ERROR otherwise
// (the job is then cancelled).
int EndDoc(HDC dc);

// Top-left corner of the text at (x, y); FALSE outside a page.
BOOL TextOutW(HDC dc, int x, int y, const wchar_t* text, int count);
// Advance width and cell height of the text in device units.
BOOL GetTextExtentPoint32W(HDC dc, const wchar_t* text, int count, SIZE* size);
