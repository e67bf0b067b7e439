// Folders of the running test's own. CTest runs each test case in a process of its own and, at the same time, the
// whole executable in another, both in the same working directory: a fixed file name there or in the temporary
// folder is shared by two processes that write it at once.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// A new empty folder in the system's temporary folder, named after the running test, removed with the object.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Where the running test leaves a picture for a person to look at after the run: name + ".png" in a folder under
// the working directory (the build tree) of this test and of this kind of run ("case" when the process runs this
// test alone, "whole" when it runs the executable's tests shuffled or several of them), made if missing. A picture of
// an earlier run is removed first, so what the test finds there is what it wrote.
std::filesystem::path PicturePath(const std::string& name);

} // namespace testing_support
