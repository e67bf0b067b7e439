#!/usr/bin/python3
"""Lists the maze game's assets for the embedding manifest: one `id <16-bit id> <file below assets/>` a line."""

import os
import sys

if __package__ in (None, ""):
    sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))

from assets.generators import hero_frames  # noqa: E402

FOLDER = "generated/game"


def entries():
    """(picture or sound name, resource id, file below assets/) in the order the game first needs them."""
    names = [("180", ".png")] + [(name, ".png") for name, _ in hero_frames.frames()]
    names += [("14465", ".ogg"), ("14466", ".ogg")]
    return [(name, hero_frames.resource_id(name), "%s/%s%s" % (FOLDER, name, ext)) for name, ext in names]


if __name__ == "__main__":
    for name, rid, path in entries():
        print("id %-5d %s" % (rid, path))
