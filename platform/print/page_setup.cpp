#include "platform/print/page_setup.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include <cups/cups.h>
#include <strings.h>

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

// The queue's size and margins for the paper named. A queue that lists its sizes (a driver's) offers only those; a
// queue that lists none (one without a driver) gets the paper's own size with margins left 0. False when the queue
// does not offer the paper or the name stands for none.
bool PageNamed(cups_dest_t& dest, cups_dinfo_t* info, const std::string& name, PageSetup& page)
{
    const pwg_media_t* media = MediaNamed(name);
    cups_size_t size {};
    if (info && cupsGetDestMediaCount(CUPS_HTTP_DEFAULT, &dest, info, 0) > 0) {
        // CUPS matches its PWG and legacy names itself; a PPD name goes to it by its PWG name.
        if (!cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, &dest, info, name.c_str(), 0, &size)
            && !(media && cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, &dest, info, media->pwg, 0, &size)))
            return false;
        page = PageSetup { FromHundredthsMm(size.width), FromHundredthsMm(size.length), FromHundredthsMm(size.left),
            FromHundredthsMm(size.top), FromHundredthsMm(size.right), FromHundredthsMm(size.bottom) };
    } else if (media) {
        page = PageSetup { FromHundredthsMm(media->width), FromHundredthsMm(media->length) };
    } else {
        return false;
    }
    return page.width > 0 && page.height > 0;
}

// The elements of a media value, each trimmed, the empty ones left out: "Upper, A5" lists a tray and a paper.
std::vector<std::string> MediaElements(std::string_view media)
{
    std::vector<std::string> elements;
    for (size_t start = 0; start <= media.size();) {
        const size_t end = std::min(media.find(',', start), media.size());
        std::string_view element = media.substr(start, end - start);
        const size_t first = element.find_first_not_of(" \t");
        if (first != std::string_view::npos)
            elements.emplace_back(element.substr(first, element.find_last_not_of(" \t") + 1 - first));
        start = end + 1;
    }
    return elements;
}

// The option that chose the paper the page is laid out on.
enum class Chooser { kNone, kMedia, kPageSize, kPageRegion };

// The paper chosen in the destination's options (the user's lpoptions or the queue's own): the first element of the
// media value that names a paper the queue offers (a value may list the paper with its type and source, "A5,Tray1"),
// else the driver's own PageSize, else its PageRegion, as lpoptions -l shows them for a queue with a driver.
Chooser ChosenPage(cups_dest_t& dest, cups_dinfo_t* info, PageSetup& page)
{
    if (const char* media = cupsGetOption("media", dest.num_options, dest.options))
        for (const std::string& element : MediaElements(media))
            if (PageNamed(dest, info, element, page))
                return Chooser::kMedia;
    for (const auto& [option, chooser] :
        { std::pair("PageSize", Chooser::kPageSize), std::pair("PageRegion", Chooser::kPageRegion) }) {
        const char* name = cupsGetOption(option, dest.num_options, dest.options);
        if (name && PageNamed(dest, info, name, page))
            return chooser;
    }
    return Chooser::kNone;
}

// The media value with its elements trimmed and the empty ones left out.
std::string TrimmedMedia(std::string_view media)
{
    std::string joined;
    for (const std::string& element : MediaElements(media))
        joined += (joined.empty() ? "" : ",") + element;
    return joined;
}

// The options lp sends with a job on the destination (its own, the user's lpoptions, the instance's), amended so that
// a driver is asked for the page's paper: media's elements trimmed, as a driver looks them up as written; no PageSize
// or PageRegion where media chose the paper, as a driver takes PageSize over media; a PageSize of the paper where
// PageRegion chose it, as a driver reads no PageRegion alone.
JobOptions OptionsForJob(const cups_dest_t& dest, Chooser chooser)
{
    JobOptions options;
    for (int i = 0; i < dest.num_options; ++i) {
        const cups_option_t& option = dest.options[i];
        const auto is = [&](const char* name) { return strcasecmp(option.name, name) == 0; };
        if (is("media")) {
            if (const std::string media = TrimmedMedia(option.value); !media.empty())
                options.emplace_back(option.name, media);
        } else if (is("PageSize") && chooser == Chooser::kPageRegion) {
            continue;
        } else if (!(chooser == Chooser::kMedia && (is("PageSize") || is("PageRegion")))) {
            options.emplace_back(option.name, option.value);
        }
    }
    if (chooser == Chooser::kPageRegion)
        options.emplace_back("PageSize", cupsGetOption("PageRegion", dest.num_options, dest.options));
    return options;
}

// The paper and margins for the paper chosen, else for the queue's default paper, which it reports through its
// attributes (a driver's default page size); false when it reports no paper. cupsGetDestMediaDefault is not asked:
// with no media option set it answers US Letter for any queue that offers Letter, whatever the driver's default.
// Margins stay 0 where the queue gives none. The job's options go with the paper chosen.
bool ReportedPage(cups_dest_t& dest, PageSetup& page, JobOptions& options)
{
    cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, &dest);
    ipp_attribute_t* media = info ? cupsFindDestDefault(CUPS_HTTP_DEFAULT, &dest, info, "media") : nullptr;
    const char* queue_default = media ? ippGetString(media, 0, nullptr) : nullptr;
    const Chooser chooser = ChosenPage(dest, info, page);
    options = OptionsForJob(dest, chooser);
    const bool found = chooser != Chooser::kNone || (queue_default && PageNamed(dest, info, queue_default, page));
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

bool LookUpPage(const std::string& destination, PageSetup& page, JobOptions& options)
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
    page = PageSetup {};
    if (ReportedPage(*dest, page, options))
        CompleteMargins(page);
    // No paper reported, or margins that leave nothing to print on (a driver that declares an empty area).
    if (page.PrintableWidth() <= 0 || page.PrintableHeight() <= 0)
        page = DefaultPage();
    cupsFreeDests(1, dest);
    return true;
}

} // namespace platform
