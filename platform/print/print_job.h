// One document on its way to a CUPS destination: the job opened on the scheduler and the PDF its pages are
// drawn into, held in memory until it is sent. A job may instead be written to a file, without a scheduler.
#pragma once

#include <string>

#include <cairo.h>

#include "platform/print/page_setup.h"

namespace platform {

class PrintJob {
public:
    // Opens the job with the options given; Id() is 0 when the scheduler refused it or the surface could not be made.
    PrintJob(
        const std::string& destination, const std::string& title, const PageSetup& page, const JobOptions& options);
    // A job that Send writes to file as a PDF; Id() is 1, or 0 when the surface could not be made.
    PrintJob(const PageSetup& page, const std::string& file);
    // A job never sent is cancelled.
    ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    int Id() const { return id_; }
    // The page's context, its user units device units with the origin at the printable corner; null outside a page.
    cairo_t* Page() const { return page_; }

    bool BeginPage();
    bool FinishPage();
    // Finishes the PDF and sends it; false (job cancelled) when the scheduler does not take it or the file cannot be
    // written.
    bool Send();

private:
    static cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length);
    bool MakeSurface();
    bool Deliver();
    void Cancel();

    std::string name_; // the destination without its instance
    PageSetup page_setup_;
    std::string file_; // where a job without a scheduler goes
    int id_ = 0;
    std::string pdf_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* page_ = nullptr;
};

} // namespace platform
