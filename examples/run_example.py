#!/usr/bin/env python3
"""Runs one example against a folder prepared for it and compares what it prints with the
expected output checked in beside it:

    run_example.py BUILD_DIR EXAMPLE EXPECTED [ARGUMENT...]

EXAMPLE is a .vbs or .js file (run by the script host of the build's Wine prefix, where the
library is registered) or a program's name in BUILD_DIR/bin. The folder is made fresh under
BUILD_DIR for each run by the preparation named after the example (its name without extension).
"{folder}" in an argument stands for the folder's Windows path; without arguments the example
gets just that path. Output lines lose their CR; a difference fails the run and is shown."""
import difflib
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
WINE_RUN = os.path.join(HERE, "..", "scripts", "wine-run")


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def utf16_be(text):
    return b"\xfe\xff" + text.encode("utf-16-be")


def prepare_utf16_to_le(folder, build):
    write(os.path.join(folder, "greeting.txt"), utf16_be("Gr\u00fc\u00dfe, \u043c\u0438\u0440 \U0001F600\r\n"))
    write(os.path.join(folder, "notes.txt"), b"\xff\xfe" + "already little-endian\r\n".encode("utf-16-le"))
    write(os.path.join(folder, "odd.txt"), utf16_be("abc") + b"\x00")
    write(os.path.join(folder, "plain.txt"), b"plain ANSI text\r\n")


def prepare_largest_folders(folder, build):
    sizes = {
        "readme.txt": 100,
        "docs/manual.pdf": 5000, "docs/guide/g1.html": 3000, "docs/guide/g2.html": 200,
        "docs/drafts/d.txt": 50,
        "photos/2023/p1.jpg": 40000, "photos/2023/p2.jpg": 30000, "photos/2024/p3.jpg": 20000,
        "photos/raw/r.raw": 90000,
        "music/m.ogg": 15000, "music/live/l.ogg": 7000,
        "src/s.c": 1200, "src/lib/x.c": 800, "src/test/t.c": 600, "src/build/b.obj": 25000,
    }
    for name, size in sizes.items():
        write(os.path.join(folder, name), b"x" * size)
    os.makedirs(os.path.join(folder, "empty"))


prepare_tree_size = prepare_largest_folders


def prepare_dll_versions(folder, build):
    for dll in ("Brindle0100.dll", "TavrinComponents0100.dll"):
        shutil.copy(os.path.join(build, "bin", dll), folder)
    write(os.path.join(folder, "readme.dll"), b"not a program\r\n")
    write(os.path.join(folder, "notes.txt"), b"not a DLL either\r\n")


def prepare_zone_marks(folder, build):
    write(os.path.join(folder, "downloads.lst"),
          b"; the files fetched from the web\r\nsetup.exe\r\nreport.pdf\r\n\r\nmissing.zip\r\n")
    for name in ("setup.exe", "report.pdf", "local.txt"):
        write(os.path.join(folder, name), b"content\r\n")


def prepare_rename_keep_descriptions(folder, build):
    write(os.path.join(folder, "Descript.ion"),
          b'"harbour at dawn.jpeg" First light over the harbour\r\n'
          b"boats.jpeg Fishing boats at noon\r\n"
          b"notes.txt Where and when\r\n"
          b"old.jpeg Taken long ago\r\n")
    for name in ("harbour at dawn.jpeg", "boats.jpeg", "market.jpeg", "notes.txt"):
        write(os.path.join(folder, name), b"picture\r\n")


def prepare_alternate_streams(folder, build):
    write(os.path.join(folder, "setup.exe"), b"content\r\n")


def prepare_file_icons(folder, build):
    write(os.path.join(folder, "notes.txt"), b"text\r\n")
    os.makedirs(os.path.join(folder, "Photos"))
    shutil.copy(os.path.join(build, "bin", "Pellmark.exe"), os.path.join(folder, "tool.exe"))


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def main():
    build, example, expected = sys.argv[1:4]
    build = os.path.abspath(build)
    name = os.path.splitext(os.path.basename(example))[0]
    work = tempfile.mkdtemp(prefix="example-" + name + ".", dir=build)
    try:
        folder = os.path.join(work, "folder")
        os.makedirs(folder)
        globals()["prepare_" + name](folder, build)
        arguments = [a.replace("{folder}", windows_path(folder)) for a in sys.argv[4:] or ["{folder}"]]
        if example.endswith((".vbs", ".js")):
            command = [WINE_RUN, build, "cscript", "//nologo", windows_path(example)] + arguments
        else:
            command = [WINE_RUN, build, os.path.join(build, "bin", example)] + arguments
        run = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=240)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    got = run.stdout.decode("utf-8", "replace").replace("\r", "").splitlines()
    with open(expected, encoding="utf-8") as f:
        want = f.read().splitlines()
    sys.stdout.write("\n".join(got) + "\n")
    if run.returncode != 0:
        print("run_example: exit code %d" % run.returncode, file=sys.stderr)
        return 1
    if got != want:
        print("run_example: the output differs from %s:" % expected, file=sys.stderr)
        sys.stderr.writelines(line + "\n" for line in difflib.unified_diff(want, got, "expected", "printed", lineterm=""))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
