#!/usr/bin/python3
"""The packages in a fresh 64-bit Wine prefix of their own:

    install_test.py SOURCE_ROOT BIN32 BIN64 DIST

1. regsvr32 /n /i:user of the x64 Brindle0100.dll writes exactly the generated entries under
   HKCU\\Software\\Classes and nothing under HKLM; the script host creates and calls every class;
   /u /n /i:user leaves the registry as it was.
2. The package for 32-bit Windows refuses this 64-bit host.
3. msiexec /i Tavrin.msi /qn: the files of both bitnesses, the Start-menu entry, the registration
   of both views exactly as generated; every class called from the 64-bit script host (and from
   the 32-bit one where this machine runs 32-bit Wine).
   A repair brings back a removed file and class.
4. A package of a newer version replaces it; the classes still answer.
5. msiexec /x /qn: a registry and file snapshot that holds nothing of ours.
"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import make_package  # noqa: E402

root, bin32, bin64, dist = sys.argv[1:5]
failures = 0


def check(ok, what):
    global failures
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    failures += 0 if ok else 1
    return ok


work = tempfile.mkdtemp(prefix="install-test.", dir=os.path.dirname(os.path.abspath(dist)))
# Without the menu builder, the Start-menu entry stays inside the prefix (no desktop file of this
# machine's user is made).
env = dict(os.environ, WINEPREFIX=os.path.join(work, "wine"), WINEARCH="win64", WINEDEBUG="-all",
           WINELOADER="/usr/lib/wine/wine64", WINEDLLOVERRIDES="winemenubuilder.exe=d")
drive_c = os.path.join(work, "wine", "drive_c")


def wine(*args, loader="/usr/lib/wine/wine64"):
    return subprocess.run([loader, *args], env=env, capture_output=True, text=True, errors="replace")


def same(found, wanted, what):
    """Checks two sets of snapshot lines, naming a few of the lines on either side only."""
    extra, missing = sorted(found - wanted), sorted(wanted - found)
    return check(not extra and not missing, what + "".join("\n       + " + l for l in extra[:8]) +
                 "".join("\n       - " + l for l in missing[:8]))


def runs_win32():
    try:
        return wine("cmd", "/c", "exit", loader="/usr/lib/wine/wine").returncode == 0
    except OSError:
        return False


def leaves(lines):
    """The lines without the keys that only hold other keys or values (the registry files leave
    those out, so they are left out everywhere), with keys in lower case as the registry compares
    them."""
    lines = {(l.split("|", 1)[0].lower() + "|" + l.split("|", 1)[1]) if "|" in l else l.lower() for l in lines}
    parents = set()
    for line in lines:
        key = line.split("|", 1)[0]
        if "|" in line:
            parents.add(key)
        parts = key.split("\\")
        parents.update("\\".join(parts[:i]) for i in range(1, len(parts)))
    return {l for l in lines if "|" in l or l not in parents}


def snapshot():
    """Every key and value of the prefix as 'HIVE\\key|name=value' lines, and every file, once
    the prefix's processes and server have ended and its registry is on disk."""
    subprocess.run(["wineserver", "-w"], env=env)
    lines = set()
    for hive, name in (("HKLM", "system.reg"), ("HKCU", "user.reg")):
        with open(os.path.join(work, "wine", name), encoding="utf-8", errors="replace") as f:
            text = re.sub(r"\\\n\s*", "", f.read())
        key = None
        for line in text.splitlines():
            m = re.match(r"^\[(.*)\]( \d+)?$", line)
            if m:
                key = hive + "\\" + m.group(1).replace("\\\\", "\\")
                lines.add(key)
            elif key and not line.startswith("#") and "=" in line:
                name_part, value = re.match(r'^(@|"(?:[^"\\]|\\.)*")=(.*)$', line).groups()
                name_part = "" if name_part == "@" else name_part[1:-1].replace("\\\\", "\\")
                if value.startswith('"'):
                    value = value[1:-1].replace('\\"', '"').replace("\\\\", "\\")
                lines.add(f"{key}|{name_part}={value}")
    lines = leaves(lines)
    files = {os.path.relpath(os.path.join(d, f), drive_c) for d, _, fs in os.walk(drive_c) for f in fs}
    return lines, files


def expected(entries, base, platform, path):
    """The generated registration as snapshot lines under `base`."""
    out = set()
    folder = path[:path.rindex("\\") + 1]
    for key, name, value in entries:
        key = base + "\\" + key.replace("[platform]", platform)
        out.add(key)
        if value is not None:
            out.add(f"{key}|{name or ''}={value.replace('[#file]', path).replace('[dir]', folder)}")
    return leaves(out)


def below(lines, base):
    """The lines under `base`, without the installer service's own records."""
    base = base.lower()
    return {l for l in lines if (l.startswith(base + "\\") or l.startswith(base + "|")) and "\\installer\\" not in l}


def call_every_class(folder, cscript="C:\\windows\\system32\\cscript.exe", loader="/usr/lib/wine/wine64"):
    script = os.path.join(drive_c, "every_class.js")
    with open(script, "w", encoding="utf-8") as f:
        f.write(r"""var dir = "%s", scratch = "C:\\every_class.txt", fso = new ActiveXObject("Brindle.tavFSO");
fso.PutFile(scratch, "x", true);
var results = [fso.GetFile(scratch) == "x", new ActiveXObject("Brindle.tavDescriptIon").FileName == "",
  new ActiveXObject("Brindle.tavFileStreams").Count == 0, new ActiveXObject("Brindle.tavFoundedFiles").Refresh(dir, "*.dll"),
  new ActiveXObject("Brindle.IFindFilesCallback").DirectoryCompleted(dir, false) === undefined,
  new ActiveXObject("Brindle.tavFileVersion").ReadFile(dir + "\\Brindle0100.dll"),
  new ActiveXObject("Brindle.tavShellFileInfo").ReadFile(dir + "\\TavrinSupport0100.dll")];
WScript.Echo(results.join(" "));
""" % folder.replace("\\", "\\\\"))
    out = wine(cscript, "//nologo", "C:\\every_class.js", loader=loader).stdout.strip()
    return check(out == " ".join(["true"] * 7), f"every class from {cscript} with {folder} ({out or 'no output'})")


def installed_product_codes(lines):
    uninstall = "hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\"
    return {re.split(r"[\\|]", l[len(uninstall):])[0].upper() for l in lines if l.startswith(uninstall) and "|DisplayName=Tavrin" in l}


try:
    assert wine("wineboot", "-i").returncode == 0 or os.path.isdir(drive_c)
    # What the prefix sets up at its first start and the script host registers at its first run
    # is done before the first snapshot.
    with open(os.path.join(drive_c, "nothing.js"), "w") as f:
        f.write("WScript.Echo(1);\n")
    wine("cscript", "//nologo", "C:\\nothing.js")
    brindle, components = make_package.brindle_registry(root), make_package.components_registry(root)
    before, files_before = snapshot()
    built64 = "Z:" + os.path.abspath(os.path.join(bin64, "Brindle0100.dll")).replace("/", "\\")

    # 1. For the current user only.
    check(wine("regsvr32", "/s", "/n", "/i:user", built64).returncode == 0, "regsvr32 /n /i:user")
    user, _ = snapshot()
    same(below(user, "HKLM\\Software"), below(before, "HKLM\\Software"), "nothing written under HKLM\\Software")
    same(below(user - before, "HKCU\\Software\\Classes"),
         expected(brindle, "HKCU\\Software\\Classes", "win64", built64) - before,
         "HKCU\\Software\\Classes holds exactly the generated registration")
    # Wine's COM finds classes under HKLM\Software\Classes only (its HKEY_CLASSES_ROOT does not
    # merge the user's classes), so the script host cannot create them from here; that these
    # entries serve clients is shown by the same entries under HKLM below.
    check(wine("regsvr32", "/s", "/u", "/n", "/i:user", built64).returncode == 0, "regsvr32 /u /n /i:user")
    # (On Windows the user's classes key is the root of a hive of its own and is always there.)
    software = lambda lines: (below(lines, "HKLM\\Software") | below(lines, "HKCU\\Software")) - {"hkcu\\software\\classes"}
    same(software(snapshot()[0]), software(before), "the registry is as it was")

    # 2. The 32-bit package is not for this host.
    x86 = "Z:" + os.path.abspath(os.path.join(dist, "Tavrin-x86.msi")).replace("/", "\\")
    check(wine("msiexec", "/i", x86, "/qn").returncode != 0 and not installed_product_codes(snapshot()[0]),
          "Tavrin-x86.msi refuses a 64-bit host")

    # 3. The package for 64-bit Windows.
    msi = "Z:" + os.path.abspath(os.path.join(dist, "Tavrin.msi")).replace("/", "\\")
    check(wine("msiexec", "/i", msi, "/qn").returncode == 0, "msiexec /i Tavrin.msi /qn")
    installed, files = snapshot()
    codes = installed_product_codes(installed)
    check(len(codes) == 1, f"one product installed {sorted(codes)}")
    place64, place32 = "C:\\Program Files\\Tavrin", "C:\\Program Files (x86)\\Tavrin"
    for folder, source, names in ((place64, bin64, make_package.FILES64), (place32, bin32, make_package.FILES32)):
        for name in names:
            target = os.path.join(drive_c, folder[3:].replace("\\", "/"), name)
            identical = os.path.isfile(target) and hashlib.sha256(open(target, "rb").read()).digest() == \
                hashlib.sha256(open(os.path.join(source, name), "rb").read()).digest()
            check(identical, f"{folder}\\{name} is the built file")
    check(any(f.endswith("Programs/Pellmark.lnk") for f in files), "the Start-menu entry Pellmark")
    classes = "HKLM\\Software\\Classes"
    typelib = [e for e in brindle if e[0].startswith("TypeLib\\")]
    wanted = expected(brindle, classes, "win64", place64 + "\\Brindle0100.dll") | \
        expected(components, classes, "win64", place64 + "\\TavrinComponents0100.dll") | \
        expected([e for e in brindle if e not in typelib], classes + "\\Wow6432Node", "win32",
                 place32 + "\\Brindle0100.dll") | \
        expected(typelib, classes, "win32", place32 + "\\Brindle0100.dll")
    # The type library's key is one for both views; each library adds its platform's subkey, and
    # its folder (HELPDIR) is the one written last, as with regsvr32 of both.
    helpdir = re.compile(r"\\helpdir\|")
    written = below(installed - before, classes)
    same({l for l in written if not helpdir.search(l)}, {l for l in wanted - before if not helpdir.search(l)},
         "both views hold exactly the generated registration")
    check(len({l for l in written if helpdir.search(l)} & wanted) == 1, "with one of the two folders as HELPDIR")
    call_every_class(place64)
    if runs_win32():
        call_every_class(place32, "C:\\windows\\syswow64\\cscript.exe", "/usr/lib/wine/wine")
    else:
        print("skip the 32-bit script host: this machine does not run 32-bit Wine")

    # A repair brings back a removed file and a removed class. (Wine's msiexec fails /f; the same
    # repair through its documented properties runs.)
    dll64 = os.path.join(drive_c, "Program Files", "Tavrin", "Brindle0100.dll")
    os.remove(dll64)
    fso_key = "HKLM\\Software\\Classes\\" + next(e[0] for e in brindle if e[2] == "tavFSO")
    wine("reg", "delete", fso_key, "/f")
    check(wine("msiexec", "/i", next(iter(codes)), "REINSTALL=ALL", "REINSTALLMODE=amus", "/qn").returncode == 0,
          "repair: msiexec /i {product} REINSTALL=ALL REINSTALLMODE=amus")
    repaired, _ = snapshot()
    same(below(repaired, "HKLM\\Software\\Classes"), below(installed, "HKLM\\Software\\Classes"),
         "the registration is whole again")
    check(os.path.isfile(dll64) and open(dll64, "rb").read() == open(os.path.join(bin64, "Brindle0100.dll"), "rb").read(),
          "and the file")

    # 4. A newer package replaces it.
    newer = os.path.join(work, "newer")
    subprocess.run(["/usr/bin/python3", make_package.__file__, root, bin32, bin64, newer, "--version", "1.0.99",
                    "--name", "TavrinNewer"], check=True, capture_output=True)
    newer_msi = "Z:" + os.path.join(newer, "TavrinNewer.msi").replace("/", "\\")
    check(wine("msiexec", "/i", newer_msi, "/qn").returncode == 0, "msiexec /i of a newer package")
    upgraded, _ = snapshot()
    new_codes = installed_product_codes(upgraded)
    check(len(new_codes) == 1 and not (new_codes & codes), "the newer product replaced the older one")
    same(below(upgraded, "HKLM\\Software\\Classes"), below(installed, "HKLM\\Software\\Classes"),
         "with the same registration")
    call_every_class(place64)

    # 5. Uninstall without a trace.
    check(wine("msiexec", "/x", new_codes.pop() if new_codes else "{}", "/qn").returncode == 0, "msiexec /x /qn")
    after, files_after = snapshot()
    ours = {make_package.UPGRADE_CODE, *codes, *new_codes} | {g for e in brindle + components
                                                              for g in re.findall(r"\{[0-9A-F-]{36}\}", e[0] + (e[2] or ""))}
    markers = re.compile("|".join([re.escape(g.strip("{}")) for g in ours] + [make_package.packed(g) for g in ours] +
                                  ["Brindle", "Tavrin", "Pellmark"]), re.I)
    left = sorted(l for l in (after - before) | (files_after - files_before) if markers.search(l))
    check(not left, "nothing of ours left" + "".join("\n       " + l for l in left[:20]))
    other = sorted((after - before) | (files_after - files_before))
    print(f"info {len(other)} other registry and file entries left in the prefix, none of them ours"
          + "".join("\n       " + l for l in other[:10]))
finally:
    subprocess.run(["wineserver", "-k"], env=env)
    shutil.rmtree(work, ignore_errors=True)

print(f"{failures} check(s) failed" if failures else "ALL OK")
sys.exit(1 if failures else 0)
