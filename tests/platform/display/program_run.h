// The program started as a user would, as a child process with an environment of its own, and the virtual X
// server it may run on.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/types.h>

// A child process with its standard error in a pipe; killed and reaped if still running at the end.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& env, int extra_fd = -1);
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child();

    bool started() const { return pid_ > 0; }
    bool running() const { return pid_ > 0 && !ended_; }

    // True when the child ended within limit.
    bool WaitEnd(std::chrono::milliseconds limit);
    bool Stop(int signal);
    int status() const { return status_; }

    // What the child has written on standard error so far; all of it once the child has ended.
    std::string ErrorText();

private:
    pid_t pid_ = -1;
    int err_ = -1;
    std::string err_text_;
    int status_ = 0;
    bool ended_ = false;
};

// Each run gets a minimal environment of its own, a scratch home and SDL's silent audio driver.
class ProgramStart : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The program's environment: nothing of the test's own (no display, no chosen driver) beyond extra, whose
    // variables replace those of the same name.
    Child Start(const std::vector<std::string>& extra) const;

    std::filesystem::path home_;
    std::unique_ptr<Child> server_;
};

// The same on a virtual X server; skipped where none is installed.
class ProgramOnVirtualDisplay : public ProgramStart {
protected:
    static constexpr const char* kServer = "/usr/bin/Xvfb";

    void SetUp() override;

    // Starts the server with the given colour depth, running until the test ends; its display name.
    std::string StartServer(const std::string& depth);
};
