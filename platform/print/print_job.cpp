#include "platform/print/print_job.h"

#include <fstream>

#include <cairo-pdf.h>
#include <cups/cups.h>

#include "platform/system/debug_output.h"
#include "platform/text/utf8.h"

namespace platform {

namespace {

void Report(const std::string& what, const std::string& name)
{
    TellUser(FromUtf8("print: " + what + " on " + name + ": " + cupsLastErrorString()));
}

double Points(int device_units)
{
    return device_units * 72.0 / kPrintDpi;
}

} // namespace

PrintJob::PrintJob(
    const std::string& destination, const std::string& title, const PageSetup& page, const JobOptions& options)
    : name_(destination.substr(0, destination.find('/')))
    , page_setup_(page)
{
    if (!MakeSurface())
        return;
    cups_option_t* cups_options = nullptr;
    int count = 0;
    for (const auto& [option, value] : options)
        count = cupsAddOption(option.c_str(), value.c_str(), count, &cups_options);
    id_ = cupsCreateJob(CUPS_HTTP_DEFAULT, name_.c_str(), title.c_str(), count, cups_options);
    cupsFreeOptions(count, cups_options);
    if (id_ <= 0) {
        id_ = 0;
        Report("the scheduler refused a job", name_);
    }
}

PrintJob::PrintJob(const PageSetup& page, const std::string& file)
    : page_setup_(page)
    , file_(file)
{
    if (MakeSurface())
        id_ = 1;
}

bool PrintJob::MakeSurface()
{
    surface_ = cairo_pdf_surface_create_for_stream(
        &PrintJob::Append, this, Points(page_setup_.width), Points(page_setup_.height));
    return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS;
}

PrintJob::~PrintJob()
{
    if (page_)
        cairo_destroy(page_);
    if (surface_)
        cairo_surface_destroy(surface_);
    Cancel();
}

cairo_status_t PrintJob::Append(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<PrintJob*>(closure)->pdf_.append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

bool PrintJob::BeginPage()
{
    if (!id_ || page_)
        return false;
    page_ = cairo_create(surface_);
    const double scale = 72.0 / kPrintDpi;
    cairo_scale(page_, scale, scale);
    cairo_translate(page_, page_setup_.left, page_setup_.top);
    cairo_set_source_rgb(page_, 0, 0, 0);
    return cairo_status(page_) == CAIRO_STATUS_SUCCESS;
}

bool PrintJob::FinishPage()
{
    if (!page_)
        return false;
    cairo_show_page(page_);
    cairo_destroy(page_);
    page_ = nullptr;
    return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS;
}

bool PrintJob::Send()
{
    if (!id_)
        return false;
    if (page_)
        FinishPage();
    cairo_surface_finish(surface_);
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS || !Deliver()) {
        Report("job " + std::to_string(id_) + " was not taken", file_.empty() ? name_ : file_);
        Cancel();
        return false;
    }
    id_ = 0;
    return true;
}

bool PrintJob::Deliver()
{
    if (!file_.empty()) {
        std::ofstream out(file_, std::ios::binary | std::ios::trunc);
        out.write(pdf_.data(), static_cast<std::streamsize>(pdf_.size()));
        return out.flush().good();
    }
    if (cupsStartDocument(CUPS_HTTP_DEFAULT, name_.c_str(), id_, "report.pdf", CUPS_FORMAT_PDF, 1)
        != HTTP_STATUS_CONTINUE)
        return false;
    const bool written = cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf_.data(), pdf_.size()) == HTTP_STATUS_CONTINUE;
    // The document must be finished even after a failed write, or the connection stays in the request.
    return cupsFinishDocument(CUPS_HTTP_DEFAULT, name_.c_str()) <= IPP_STATUS_OK_EVENTS_COMPLETE && written;
}

void PrintJob::Cancel()
{
    if (id_ && file_.empty())
        cupsCancelJob2(CUPS_HTTP_DEFAULT, name_.c_str(), id_, 0);
    id_ = 0;
}

} // namespace platform
