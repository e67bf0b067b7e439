// One document on its way to a CUPS destination: the job opened on the scheduler and the PDF its pages are
// drawn into, held in memory until it is sent.
#pragma once

#include <string>

#include <cairo.h>

#include "platform/print/page_setup.h"

namespace platform {

class PrintJob {
public:
    // Opens the job; Id() is 0 when the scheduler refused it or the surface could not be made.
    PrintJob(const std::string& destination, const std::string& title, const PageSetup& page);
    // A job never sent is cancelled.
    ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    int Id() const { return id_; }
    // The page's context, its user units device units with the origin at the printable corner; null outside a page.
    cairo_t* Page() const { return page_; }

    bool BeginPage();
    bool FinishPage();
    // Finishes the PDF and sends it; false (job cancelled) when the scheduler does not take it.
    bool Send();

private:
    static cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length);
    void Cancel();

    std::string name_; // the destination without its instance
    PageSetup page_setup_;
    int id_ = 0;
    std::string pdf_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* page_ = nullptr;
};

} // namespace platform
