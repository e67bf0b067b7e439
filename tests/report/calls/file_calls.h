// The file calls this process makes, seen where they reach the C library: the test executable defines open,
// openat, write, fsync, rename, renameat2, link, unlink, unlinkat, flock and close, records each call on a file inside
// a watched folder once it has succeeded, and forwards it. A test may also have a call behave as on another file
// system, or as when another copy acts just before it.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// Records, while it exists, the calls on files inside folder, one a line: "open P" (for reading), "create P",
// "write P", "fsync P", "rename P Q" (renameat2 too), "link P Q", "unlink P", "lock P" and "close P", with paths
// relative to folder ("." for the folder itself). One at a time.
class FileCalls {
public:
    explicit FileCalls(std::filesystem::path folder);
    ~FileCalls();

    FileCalls(const FileCalls&) = delete;
    FileCalls& operator=(const FileCalls&) = delete;

    // The calls so far, and forgets them.
    std::vector<std::string> Take();

    // From now on renameat2 refuses RENAME_NOREPLACE with EINVAL, anywhere, as a file system that cannot refuse a
    // rename by itself does.
    void RefuseNoReplace();
    // Just before the next exclusive flock on the file under name (relative to the folder), act runs, as another
    // copy or account acting at that moment.
    void BeforeNextLock(std::string name, std::function<void()> act);
    // Before the next lock on name, name is given to a new empty file, as when the copy that held the file removed it
    // and a third copy made a new one. Unrecorded.
    void ReplaceBeforeNextLock(std::string name);
};

} // namespace testing_support
