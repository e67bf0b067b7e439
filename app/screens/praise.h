// The praise pop-up after the goal: a cloud, a spoken praise word and, inside the cloud, a short clip; the word
// and its clip are one of five pairs chosen at random.
#pragma once

#include <array>

#include "app/screens/labels.h"

struct PraisePair {
    // The name of the word's Ogg Vorbis blob, which is also its memory voice's name.
    const char* word;
    // The name of the Ogg Theora blob.
    const char* clip;
};

extern const std::array<PraisePair, 5> kPraisePairs;

// The pair for a value of the 15-bit generator (0..32767): r × 5 / 32768, truncated; any other value is held to
// the first or the last pair.
int PraiseIndex(int r);

// The pop-up in window with the cloud at (x, y) and the clip at (x + 93, y + 76), praising with pair index. At
// the clip's end the pop-up closes and so does scene, when given; the pop-up also closes with the scene, so a
// praise never outlives the scene it belongs to. A clip that cannot be played ends the praise at the next frame,
// as if it had ended. Returns the pop-up.
IMDialog* ShowPraisePopup(IMDialog* window, int x, int y, int index, IMDialog* scene);

// The pop-up in window with the cloud at (137, 100) and an Exit picture at the top right, whose click closes
// target. The clip's end takes the clip and the cloud away; the rest stays until target closes. Returns the pop-up.
IMDialog* ShowPraisePopupWithExit(IMDialog* window, int index, IMDialog* target);
