// The program from its start screen to its end, on whichever window back end is installed.
#pragma once

// The window caption, which also names the statistics workbook.
inline constexpr const wchar_t* kExerciseCaption = L"04271 Игра «Тумбилиада»";

// Shows the start screen, runs the message loop until the window closes, saves the report and tears everything
// down. 0 after an orderly close (the window's own buttons, the window manager's close, or a termination signal
// once platform::RouteTerminationSignals has routed them); 1 when the window could not be started, or when an
// exception escaped a handler or the loop: the report is then saved as after an orderly close and one line on
// standard error names the exception. A display lost mid-run saves the report and ends the process from inside
// the loop with platform::kDisplayLostStatus.
int RunExercise();
