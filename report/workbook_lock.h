// The exclusive advisory lock every copy of the program takes around reading and replacing a workbook.
#pragma once

#include <chrono>
#include <string>

namespace report {

// Held so that no copy's save drops the rows another copy saved. It is held on a lock file in the workbook's folder,
// opened for reading only and made readable by everyone, so that copies run by other accounts share it; the file
// goes when the lock is given up, or stays for the next copy where the folder lets only its owner remove it.
class WorkbookLock {
public:
    // Waits up to wait for a copy that holds the lock. Held() says whether it was had, Error() why not: another
    // copy holding it, a folder this account may not write, or the lock file's own fault. A lock file that is
    // neither a regular file nor a folder (a FIFO, a device, a socket, a link) is not waited on: Error() says what
    // it is.
    WorkbookLock(const std::string& path, std::chrono::milliseconds wait);
    ~WorkbookLock();

    WorkbookLock(const WorkbookLock&) = delete;
    WorkbookLock& operator=(const WorkbookLock&) = delete;

    bool Held() const { return fd_ >= 0; }
    const std::string& Error() const { return error_; }

private:
    std::string name_;
    std::string error_;
    int fd_ = -1;
};

} // namespace report
