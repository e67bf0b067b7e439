"""The cairo bindings; under a private interpreter that lacks them, the script restarts itself with the system one."""

import os
import sys

try:
    import cairo  # noqa: F401
except ImportError:
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    raise
