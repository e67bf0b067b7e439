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

// A queue without a driver knows its media only by the name it was given ("media" option).
const pwg_media_t* NamedMedia(const cups_dest_t& dest)
{
    const char* name = cupsGetOption("media", dest.num_options, dest.options);
    if (!name)
        return nullptr;
    const pwg_media_t* media = pwgMediaForPWG(name);
    if (!media)
        media = pwgMediaForLegacy(name);
    return media && media->width > 0 && media->length > 0 ? media : nullptr;
}

} // namespace

PageSetup DefaultPage()
{
    PageSetup page;
    page.width = FromHundredthsMm(21000);
    page.height = FromHundredthsMm(29700);
    return page;
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
    page = DefaultPage();
    bool known = false;
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        cups_size_t size {};
        if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, 0, &size) && size.width > 0 && size.length > 0) {
            page.width = FromHundredthsMm(size.width);
            page.height = FromHundredthsMm(size.length);
            page.left = FromHundredthsMm(size.left);
            page.top = FromHundredthsMm(size.top);
            page.right = FromHundredthsMm(size.right);
            page.bottom = FromHundredthsMm(size.bottom);
            known = true;
        }
        cupsFreeDestInfo(info);
    }
    if (const pwg_media_t* media = known ? nullptr : NamedMedia(*dest)) {
        page.width = FromHundredthsMm(media->width);
        page.height = FromHundredthsMm(media->length);
    }
    if (page.PrintableWidth() <= 0 || page.PrintableHeight() <= 0)
        page = DefaultPage();
    cupsFreeDests(1, dest);
    return true;
}

} // namespace platform
