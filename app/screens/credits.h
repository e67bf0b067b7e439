// The credits: the course title and the roles of the team that made the exercise, above every other screen, with
// an Exit button. The cursor is forced visible while they are open.
#pragma once

#include "app/screens/labels.h"

// True while a credits pop-up is open.
bool CreditsOpen();
// Opens the credits in window on layer 9999 unless they are open already; returns the pop-up or null.
IMDialog* ShowCredits(IMDialog* window);
