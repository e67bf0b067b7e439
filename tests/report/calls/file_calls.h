// The file calls this process makes, seen where they reach the C library: the test executable defines open,
// openat, write, fsync, rename, unlink, unlinkat, flock and close, records each call on a file inside a watched folder
// once it has succeeded, and forwards it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

// Records, while it exists, the calls on files inside folder, one a line: "open P" (for reading), "create P",
// "write P", "fsync P", "rename P Q", "unlink P", "lock P" and "close P", with paths relative to folder ("." for the
// folder itself). One at a time.
class FileCalls {
public:
    explicit FileCalls(std::filesystem::path folder);
    ~FileCalls();

    FileCalls(const FileCalls&) = delete;
    FileCalls& operator=(const FileCalls&) = delete;

    // The calls so far, and forgets them.
    std::vector<std::string> Take();
};

} // namespace testing_support
