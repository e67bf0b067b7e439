// The page a destination prints on, in device units of 1/600 inch.
#pragma once

#include <string>

namespace platform {

constexpr int kPrintDpi = 600;

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

// A4 without margins: what a destination that names no media prints on.
PageSetup DefaultPage();

// The destination's default media, or DefaultPage(); false when the scheduler does not know the destination.
bool LookUpPage(const std::string& destination, PageSetup& page);

} // namespace platform
