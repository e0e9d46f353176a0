"""Starts Pellmark on the current (virtual) display, saves a screenshot and closes it with Esc:
    show-pellmark.py BUILD_DIR SCREENSHOT.png"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "gui"))
from guihelper import GuiApp  # noqa: E402

build, shot = sys.argv[1], sys.argv[2]
app = GuiApp(build, os.path.join(build, "bin", "Pellmark.exe"))
try:
    win = app.wait_window("Pellmark", timeout=60)
    print("Pellmark window found; screenshot:", app.screenshot(os.path.abspath(shot)))
    app.keys(win, "Escape")
    if app.wait_exit(20) is None:
        print("Pellmark did not close on Esc", file=sys.stderr)
        sys.exit(1)
finally:
    app.kill()
