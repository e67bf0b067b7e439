#include "platform/print/page_setup.h"

#include <cmath>

#include <cups/cups.h>

namespace platform {

namespace {

// CUPS sizes are hundredths of a millimetre.
int FromHundredthsMm(int value)
{
    return static_cast<int>(std::lround(value * double(kPrintDpi) / 2540.0));
}

// The name of the queue's default paper: the client's own choice or the queue's media-default, else what the
// queue reports through its attributes (a driver's default page size). cupsGetDestMediaDefault is not asked: with
// no media option set it answers US Letter for any queue that offers Letter, whatever the driver's default.
std::string DefaultMediaName(cups_dest_t& dest, cups_dinfo_t* info)
{
    if (const char* name = cupsGetOption("media", dest.num_options, dest.options))
        return name;
    ipp_attribute_t* media = info ? cupsFindDestDefault(CUPS_HTTP_DEFAULT, &dest, info, "media") : nullptr;
    const char* name = media ? ippGetString(media, 0, nullptr) : nullptr;
    return name ? name : "";
}

// The paper and margins the destination reports for its default media; false when it reports no paper. Margins
// stay 0 where it gives none (a queue without a driver knows its media only by name).
bool ReportedPage(cups_dest_t& dest, PageSetup& page)
{
    cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, &dest);
    const std::string name = DefaultMediaName(dest, info);
    cups_size_t size {};
    const pwg_media_t* media = nullptr;
    if (!name.empty() && info && cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, &dest, info, name.c_str(), 0, &size)) {
        page = PageSetup { FromHundredthsMm(size.width), FromHundredthsMm(size.length), FromHundredthsMm(size.left),
            FromHundredthsMm(size.top), FromHundredthsMm(size.right), FromHundredthsMm(size.bottom) };
    } else if (!name.empty() && ((media = pwgMediaForPWG(name.c_str())) || (media = pwgMediaForLegacy(name.c_str())))) {
        page = PageSetup { FromHundredthsMm(media->width), FromHundredthsMm(media->length) };
    } else {
        page = PageSetup {};
    }
    if (info)
        cupsFreeDestInfo(info);
    return page.width > 0 && page.height > 0;
}

// A side the destination gives no margin on gets the unstated one.
void CompleteMargins(PageSetup& page)
{
    for (int* margin : { &page.left, &page.top, &page.right, &page.bottom })
        if (*margin <= 0)
            *margin = kUnstatedMargin;
}

} // namespace

PageSetup DefaultPage()
{
    return PageSetup { FromHundredthsMm(21000), FromHundredthsMm(29700), kUnstatedMargin, kUnstatedMargin,
        kUnstatedMargin, kUnstatedMargin };
}

bool LookUpPage(const std::string& destination, PageSetup& page)
{
    std::string name = destination;
    std::string instance;
    if (auto slash = destination.find('/'); slash != std::string::npos) {
        name = destination.substr(0, slash);
        instance = destination.substr(slash + 1);
    }
    cups_dest_t* dest
        = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(), instance.empty() ? nullptr : instance.c_str());
    if (!dest)
        return false;
    if (ReportedPage(*dest, page))
        CompleteMargins(page);
    // No paper reported, or margins that leave nothing to print on (a driver that declares an empty area).
    if (page.PrintableWidth() <= 0 || page.PrintableHeight() <= 0)
        page = DefaultPage();
    cupsFreeDests(1, dest);
    return true;
}

} // namespace platform
