#!/usr/bin/env python3
"""Draws every generated asset into assets/. Run from anywhere; output is byte-for-byte reproducible."""

import os
import sys

try:
    import cairo  # noqa: F401
except ImportError:
    # A private interpreter first on PATH may not see the distribution's cairo bindings.
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    raise

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))

from assets.gen import markers, skins  # noqa: E402
from assets.generators import game_sounds, hero, maze  # noqa: E402


def main():
    skins.generate(os.path.join(HERE, "skins"))
    markers.generate(os.path.join(HERE, "markers"))
    game = os.path.join(HERE, "generated", "game")
    maze.generate(game)
    hero.generate(game)
    game_sounds.generate(game)


if __name__ == "__main__":
    main()
