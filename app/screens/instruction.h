// The spoken instruction's timed picture: the marker arrow that its voice's labels show, move and hide.
#pragma once

#include "app/screens/labels.h"
#include "platform/win32.h"

// The label times of the instruction voice, in ms from the start of its playback.
constexpr DWORD kMarkerShown = 5562;
constexpr DWORD kMarkerMoved = 6500;
constexpr DWORD kMarkerHidden = 7500;

// The instruction's backdrop: the maze picture at (0, 0).
void BuildInstructionBackdrop(IMDialog* dialog);
// One label of the instruction voice: shows the marker at (350, 37), moves it to (350, 474), hides it. A label
// whose dialog is closing or whose marker is gone does nothing.
long OnInstructionLabel(DWORD time, IMDialog* dialog);
