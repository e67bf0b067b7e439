"""The maze table: 20 x 20 cells, 1 = plank or stone (walkable), 0 = water."""

ROWS = (
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
)

SIZE = 20
# Flat table indexed [y * 20 + x], as the game reads it.
MAZE_MAP = tuple(int(c) for row in ROWS for c in row)

START = (9, 0)
GOAL = (9, 19)

# Screen geometry of the field on the 800 x 600 background.
FIELD_X = 200
FIELD_Y = 100
CELL = 20


def walkable(x, y):
    return 0 <= x < SIZE and 0 <= y < SIZE and MAZE_MAP[y * SIZE + x] == 1


def cell_rect(x, y):
    """Screen rectangle (left, top, right, bottom) of cell (x, y), right and bottom exclusive."""
    left = FIELD_X + CELL * x
    top = FIELD_Y + CELL * y
    return left, top, left + CELL, top + CELL


def links(x, y):
    """Directions (dx, dy) in which a walkable cell joins a neighbour; the start and goal also join their banks."""
    result = [(dx, dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)) if walkable(x + dx, y + dy)]
    if (x, y) == START:
        result.append((0, -1))
    if (x, y) == GOAL:
        result.append((0, 1))
    return result
