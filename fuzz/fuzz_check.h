// Ends a fuzz run at a broken expectation: what went wrong and what the program said about it, then an abort that
// libFuzzer records as a finding.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "platform/testing/debug_capture.h"
#include "platform/text/utf8.h"

inline void FuzzCheck(bool holds, const char* target, const char* what, const platform::DebugCapture& said)
{
    if (!holds) {
        std::fprintf(stderr, "%s fuzz: %s\n%s\n", target, what, platform::ToUtf8(said.Text()).c_str());
        std::abort();
    }
}
