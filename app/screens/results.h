// The results screen, the last of a run: the task is done, the exercise and the pupil are named, and buttons offer
// printing and saving the statistics, another try and the end of the program.
#pragma once

#include <string>

#include "app/screens/labels.h"
#include "engine/controls/button_base.h"

struct ResultsScreen {
    IMDialog* dialog;
    IMButtonBase<IMStateView>* print;
    IMButtonBase<IMStateView>* save_as;
    IMButtonBase<IMStateView>* retry;
    IMButtonBase<IMStateView>* close;
    IMButtonBase<IMStateView>* exit;
};

struct ResultsTexts {
    std::wstring number;
    std::wstring title;
    std::wstring pupil;
};

// The screen as a full-screen dialog in window, its pictures, texts and buttons made in drawing order; the
// caller connects the buttons. The texts are copies: they do not follow later changes.
ResultsScreen BuildResultsScreen(IMDialog* window, const ResultsTexts& texts);

// A button that must not be used: disabled (it shows its disabled picture and ignores clicks) and tinted grey.
void GreyOut(IMButtonBase<IMStateView>* button);
