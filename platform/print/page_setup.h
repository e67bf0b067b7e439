// The page a destination prints on, in device units of 1/600 inch.
#pragma once

#include <string>
#include <utility>
#include <vector>

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

// A job's options by name, as cupsAddOption takes them.
using JobOptions = std::vector<std::pair<std::string, std::string>>;

// The paper chosen in the destination's options (the first element of media that names a paper the destination
// offers, else the driver's PageSize, else its PageRegion; by any name CUPS knows it by), else the destination's
// default paper, with the margins it reports for that paper, the unstated margin on a side it gives none;
// DefaultPage() when it reports no paper or its margins leave nothing to print on. The options are those a job on
// the destination carries, as lp sends them, so that the printer is asked for that paper. False when the scheduler
// does not know the destination.
bool LookUpPage(const std::string& destination, PageSetup& page, JobOptions& options);

} // namespace platform
