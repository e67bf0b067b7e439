#include "game/path_cells.h"

namespace {

int32_t Toward(int32_t from, int32_t to)
{
    return from < to ? from + 1 : from > to ? from - 1 : from;
}

// True when the cell was appended as the goal after another cell.
bool Append(PathCells& path, MazeCell cell)
{
    if (path.empty()) {
        path.push_back(cell);
        return false;
    }
    if (path.back() == cell)
        return false;
    path.push_back(cell);
    return cell == kGoalCell;
}

} // namespace

MazeCell CellAt(POINT fieldPoint)
{
    return MazeCell { fieldPoint.x / kCellSize, fieldPoint.y / kCellSize };
}

bool RecordWalk(PathCells& path, MazeCell from, MazeCell to)
{
    bool goal = Append(path, from);
    while (from != to) {
        from = MazeCell { Toward(from.x, to.x), Toward(from.y, to.y) };
        goal = Append(path, from) || goal;
    }
    return goal;
}
