// The page a destination prints on, in device units of 1/600 inch.
#pragma once

#include <string>

namespace platform {

constexpr int kPrintDpi = 600;
// The border a printer that states none is taken to leave unprinted: 1/4 inch, which every printer can print inside.
constexpr int kUnstatedMargin = kPrintDpi / 4;

struct PageSetup {
    int width = 0; // the whole sheet
    int height = 0;
    int left = 0; // margins the printer cannot print on
    int top = 0;
    int right = 0;
    int bottom = 0;

    int PrintableWidth() const { return width - left - right; }
    int PrintableHeight() const { return height - top - bottom; }
};

// A4 inside the unstated margins: what a destination that reports no paper prints on.
PageSetup DefaultPage();

// The paper chosen in the destination's options (media, else the driver's PageSize or PageRegion; by any name CUPS
// knows it by), else the destination's default paper, with the margins it reports for that paper, the unstated margin
// on a side it gives none; DefaultPage() when it reports no paper or its margins leave nothing to print on. False when
// the scheduler does not know the destination.
bool LookUpPage(const std::string& destination, PageSetup& page);

} // namespace platform
