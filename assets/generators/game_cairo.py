"""cairo and the output folder for the game generators."""

import os
import sys

from assets.gen.system_cairo import cairo  # noqa: F401

REPO_ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
GAME_DIR = os.path.join(REPO_ROOT, "assets", "generated", "game")


def out_dir_from_argv():
    """Output folder given on the command line, else the committed one."""
    return sys.argv[1] if len(sys.argv) > 1 else GAME_DIR
