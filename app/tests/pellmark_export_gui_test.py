"""The export of the real Pellmark.exe under Xvfb, with the psapi double's set holding double
quotes: F2, a file name typed into the platform's save dialog, the file read back as CSV, the
success box; an export over an existing file; an export onto a read-only file that shows the
error box and leaves the file as it was; keys with the wrong shift state that do nothing.
    pellmark_export_gui_test.py BUILD_DIR"""
import csv
import io
import os
import shutil
import stat
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "gui"))
from guihelper import GuiApp, list_view_rows, run_wine, win_path, xdotool  # noqa: E402

build = os.path.abspath(sys.argv[1])
bin_dir = os.path.join(build, "bin")
test_dir = os.path.join(build, "pellmark-export")
out_dir = os.path.join(test_dir, "out")
# Russian locale: ANSI is code page 1251, the save dialog is captioned in Russian.
ENV = {"WINEDLLOVERRIDES": "psapi=n,b", "LC_ALL": "ru_RU.UTF-8", "PELLMARK_TEST_DRIVERS": "quoted"}
ANSI = "cp1251"
SAVE_DIALOG = ("Save As", "Сохранить как")
BOX = "Tavrin - Pellmark"
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def wine(*args):
    return run_wine(build, *args, env=ENV)


def rows():
    return list_view_rows(build, os.path.join(test_dir, "rows.txt"), env=ENV)


def box_text():
    out = os.path.join(test_dir, "box.txt")
    if os.path.exists(out):
        os.remove(out)
    if wine(os.path.join(bin_dir, "lvdump.exe"), "/box", BOX, win_path(out)).returncode != 0:
        return ""
    return open(out, encoding="utf-8").read()


def windows_named(names):
    """Visible windows whose caption is one of `names`, compared after reading each caption
    (xdotool's own search does not match captions outside ASCII)."""
    found = []
    for w in visible_windows():
        title = subprocess.run(["xdotool", "getwindowname", w], capture_output=True, text=True).stdout.strip()
        if title in names:
            found.append(int(w))
    return found


def wait_windows_named(names, timeout):
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = windows_named(names)
        if found:
            return found[0]
        time.sleep(0.3)
    raise TimeoutError("no window %r within %s s" % (names, timeout))


def export_to(app, win, path):
    """F2, the name typed into the save dialog, Enter; a replace question is answered yes.
    Returns the text of the box that follows (or None when none came)."""
    before = set(visible_windows())
    app.keys(win, "F2")
    dialog = wait_windows_named(SAVE_DIALOG, timeout=30)
    time.sleep(0.5)
    app.type_text(dialog, win_path(path))
    time.sleep(0.3)
    xdotool("key", "--clearmodifiers", "Return")
    answered = set()
    deadline = time.time() + 30
    while time.time() < deadline:
        if app.find_windows(BOX):
            time.sleep(0.5)
            return box_text()
        # The dialog's replace question: a window of its own whose default button is "Yes".
        extra = set(visible_windows()) - before - {str(dialog)} - answered
        if extra:
            time.sleep(0.5)
            question = extra.pop()
            title = subprocess.run(["xdotool", "getwindowname", question], capture_output=True, text=True).stdout
            if title.strip() == BOX:
                continue
            app.keys(int(question), "Return")
            answered.add(question)
            continue
        time.sleep(0.3)
    app.screenshot("pellmark-export-stuck.png")
    return None


def close_box(app):
    box = app.wait_window(BOX, timeout=10)
    app.keys(box, "Return")
    return app.wait_no_window(BOX, 20)


def read_csv(path):
    data = open(path, "rb").read()
    return data, list(csv.reader(io.StringIO(data.decode(ANSI), newline="")))


def visible_windows():
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."], capture_output=True, text=True)
    return sorted(out.stdout.split())


# A test copy of the program with the double beside it; an empty folder for the exports.
os.makedirs(test_dir, exist_ok=True)
for name in ("Pellmark.exe", "TavrinSupport0100.dll"):
    shutil.copy(os.path.join(bin_dir, name), test_dir)
shutil.copy(os.path.join(bin_dir, "psapi-double", "psapi.dll"), test_dir)
if os.path.exists(out_dir):
    for name in os.listdir(out_dir):
        os.chmod(os.path.join(out_dir, name), stat.S_IRUSR | stat.S_IWUSR)
    shutil.rmtree(out_dir)
os.makedirs(out_dir)

app = GuiApp(build, os.path.join(test_dir, "Pellmark.exe"), env=ENV)
try:
    win = app.wait_window("Pellmark", timeout=60)
    time.sleep(1)
    shown = rows()
    check(shown is not None and len(shown) == 4 and '"' in shown[3][0], "the list holds the quoted driver: %r" % (shown,))

    # Keys with a shift state other than their own do nothing: no box, no dialog, still open.
    before = visible_windows()
    app.keys(win, "ctrl+shift+F1", "shift+F5", "shift+Escape")
    time.sleep(1.5)
    check(visible_windows() == before, "Ctrl+Shift+F1, Shift+F5, Shift+Esc open no window")
    check(app.proc.poll() is None and app.find_windows("Pellmark"), "Shift+Esc leaves the program running")
    check(os.listdir(out_dir) == [], "and write nothing")

    # Export to a name without extension: written as typed, header first, quotes doubled.
    target = os.path.join(out_dir, "drivers")
    text = export_to(app, win, target)
    check(text is not None and "Готово ^_^" in text, "the success box: %r" % (text,))
    app.screenshot("pellmark-export-done.png")
    check(close_box(app), "the success box closes with Enter")
    check(sorted(os.listdir(out_dir)) == ["drivers"], "the file has the typed name and no added extension: %r"
          % (os.listdir(out_dir),))
    data, table = read_csv(target)
    expected = [["Name", "Address", "Path"]] + (shown or [])
    check(table == expected, "the CSV holds the header and the rows: %r" % (table,))
    lines = data.split(b"\r\n")
    check(lines[-1] == b"" and all(b"\n" not in line for line in lines), "every line ends with CR LF")
    check(all(len(row) == 3 for row in table), "three columns on every line")
    check(b'"odd""name"".sys"' in data and b'"Drivers, quoted""' in data, "quotes inside cells are doubled")
    check("Ясень.sys".encode(ANSI) in data, "text in the ANSI code page")

    # Over an existing, longer file: replaced entirely.
    with open(target, "wb") as f:
        f.write(b"x" * 10000)
    text = export_to(app, win, target)
    check(text is not None and "Готово ^_^" in text, "the success box over an existing file")
    check(close_box(app), "closed")
    check(read_csv(target)[1] == expected, "the old file is replaced by the export")

    # A read-only target: the error box, and the old file byte for byte as it was.
    locked = os.path.join(out_dir, "locked.csv")
    old = b'"old","content"\r\n'
    with open(locked, "wb") as f:
        f.write(old)
    os.chmod(locked, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
    text = export_to(app, win, locked)
    app.screenshot("pellmark-export-error.png")
    check(text is not None and "Ошибка 70" in text and "Brindle0100" in text and "Готово" not in text,
          "the error box names error 70 and its source: %r" % (text,))
    check(close_box(app), "the error box closes with Enter")
    check(open(locked, "rb").read() == old, "the read-only file is untouched")
    check(rows() == shown, "the list is untouched")

    app.keys(win, "Escape")
    check(app.wait_exit(30) is not None, "Esc closes the program")
finally:
    app.kill()
    for name in os.listdir(out_dir):
        os.chmod(os.path.join(out_dir, name), stat.S_IRUSR | stat.S_IWUSR)

if failures:
    print("%d check(s) failed" % len(failures))
    sys.exit(1)
print("ALL OK")
