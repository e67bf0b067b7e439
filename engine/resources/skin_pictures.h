// The built-in interface skin: pictures compiled into the program as named blobs, registered as textures under
// the same names at start-up, in this order, and released in the same order at shut-down.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/resources/resources.h"

inline constexpr std::array<std::string_view, 57> kSkinPictureNames = {
    "DefaultBackGround",
    "ExitButton",
    "PrintButton",
    "SaveAsButton",
    "RetryButton",
    "CloseButton",
    "StartPopStartButton",
    "EscButton",
    "F1Button",
    "F12Button",
    "SubmitButton",
    "OptionsButton",
    "CancelButton",
    "PrintButtonKlick",
    "SaveAsButtonKlick",
    "RetryButtonKlick",
    "CloseButtonKlick",
    "StartPopStartButtonKlick",
    "SubmitButtonKlick",
    "OptionsButtonKlick",
    "CancelButtonKlick",
    "PrintButtonNuv",
    "SaveAsButtonNuv",
    "RetryButtonNuv",
    "CloseButtonNuv",
    "StartPopStartButtonNuv",
    "SubmitButtonNuv",
    "OptionsButtonNuv",
    "CancelButtonNuv",
    "SliderSliderVertical",
    "SliderSliderVerticalHover",
    "SliderSliderHorizontal",
    "SliderSliderHorizontalHover",
    "ScrollSlider",
    "ScrollSliderHorizontal",
    "ScrollBackground",
    "ScrollButtonUp",
    "ScrollButtonDown",
    "CheckBoxUnchecked",
    "CheckBoxChecked",
    "RadioButtonUnchecked",
    "RadioButtonChecked",
    "CheckBoxDisUnchecked",
    "CheckBoxDisChecked",
    "RadioButtonDisUnchecked",
    "RadioButtonDisChecked",
    "EditBarBackGround",
    "EditBarCornerLT",
    "EditBarCornerRT",
    "EditBarCornerLB",
    "EditBarCornerRB",
    "EditBarBorderL",
    "EditBarBorderR",
    "EditBarBorderT",
    "EditBarBorderB",
    "EditBarKaretka",
    "SelectionMask",
};

struct SkinPicture {
    std::wstring name; // the texture name
    platform::Blob png; // empty when the program lacks the blob
};

// Every skin picture with its embedded bytes, in registration order.
std::vector<SkinPicture> SkinPictures();
