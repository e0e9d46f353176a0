#!/usr/bin/python3
"""Compares tavFileVersion with an independent reader (Debian's pefile) over every DLL and EXE of
the Wine installation in a build folder's prefix: for each file that pefile finds a version
resource in, the fixed file and product versions and the FileVersion, ProductVersion and
CompanyName strings of the translation the class chooses must agree; a file without one must
give ReadFile False. The translation is chosen here again from pefile's table and the locale
answers the client reports.

    compare_with_pefile.py BUILD_DIR VERSION_DUMP_EXE
Exits 1 on any difference, listing each; prints the counts.
"""
import json
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

import pefile

STRINGS = ("FileVersion", "ProductVersion", "CompanyName")


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def translations(pe):
    """The translation entries in file order, read from the Var value pefile located."""
    table = []
    for info in getattr(pe, "FileInfo", []) or []:
        for entry in info:
            if getattr(entry, "Key", b"") != b"VarFileInfo":
                continue
            for var in getattr(entry, "Var", []):
                if b"Translation" not in getattr(var, "entry", {}):
                    continue
                start = var.get_file_offset() + 32  # header, "Translation" and its zero, aligned
                data = pe.__data__[start:start + var.ValueLength]
                table += [struct.unpack_from("<HH", data, i) for i in range(0, len(data) - 3, 4)]
    return table


def choose(table, user, system, acp):
    if not table:
        return (0x0409, 0x04B0)
    for language in (user, system):
        for condition in (lambda e: e[1] == acp, lambda e: e[1] == 0x04B0, lambda e: True):
            for e in table:
                if e[0] == language and condition(e):
                    return e
    for e in table:
        if e[0] == 0x0409:
            return e
    return table[0]


def string_table(pe, key):
    for info in getattr(pe, "FileInfo", []) or []:
        for entry in info:
            if getattr(entry, "Key", b"") != b"StringFileInfo":
                continue
            for st in entry.StringTable:
                if st.LangID.decode("ascii", "replace").upper() == key:
                    return {k.decode("utf-8", "replace"): v.decode("utf-8", "replace") for k, v in st.entries.items()}
    return {}


def expected(path, locale):
    """What pefile says about one file: None when it cannot read the file as PE."""
    try:
        pe = pefile.PE(str(path), fast_load=True)
        pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    except pefile.PEFormatError:
        return None
    fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
    if not fixed:
        return {"ok": False}
    f = fixed[0]
    language, code_page = choose(translations(pe), locale["user"], locale["system"], locale["acp"])
    strings = string_table(pe, "%04X%04X" % (language, code_page))
    result = {
        "ok": True,
        "file": [f.FileVersionMS >> 16, f.FileVersionMS & 0xFFFF, f.FileVersionLS >> 16, f.FileVersionLS & 0xFFFF],
        "product": [f.ProductVersionMS >> 16, f.ProductVersionMS & 0xFFFF, f.ProductVersionLS >> 16,
                    f.ProductVersionLS & 0xFFFF],
    }
    result.update({name: strings.get(name, "") for name in STRINGS})
    return result


def main():
    build, dump = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
    drive = build / "wine" / "drive_c"
    files = sorted(p for top in ("windows", "Program Files", "Program Files (x86)") if (drive / top).is_dir()
                   for p in (drive / top).rglob("*") if p.suffix.lower() in (".dll", ".exe") and p.is_file()
                   and not p.is_symlink())
    with tempfile.TemporaryDirectory() as work:
        listing, output = Path(work) / "files.txt", Path(work) / "dump.json"
        listing.write_text("".join(windows_path(p) + "\n" for p in files), encoding="utf-8")
        wine_run = Path(__file__).resolve().parents[3] / "scripts" / "wine-run"
        run = subprocess.run([str(wine_run), str(build), str(dump), windows_path(listing), windows_path(output)],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=900)
        if run.returncode != 0 or not output.exists():
            print("compare: version_dump failed:", run.returncode, run.stderr.decode(errors="replace")[-2000:])
            return 1
        lines = [json.loads(line) for line in output.read_text(encoding="utf-8").splitlines() if line.strip()]
    locale, got = lines[0], {line["path"]: line for line in lines[1:]}
    print("compare: locale user %04X system %04X code page %d" % (locale["user"], locale["system"], locale["acp"]))
    checked = with_resource = not_pe = not_pe_read = 0
    differences = []
    for path in files:
        want = expected(path, locale)
        have = got.get(windows_path(path))
        if want is None:
            not_pe += 1
            not_pe_read += bool(have and have["ok"])
            continue
        checked += 1
        if have is None:
            differences.append((path, "no answer from the client"))
            continue
        with_resource += want["ok"]
        for field, value in want.items():
            if have.get(field) != value:
                differences.append((path, "%s: tavFileVersion %r, pefile %r" % (field, have.get(field), value)))
    for path, what in differences:
        print("compare: DIFFERENCE %s: %s" % (path.relative_to(drive), what))
    print("compare: %d files checked (%d with a version resource), %d differences" % (checked, with_resource,
                                                                                  len(differences)))
    print("compare: %d files not read by pefile as PE (16-bit programs and the like); tavFileVersion read the"
          " version resource of %d of them" % (not_pe, not_pe_read))
    return 1 if differences or with_resource == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
