"""The hero's 244 frames in list order: picture names, resource ids and the pose each one shows."""

import collections
import math

SIZE = 78

# Heading in whole degrees on screen (y grows downwards): 0 faces right, 90 down, 180 left, 270 up.
DOWN, RIGHT, UP, LEFT = 90, 0, 270, 180

Pose = collections.namedtuple("Pose", "heading stride blink breathe drown")
Pose.__new__.__defaults__ = (0.0, 0.0, 0.0, None)

WALK_FRAMES = 15
DROWN_FRAMES = 17

# (prefix, first, last, what the run shows); the name is the prefix followed by the number,
# zero-padded to five digits, except the drowning run whose names are the plain numbers.
RUNS = (
    ("7", 0, 9, ("turn", DOWN, -10)),
    ("9", 0, 9, ("turn", RIGHT, -10)),
    ("6", 10, 19, ("turn", DOWN, +10)),
    ("8", 10, 19, ("turn", LEFT, +10)),
    ("10", 18, 32, ("walk", DOWN, 0)),
    ("11", 0, 14, ("walk", DOWN, 1)),
    ("13", 18, 32, ("walk", LEFT, 1)),
    ("14", 0, 14, ("walk", LEFT, 0)),
    ("17", 18, 32, ("walk", UP, 1)),
    ("18", 0, 14, ("walk", UP, 0)),
    ("15", 18, 32, ("walk", RIGHT, 0)),
    ("16", 0, 14, ("walk", RIGHT, 1)),
    ("2", 1, 4, ("idle", DOWN)),
    ("3", 1, 4, ("idle", LEFT)),
    ("4", 1, 4, ("idle", RIGHT)),
    ("5", 1, 4, ("idle", UP)),
    (None, 110, 177, ("drown", (DOWN, LEFT, RIGHT, UP))),
)

# Frames that show the same standing pose from different runs.
SAME_POSES = (("700000", "600010"), ("700009", "900000"), ("900009", "800019"), ("600019", "800010"))

# Still frames shown while the hero stands, by facing.
STILL = {DOWN: "700000", RIGHT: "700009", UP: "900009", LEFT: "600019"}

# Idle: a blink while the body swells and settles with a breath.
BLINK = (0.5, 1.0, 0.5, 0.0)
BREATH = (0.4, 0.8, 1.0, 0.6)


def _exact(value):
    """Rounds away float noise so that equal poses compare (and draw) equal; no negative zero."""
    return round(value, 6) + 0.0


def _pose(what, index):
    kind = what[0]
    if kind == "turn":
        return Pose((what[1] + what[2] * index) % 360)
    if kind == "walk":
        # Half a stride per run: foot set swings one foot forward and back, foot clear the other.
        phase = math.pi * (index / (WALK_FRAMES - 1) + what[2])
        return Pose(what[1], stride=_exact(math.sin(phase)))
    if kind == "idle":
        return Pose(what[1], blink=BLINK[index], breathe=BREATH[index])
    heading = what[1][index // DROWN_FRAMES]
    return Pose(heading, drown=index % DROWN_FRAMES)


def frames():
    """[(picture name, pose)] in the order the hero's sequence lists them."""
    result = []
    for prefix, first, last, what in RUNS:
        for index, number in enumerate(range(first, last + 1)):
            name = str(number) if prefix is None else "%s%05d" % (prefix, number)
            result.append((name, _pose(what, index)))
    return result


def resource_id(name):
    """The 16-bit id a decimal picture name is stored under."""
    return int(name) & 0xFFFF
