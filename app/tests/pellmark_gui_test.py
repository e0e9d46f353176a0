"""The real Pellmark.exe under Xvfb: a test copy beside the psapi double, its window found by
caption, its rows read from outside the process, F5 against a driver list that changes at every
read, keys with the wrong shift state, Esc, the stored settings, the error box of a failed
enumeration, and a screenshot in the build folder.
    pellmark_gui_test.py BUILD_DIR"""
import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "gui"))
from guihelper import GuiApp, list_view_rows, run_wine, visible_windows, wait_for  # noqa: E402

build = os.path.abspath(sys.argv[1])
bin_dir = os.path.join(build, "bin")
test_dir = os.path.join(build, "pellmark-gui")
# Russian locale: the double's Cyrillic driver name goes through the ANSI code page 1251.
ENV = {"WINEDLLOVERRIDES": "psapi=n,b", "LC_ALL": "ru_RU.UTF-8"}
# The caption of the about box of AppDialogs for this program.
ABOUT = "О программе Tavrin - Pellmark"
is64 = open(os.path.join(build, "tavrin-arch")).read().strip() == "x86_64"
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def wine(*args, env=None):
    return run_wine(build, *args, env=env)


def address(index):
    base = 0xFFFFF80000000000 if is64 else 0x80000000
    return "%0*X" % (16 if is64 else 8, base + index * 0x10000)


def rows():
    return list_view_rows(build, os.path.join(test_dir, "rows.txt"), env=ENV)


def wait_rows(expected, what, timeout=30):
    """Waits until the list shows exactly `expected`; records the check either way."""
    try:
        wait_for(rows, lambda got: got == expected, timeout, what)
        check(True, what)
    except TimeoutError as e:
        check(False, str(e))


def generation(n):
    """The rows of the double's changing set after its n-th enumeration."""
    return [["gen%d-%d.sys" % (n, i), address(i), "\\SystemRoot\\system32\\drivers\\gen%d-%d.sys" % (n, i)]
            for i in range(n + 2)]


def start(driver_set):
    env = dict(ENV, PELLMARK_TEST_DRIVERS=driver_set)
    return GuiApp(build, os.path.join(test_dir, "Pellmark.exe"), env=env)


def close_with_esc(app, win):
    app.keys(win, "Escape")
    return app.wait_exit(30) is not None


# A test copy of the program with the double beside it.
os.makedirs(test_dir, exist_ok=True)
for name in ("Pellmark.exe", "TavrinSupport0100.dll"):
    shutil.copy(os.path.join(bin_dir, name), test_dir)
shutil.copy(os.path.join(bin_dir, "psapi-double", "psapi.dll"), test_dir)
wine("reg", "delete", "HKCU\\Software\\Tavrin\\Pellmark", "/f")

# 1. The normal set: rows as the double reports them, Esc closes and stores.
app = start("normal")
try:
    win = app.wait_window("Pellmark", timeout=60)
    expected = [["ntoskrnl.exe", address(0), "\\SystemRoot\\system32\\ntoskrnl.exe"],
                ["hal.dll", address(1), "\\SystemRoot\\system32\\hal.dll"],
                ["Ясень.sys", address(2), "\\??\\C:\\Drivers\\Ясень.sys"]]
    wait_rows(expected, "rows match the double's drivers")
    shot = app.screenshot("pellmark-gui.png")
    check(os.path.getsize(shot) > 0, "screenshot saved: " + shot)
    check(close_with_esc(app, win), "Esc closes the program")
finally:
    app.kill()
query = wine("reg", "query", "HKCU\\Software\\Tavrin\\Pellmark")
stored = query.stdout.decode("utf-8", "replace")
check("Window placement" in stored, "placement stored on close (reg exit %d: %r)" % (query.returncode, stored[-300:]))
stored = wine("reg", "query", "HKCU\\Software\\Tavrin\\Pellmark\\List views").stdout.decode("utf-8", "replace")
check("Pellmark" in stored, "column widths stored on close")

# 2. A list that differs at every read: F5 reads again and shows only the new rows.
app = start("changing")
try:
    win = app.wait_window("Pellmark", timeout=60)
    wait_rows(generation(1), "the first read fills the list")
    app.keys(win, "F5")
    wait_rows(generation(2), "F5 replaces the rows by those of a new read")

    # Keys with a shift state other than their own do nothing. F5 and Shift+F1 after them show
    # that all were read: the about box of Shift+F1 opens only once F5 has run, and F5 runs only
    # when no box of Ctrl+Shift+F1 holds the keys and Shift+Esc left the window open.
    before = visible_windows()
    app.keys(win, "ctrl+shift+F1", "shift+F5", "shift+Escape", "F5", "shift+F1")
    try:
        box, _ = app.wait_windows_named([ABOUT], timeout=30)
        check(True, "Shift+F1 opens the about box")
    except (TimeoutError, RuntimeError) as e:
        box = None
        check(False, "Shift+F1 opens the about box after the keys with the wrong shift state: %s" % e)
    got = rows()
    check(got == generation(3), "Shift+F5 did not refresh and F5 did once: %r" % (got,))
    opened = [w for w in visible_windows() if w not in before]
    check(box is not None and opened == [box], "only the about box opened: %r" % (opened,))
    if box is not None:
        app.keys(box, "Return")
        check(app.wait_no_window(ABOUT, 20), "the about box closes with Enter")
    check(app.running() and app.find_windows("Pellmark"), "Shift+Esc left the program running")
    check(close_with_esc(app, win), "Esc closes the program")
finally:
    app.kill()

# 3. A failing enumeration: one error box titled with the program's title, then an empty list.
app = start("fail")
try:
    box = app.wait_window("Tavrin - Pellmark", timeout=60)
    app.screenshot("pellmark-gui-error.png")
    app.keys(box, "Return")
    check(app.wait_no_window("Tavrin - Pellmark", 20), "the error box closes with Enter")
    win = app.wait_window("Pellmark", timeout=30)
    # Shown only once loading, and so the failed read, is over.
    check(rows() == [], "the list is empty after the failure")
    check(not app.find_windows("Tavrin - Pellmark"), "exactly one box")
    check(close_with_esc(app, win), "Esc closes the program")
finally:
    app.kill()

if failures:
    print("%d check(s) failed" % len(failures))
    sys.exit(1)
print("ALL OK")
