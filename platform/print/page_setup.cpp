#include "platform/print/page_setup.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

#include <cups/cups.h>

namespace platform {

namespace {

// CUPS sizes are hundredths of a millimetre.
int FromHundredthsMm(int value)
{
    return static_cast<int>(std::lround(value * double(kPrintDpi) / 2540.0));
}

// The paper a media name stands for in any spelling CUPS knows: PWG ("iso_a4_210x297mm"), legacy IPP ("iso-a4") or
// PPD ("A4"), in any case ("a4", "LETTER"); null when none. The PPD names are looked up case-sensitively, so the
// spellings people type are tried as written, capitalised and in capitals.
const pwg_media_t* MediaNamed(const std::string& name)
{
    std::string lower = name, upper = name;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string capitalised = lower;
    if (!capitalised.empty())
        capitalised[0] = upper[0];
    for (const std::string& spelling : { lower, name, capitalised, upper }) {
        const char* text = spelling.c_str();
        if (const pwg_media_t* media = pwgMediaForPWG(text))
            return media;
        if (const pwg_media_t* media = pwgMediaForLegacy(text))
            return media;
        if (const pwg_media_t* media = pwgMediaForPPD(text))
            return media;
    }
    return nullptr;
}

// The queue's size and margins for the paper named; where the queue does not offer it (a queue without a driver
// knows no sizes), the paper's size with margins left 0. False when the name stands for no paper.
bool PageNamed(cups_dest_t& dest, cups_dinfo_t* info, const std::string& name, PageSetup& page)
{
    const pwg_media_t* media = MediaNamed(name);
    cups_size_t size {};
    // CUPS matches its PWG and legacy names itself; a PPD name goes to it by its PWG name.
    if (info
        && (cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, &dest, info, name.c_str(), 0, &size)
            || (media && cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, &dest, info, media->pwg, 0, &size)))) {
        page = PageSetup { FromHundredthsMm(size.width), FromHundredthsMm(size.length), FromHundredthsMm(size.left),
            FromHundredthsMm(size.top), FromHundredthsMm(size.right), FromHundredthsMm(size.bottom) };
    } else if (media) {
        page = PageSetup { FromHundredthsMm(media->width), FromHundredthsMm(media->length) };
    } else {
        page = PageSetup {};
    }
    return page.width > 0 && page.height > 0;
}

// The paper chosen in the destination's options (the user's lpoptions or the queue's own). A media value may list
// the paper with its type and source ("A5,Tray1"), so each element is tried. Without a media option the driver's
// own PageSize or PageRegion chooses: they are what lpoptions shows for a queue with a driver.
bool ChosenPage(cups_dest_t& dest, cups_dinfo_t* info, PageSetup& page)
{
    if (const char* media = cupsGetOption("media", dest.num_options, dest.options)) {
        std::string_view list = media;
        for (size_t start = 0; start <= list.size();) {
            const size_t end = std::min(list.find(',', start), list.size());
            const std::string element(list.substr(start, end - start));
            if (!element.empty() && PageNamed(dest, info, element, page))
                return true;
            start = end + 1;
        }
        return false;
    }
    for (const char* option : { "PageSize", "PageRegion" }) {
        const char* name = cupsGetOption(option, dest.num_options, dest.options);
        if (name && PageNamed(dest, info, name, page))
            return true;
    }
    return false;
}

// The paper and margins for the paper chosen, else for the queue's default paper, which it reports through its
// attributes (a driver's default page size); false when it reports no paper. cupsGetDestMediaDefault is not asked:
// with no media option set it answers US Letter for any queue that offers Letter, whatever the driver's default.
// Margins stay 0 where the queue gives none.
bool ReportedPage(cups_dest_t& dest, PageSetup& page)
{
    cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, &dest);
    ipp_attribute_t* media = info ? cupsFindDestDefault(CUPS_HTTP_DEFAULT, &dest, info, "media") : nullptr;
    const char* queue_default = media ? ippGetString(media, 0, nullptr) : nullptr;
    const bool found = ChosenPage(dest, info, page) || (queue_default && PageNamed(dest, info, queue_default, page));
    if (info)
        cupsFreeDestInfo(info);
    return found;
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
