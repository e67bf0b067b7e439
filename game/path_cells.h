// The drawn path as the cells the pointer crossed, front first.
#pragma once

#include <deque>

#include "game/maze_map.h"
#include "platform/win32.h"

using PathCells = std::deque<MazeCell>;

constexpr int32_t kCellSize = 20;

// The cell under a point of the field (truncating division, as the field's points are never negative).
MazeCell CellAt(POINT fieldPoint);

// Walks from one cell to another, x and y each moving one toward the target in the same move, so the walk goes
// diagonally until one coordinate matches and straight on after that. Every visited cell that differs from the
// back of the path is appended (the first cell of an empty path always). True when the goal was appended after
// another cell: the drawing has reached the far bank.
bool RecordWalk(PathCells& path, MazeCell from, MazeCell to);
