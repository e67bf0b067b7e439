// Exceptions that escape on threads the message loop does not run (sound streaming, the audio device's callback,
// the null output's pacing). Such a thread catches at its entry and reports here: the first fault is kept and the
// window that takes the termination signals is asked to close, so the loop ends in its orderly save and the
// program names the fault after it.
#pragma once

#include <string>

namespace platform {

// Inside a catch block: the exception being handled, as its type and, for a standard exception, its message.
std::string DescribeCurrentException();

// Inside a catch block, from any thread. Only the first fault until the next TakeThreadFault is kept: later ones
// are mostly its echoes. Without a close target nothing is posted; the fault is still kept.
void ReportThreadFault();
// The fault kept since the last call, or empty; it is forgotten.
std::string TakeThreadFault();

} // namespace platform
