#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/maze_map.h"

namespace {

// The picture generator draws the maze from its own copy of the table; the game must walk the same maze.
TEST(MazeMap, MatchesTheTableThePictureIsDrawnFrom)
{
    std::ifstream in(MAZE_SOURCE_DIR "/assets/generators/maze_map.py");
    ASSERT_TRUE(in);
    const std::regex row("^\\s*\"([01]{20})\",\\s*$");
    std::vector<std::string> rows;
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
        if (std::regex_match(line, m, row))
            rows.push_back(m[1]);
    }
    ASSERT_EQ(rows.size(), 20u);
    for (int y = 0; y < kMazeSize; ++y)
        for (int x = 0; x < kMazeSize; ++x)
            EXPECT_EQ(MazeMap[y * kMazeSize + x], rows[y][x] - '0') << x << ", " << y;
    EXPECT_FALSE(IsWater(kStartCell));
    EXPECT_FALSE(IsWater(kGoalCell));
    EXPECT_TRUE(IsWater(MazeCell { 9, 20 }));
}

} // namespace
