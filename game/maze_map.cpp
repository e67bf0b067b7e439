#include "game/maze_map.h"

namespace {

constexpr std::array<int32_t, kMazeSize * kMazeSize> Parse(const char* const (&rows)[kMazeSize])
{
    std::array<int32_t, kMazeSize * kMazeSize> table {};
    for (int y = 0; y < kMazeSize; ++y)
        for (int x = 0; x < kMazeSize; ++x)
            table[y * kMazeSize + x] = rows[y][x] == '1' ? 1 : 0;
    return table;
}

constexpr const char* kRows[kMazeSize] = {
    "00000000010000000000",
    "00000111110010011110",
    "00000100010011110010",
    "00000100000000000010",
    "00000101111111111110",
    "00011101000100001000",
    "00010001100100001110",
    "00010000000100000010",
    "00011111111111110010",
    "00000000000000010110",
    "00000000000000000010",
    "00000000000001111110",
    "00000000000001000000",
    "00001111100001000000",
    "00000100111111000000",
    "00000100000000000000",
    "00000100000000000000",
    "00000111110000000000",
    "00000000010000000000",
    "00000000010000000000",
};

} // namespace

const std::array<int32_t, kMazeSize* kMazeSize> MazeMap = Parse(kRows);

bool IsWater(MazeCell cell)
{
    if (cell.x < 0 || cell.x >= kMazeSize || cell.y < 0 || cell.y >= kMazeSize)
        return true;
    return MazeMap[cell.y * kMazeSize + cell.x] == 0;
}

MazeCell Neighbour(MazeCell cell, int32_t direction)
{
    switch (direction) {
    case kDown:
        return MazeCell { cell.x, cell.y + 1 };
    case kRight:
        return MazeCell { cell.x + 1, cell.y };
    case kUp:
        return MazeCell { cell.x, cell.y - 1 };
    case kLeft:
        return MazeCell { cell.x - 1, cell.y };
    default:
        return cell;
    }
}

std::optional<int32_t> StepDirection(MazeCell from, MazeCell to)
{
    for (int32_t direction : { kDown, kUp, kRight, kLeft }) {
        if (Neighbour(from, direction) == to)
            return direction;
    }
    return std::nullopt;
}
