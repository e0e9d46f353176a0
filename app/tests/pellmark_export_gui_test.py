"""The export of the real Pellmark.exe under Xvfb, with the psapi double's set holding double
quotes: F2, a file name typed into the platform's save dialog, the file read back as CSV, the
success box; an export over an existing file; an export onto a read-only file that shows the
error box and leaves the file as it was; keys with the wrong shift state that open nothing.
    pellmark_export_gui_test.py BUILD_DIR"""
import csv
import io
import os
import shutil
import stat
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "gui"))
from guihelper import (POLL_SECONDS, GuiApp, list_view_rows, run_wine, visible_windows, wait_for,  # noqa: E402
                       wait_until, win_path, window_name, xdotool)

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


def lvdump(*args):
    """What lvdump reads from a window of the program ("" when it wrote nothing)."""
    out = os.path.join(test_dir, "lvdump.txt")
    if os.path.exists(out):
        os.remove(out)
    wine(os.path.join(bin_dir, "lvdump.exe"), *args, win_path(out))
    return open(out, encoding="utf-8").read() if os.path.exists(out) else ""


def box_text():
    return lvdump("/box", BOX)


def name_field():
    """The save dialog's file name field as lvdump reads it: "focused" or "unfocused", a tab and
    its text; or what kept lvdump from reading it."""
    return lvdump("/name")


def export_to(app, win, path, first_keys=(), on_dialog=None):
    """`first_keys`, then F2, the name typed into the save dialog once its name field has the
    focus, Enter once the field holds the name; a replace question is answered yes. Returns the
    text of the box that follows (or None when none came). `on_dialog(new windows)` is called
    when the dialog has appeared, with the windows that were not there before the keys."""
    before = set(visible_windows())
    app.keys(win, *first_keys, "F2")
    dialog, _ = app.wait_windows_named(SAVE_DIALOG, timeout=30)
    if on_dialog:
        on_dialog(sorted(set(visible_windows()) - before))
    wait_for(lambda: name_field(), lambda f: f == "focused\t", 30,
             "the save dialog's empty name field has the focus")
    name = win_path(path)
    app.type_text(dialog, name)
    wait_for(lambda: name_field(), lambda f: f == "focused\t" + name, 30,
             "the save dialog's name field holds %r" % name)
    xdotool("key", "--clearmodifiers", "Return")
    answered = set()
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        if app.find_windows(BOX):
            return wait_until(box_text, 30, "the texts of the box %r" % BOX)
        # The dialog's replace question: a window of its own whose default button is "Yes".
        extra = set(visible_windows()) - before - {dialog} - answered
        for question in extra:
            if window_name(question) == BOX:
                continue
            app.keys(question, "Return")
            answered.add(question)
        time.sleep(POLL_SECONDS)
    app.screenshot("pellmark-export-stuck.png")
    return None


def close_box(app):
    box = app.wait_window(BOX, timeout=10)
    app.keys(box, "Return")
    return app.wait_no_window(BOX, 20)


def read_csv(path):
    data = open(path, "rb").read()
    return data, list(csv.reader(io.StringIO(data.decode(ANSI), newline="")))


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
    shown = wait_for(rows, lambda got: got is not None and len(got) == 4, 30, "the list of four drivers")
    check('"' in shown[3][0], "the list holds the quoted driver: %r" % (shown,))

    # Keys with a shift state other than their own, then F2: the save dialog that F2 opens is
    # the only new window (no about box held the keys, Shift+Esc did not close the program),
    # and nothing was written before it.
    def only_the_dialog(opened):
        check(len(opened) == 1 and window_name(opened[0]) in SAVE_DIALOG,
              "Ctrl+Shift+F1, Shift+F5, Shift+Esc open no window; F2 after them the save dialog: %r" % (opened,))
        check(os.listdir(out_dir) == [], "and write nothing")

    # Export to a name without extension: written as typed, header first, quotes doubled.
    target = os.path.join(out_dir, "drivers")
    text = export_to(app, win, target, first_keys=("ctrl+shift+F1", "shift+F5", "shift+Escape"),
                     on_dialog=only_the_dialog)
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
    check(text is not None and "Ошибка 75" in text and "Brindle0100" in text and "Готово" not in text,
          "the error box names error 75 and its source: %r" % (text,))
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
