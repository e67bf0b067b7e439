// The program from its start screen to its end, on whichever window back end is installed.
#pragma once

// The window caption, which also names the statistics workbook.
inline constexpr const wchar_t* kExerciseCaption = L"04271 Игра «Тумбилиада»";

// Shows the start screen, runs the message loop until the window closes, saves the report and tears everything
// down. 0 after an orderly close (the window's own buttons, the window manager's close, or a termination signal
// once platform::RouteTerminationSignals has routed them). 1, with one line on standard error, when the window
// could not be started (whatever was thrown), or when an exception of any type escaped a handler or the loop, or
// escaped a thread the loop does not run (sound streaming, the audio device's callback): such a thread reports it
// through platform::ReportThreadFault, which closes the window as a termination signal would. In each of these
// the report is saved as after an orderly close, and the line names the first exception (a later one is mostly
// its consequence). 1 also when the last save could not store a run in the workbook: a line says where its rows
// were written instead. A display lost mid-run saves the report and ends the process from inside the loop with
// platform::kDisplayLostStatus.
int RunExercise();
