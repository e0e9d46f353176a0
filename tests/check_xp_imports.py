#!/usr/bin/env python3
"""Fails when a shipped binary imports a system function that Windows XP does not have.

    check_xp_imports.py [--winnt 0x0502] OBJDUMP CXX BINARY...

The oracle is the platform headers themselves: every imported function of a system DLL is named
in a small program compiled with _WIN32_WINNT and WINVER set to Windows XP (0x0501, the oldest
32-bit host), or to the version --winnt gives (0x0502 for the x64 binaries: Windows XP x64 and
Server 2003 SP1, the oldest 64-bit hosts), where the headers declare only what that host has; a
name they do not declare is newer. A few functions the headers do not
gate by version are listed here by hand. The C runtime (msvcrt.dll) and the suite's own DLLs are
not system DLLs of this kind and are left out.
"""
import os
import re
import subprocess
import sys
import tempfile

HEADERS = ["windows.h", "shlwapi.h", "shellapi.h", "shlobj.h", "commctrl.h", "commdlg.h", "ole2.h",
           "oleauto.h", "olectl.h", "winver.h", "objbase.h"]
# Newer than XP although some headers declare them whatever the version asked for.
KNOWN_NEWER = {"GetTickCount64", "AcquireSRWLockExclusive", "ReleaseSRWLockExclusive",
               "AcquireSRWLockShared", "ReleaseSRWLockShared", "InitializeSRWLock",
               "InitializeConditionVariable", "SleepConditionVariableCS", "SleepConditionVariableSRW",
               "WakeConditionVariable", "WakeAllConditionVariable", "InitOnceExecuteOnce",
               "InitOnceBeginInitialize", "InitOnceComplete", "CompareStringOrdinal",
               "GetFinalPathNameByHandleW", "GetVolumeInformationByHandleW", "CreateSymbolicLinkW",
               "SetFileInformationByHandle", "GetFileInformationByHandleEx", "RegDeleteTreeW",
               "GetErrorMode", "LocaleNameToLCID"}
OWN_OR_RUNTIME = re.compile(r"^(msvcrt|tavrin.*|libgcc.*|libstdc.*)\.dll$", re.I)


def imports(objdump, binary):
    out = subprocess.run([objdump, "-p", binary], capture_output=True, text=True, check=True).stdout
    result, dll = [], None
    for line in out.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1)
            continue
        m = re.match(r"\t[0-9a-f]+\t\s*\d+\s+(\w+)$", line)
        if m and dll:
            result.append((dll, m.group(1)))
    return result


def main(argv):
    winnt = "0x0501"
    if argv[:1] == ["--winnt"]:
        winnt, argv = argv[1], argv[2:]
    host = {"0x0501": "Windows XP", "0x0502": "Windows XP x64 / Server 2003 SP1"}.get(winnt, f"Windows {winnt}")
    objdump, cxx, binaries = argv[0], argv[1], argv[2:]
    wanted = {}
    for binary in binaries:
        found = imports(objdump, binary)
        if not found:
            print(f"FAIL {os.path.basename(binary)}: no import table read")
            return 1
        for dll, name in found:
            if not OWN_OR_RUNTIME.match(dll):
                wanted.setdefault(name, set()).add(f"{os.path.basename(binary)} ({dll})")
    failures = sorted(n for n in wanted if n in KNOWN_NEWER)
    with tempfile.TemporaryDirectory() as work:
        # One function per line, so that the compiler's complaints name each missing one.
        names = sorted(n for n in wanted if n not in KNOWN_NEWER)
        source = os.path.join(work, "xp.cpp")
        with open(source, "w") as f:
            f.write(f"#define _WIN32_WINNT {winnt}\n#define WINVER {winnt}\n#define UNICODE\n#define _UNICODE\n")
            f.writelines(f"#include <{h}>\n" for h in HEADERS)
            f.write("void* all[] = {\n")
            f.writelines(f"    reinterpret_cast<void*>(&::{n}),\n" for n in names)
            f.write("};\n")
        run = subprocess.run([cxx, "-std=c++17", "-fsyntax-only", "-ferror-limit=0" if "clang" in cxx else "-fmax-errors=0",
                              source], capture_output=True, text=True)
        for line in run.stderr.splitlines():
            m = re.search(r"xp\.cpp:(\d+):\d+: error", line)
            if m:
                index = int(m.group(1)) - (len(HEADERS) + 6)
                if 0 <= index < len(names):
                    failures.append(names[index])
    for name in sorted(set(failures)):
        print(f"FAIL {name} is newer than {host}: imported by {', '.join(sorted(wanted[name]))}")
    if failures:
        return 1
    print(f"ok   {len(wanted)} system functions imported by {len(binaries)} binaries, all on {host}")
    print("ALL OK")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
