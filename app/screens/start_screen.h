// The start screen: the headers, the exercise's number, title and scrollable description, the pupil's name field,
// the key legend, and the Start and Exit buttons. Its owner connects what the buttons and keys do.
#pragma once

#include <functional>
#include <string>

#include "app/screens/labels.h"
#include "engine/controls/button_base.h"

class IMEditBar;
class IMScroll;

struct StartScreenTexts {
    std::wstring catalogue_number;
    std::wstring title;
    std::wstring description;
};

struct StartScreen {
    IMDialog* popup = nullptr;
    IMButtonBase<IMStateView>* start = nullptr;
    IMButtonBase<IMStateView>* exit = nullptr;
    // Null unless asked for.
    IMButtonBase<IMStateView>* options = nullptr;
    IMEditBar* name = nullptr;
    IMScroll* scroll = nullptr;
    // The panel that holds the description and moves inside its clipping frame.
    IMDialog* description = nullptr;
};

// Builds the full-screen pop-up in window, the name field focused. connect_keys runs between the Exit button and
// the key legend, so the owner's key handler is connected where the screen's order puts it.
StartScreen BuildStartScreen(IMDialog* window, const StartScreenTexts& texts, bool with_options,
    const std::function<void(const StartScreen&)>& connect_keys);

// The name typed into the field.
std::wstring NameFieldText(IMEditBar* bar);

// Moves the description panel up by position pixels; its frame clips what leaves it.
long ScrollDescription(int position, IMDialog* panel);
