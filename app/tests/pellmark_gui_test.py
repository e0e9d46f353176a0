"""The real Pellmark.exe under Xvfb: a test copy beside the psapi double, its window found by
caption, its rows read from outside the process, F5, Esc, the stored settings, the error box of
a failed enumeration, and a screenshot in the build folder.
    pellmark_gui_test.py BUILD_DIR"""
import os
import shutil
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "gui"))
from guihelper import GuiApp, list_view_rows, run_wine  # noqa: E402

build = os.path.abspath(sys.argv[1])
bin_dir = os.path.join(build, "bin")
test_dir = os.path.join(build, "pellmark-gui")
# Russian locale: the double's Cyrillic driver name goes through the ANSI code page 1251.
ENV = {"WINEDLLOVERRIDES": "psapi=n,b", "LC_ALL": "ru_RU.UTF-8"}
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

# 1. The normal set: rows as the double reports them, F5 keeps them, Esc closes and stores.
app = start("normal")
try:
    win = app.wait_window("Pellmark", timeout=60)
    time.sleep(1)
    expected = [["ntoskrnl.exe", address(0), "\\SystemRoot\\system32\\ntoskrnl.exe"],
                ["hal.dll", address(1), "\\SystemRoot\\system32\\hal.dll"],
                ["Ясень.sys", address(2), "\\??\\C:\\Drivers\\Ясень.sys"]]
    got = rows()
    check(got == expected, "rows match the double's drivers: %r" % (got,))
    shot = app.screenshot("pellmark-gui.png")
    check(os.path.getsize(shot) > 0, "screenshot saved: " + shot)
    app.keys(win, "F5")
    check(rows() == expected, "F5 refreshes to the same rows")
    check(close_with_esc(app, win), "Esc closes the program")
finally:
    app.kill()
stored = wine("reg", "query", "HKCU\\Software\\Tavrin\\Pellmark").stdout.decode("utf-8", "replace")
check("Window placement" in stored, "placement stored on close")
stored = wine("reg", "query", "HKCU\\Software\\Tavrin\\Pellmark\\List views").stdout.decode("utf-8", "replace")
check("Pellmark" in stored, "column widths stored on close")

# 2. A failing enumeration: one error box titled with the program's title, then an empty list.
app = start("fail")
try:
    box = app.wait_window("Tavrin - Pellmark", timeout=60)
    app.screenshot("pellmark-gui-error.png")
    app.keys(box, "Return")
    check(app.wait_no_window("Tavrin - Pellmark", 20), "the error box closes with Enter")
    win = app.wait_window("Pellmark", timeout=30)
    time.sleep(0.5)
    check(rows() == [], "the list is empty after the failure")
    check(not app.find_windows("Tavrin - Pellmark"), "exactly one box")
    check(close_with_esc(app, win), "Esc closes the program")
finally:
    app.kill()

if failures:
    print("%d check(s) failed" % len(failures))
    sys.exit(1)
print("ALL OK")
