// Exceptions that escape on threads the message loop does not run (sound streaming, the audio device's callback,
// the null output's pacing), and the one that ends the loop itself. Such a thread catches at its entry and reports
// here: the first fault is kept and the window that takes the termination signals is asked to close, so the loop
// ends in its orderly save and the program names the fault after it.
#pragma once

#include <string>

namespace platform {

// Inside a catch block: the exception being handled, as its type and, for a standard exception, its message.
// Throws std::bad_alloc when there is no memory to say so.
std::string DescribeCurrentException();

// Inside a catch block, from any thread: keeps the fault unless one is kept already since the last TakeFault (a
// later one is mostly a consequence of the first). Never throws: when naming the fault runs out of memory, its
// type is kept and named when it is taken.
void KeepFault() noexcept;
// KeepFault, then asks the window that takes the termination signals to close, as a signal would. Without a close
// target nothing is posted; the fault is still kept.
void ReportThreadFault() noexcept;
// The first fault kept since the last call, or empty; it is forgotten.
std::string TakeFault();

} // namespace platform
