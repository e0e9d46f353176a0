"""The GUI helper finds a Wine window by caption, types into it and photographs the screen."""
import os
import sys

from guihelper import GuiApp

build = sys.argv[1]
app = GuiApp(build, "notepad.exe")
try:
    win = app.wait_window("Untitled - Notepad", timeout=60)
    app.type_text(win, "tavrin")
    shot = app.screenshot("gui-harness.png")
    assert os.path.getsize(shot) > 0, "empty screenshot"
    print("window", win, "screenshot", shot)
finally:
    app.kill()
print("ALL OK")
