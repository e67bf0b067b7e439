// The destinations the CUPS scheduler offers, in its order, read in one request.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct PrinterEntry {
    std::string name; // "name" or "name/instance"
    std::string uri;
    std::string model;
    std::string info;
    std::string location;
    bool is_default = false;
};

// Empty when no scheduler answers.
std::vector<PrinterEntry> ListPrinters();

} // namespace platform
