// A folder of the fuzz run's own for the files a target writes, removed when the run ends. Memory-backed when the
// system has such a folder: the targets write a file for every input, and disks are slow at that.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <stdlib.h>

inline std::filesystem::path MakeScratchFolder(const std::string& prefix)
{
    static std::filesystem::path folder;
    std::error_code error;
    const std::filesystem::path base
        = std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string pattern = (base / (prefix + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    folder = pattern;
    std::atexit([] { std::filesystem::remove_all(folder); });
    return folder;
}
