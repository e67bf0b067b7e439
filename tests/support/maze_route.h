// The only route from the near bank to the far one, by its corners.
#pragma once

#include <vector>

#include "game/path_cells.h"

inline const std::vector<MazeCell> kRouteCorners { { 9, 0 }, { 9, 1 }, { 5, 1 }, { 5, 5 }, { 3, 5 }, { 3, 8 },
    { 11, 8 }, { 11, 4 }, { 16, 4 }, { 16, 6 }, { 18, 6 }, { 18, 11 }, { 13, 11 }, { 13, 14 }, { 8, 14 }, { 8, 13 },
    { 5, 13 }, { 5, 17 }, { 9, 17 }, { 9, 19 } };
