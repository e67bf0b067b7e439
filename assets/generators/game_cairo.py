"""cairo for the game generators; falls back to the system interpreter when a private one lacks the bindings."""

import os
import sys

try:
    import cairo  # noqa: F401
except ImportError:
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    raise

REPO_ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
GAME_DIR = os.path.join(REPO_ROOT, "assets", "generated", "game")


def out_dir_from_argv():
    """Output folder given on the command line, else the committed one."""
    return sys.argv[1] if len(sys.argv) > 1 else GAME_DIR
