// The start screen's Russian texts, verbatim, with the face size and weight each is shown in.
#pragma once

#include <string>

#include "app/core/exercise_texts.h"

inline const std::wstring& kDescription = kExerciseDescription;

constexpr unsigned kTextColour = 0xFF072134u;
constexpr int kDescriptionWidth = 593;
constexpr int kDescriptionHeight = 236;
