#!/usr/bin/env python3
"""Draws every generated asset into assets/. Run from anywhere; output is byte-for-byte reproducible."""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))

from assets.gen import system_cairo  # noqa: E402,F401  (first: it may restart the script)
from assets.gen import markers, skins  # noqa: E402
from assets.generators import app_pictures, app_sounds, game_sounds, hero, maze, praise_clips  # noqa: E402


def main():
    skins.generate(os.path.join(HERE, "skins"))
    markers.generate(os.path.join(HERE, "markers"))
    game = os.path.join(HERE, "generated", "game")
    maze.generate(game)
    hero.generate(game)
    game_sounds.generate(game)
    app = os.path.join(HERE, "generated", "app")
    app_pictures.generate(app)
    app_sounds.generate(app)
    praise_clips.generate(app)


if __name__ == "__main__":
    main()
