// The flooded maze: a 20 x 20 table of walkable cells (planks and stones) and water, and the four directions
// in which the hero steps from cell to cell.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

struct MazeCell {
    int32_t x = 0;
    int32_t y = 0;

    bool operator==(const MazeCell&) const = default;
};

constexpr int32_t kMazeSize = 20;
constexpr MazeCell kStartCell { 9, 0 };
constexpr MazeCell kGoalCell { 9, 19 };

// Indexed [y * 20 + x]: 1 = plank or stone, 0 = water.
extern const std::array<int32_t, kMazeSize * kMazeSize> MazeMap;

// Cells outside the table count as water.
bool IsWater(MazeCell cell);

// Direction codes, in quarter-turn order.
constexpr int32_t kDown = 0;
constexpr int32_t kRight = 1;
constexpr int32_t kUp = 2;
constexpr int32_t kLeft = 3;

// The cell one step away in the given direction.
MazeCell Neighbour(MazeCell cell, int32_t direction);
// The direction that leads from one cell to a 4-neighbour; none for any other cell.
std::optional<int32_t> StepDirection(MazeCell from, MazeCell to);
