#!/usr/bin/env bash
# The deliverables of one bitness as shipped: check_deliverables.sh BIN_DIR [i686|x86_64]
# - every file is there and is a Windows image of that bitness, and every binary carries a
#   version resource (by which an installer decides whether to replace it);
# - the DLLs export their entry points under plain names (no stdcall @N);
# - nothing depends on the MinGW runtime DLLs, and Pellmark does not link psapi (it binds it
#   by name at run time).
set -uo pipefail
bin=$1 arch=${2:-i686}
objdump=$arch-w64-mingw32-objdump
format=pei-i386 bits=32-bit
[ "$arch" = x86_64 ] && format=pei-x86-64 bits=x64
failures=0
check() { if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi; }

for f in Pellmark.exe TavrinSupport0100.dll Brindle0100.dll TavrinComponents0100.dll; do
  check "$f exists" "[ -f '$bin/$f' ]"
  [ -f "$bin/$f" ] || continue
  check "$f is a $bits image" "$objdump -f '$bin/$f' | grep -q 'file format $format\$'"
  check "$f has a version resource" "/usr/bin/python3 -c 'import pefile, sys; pe = pefile.PE(sys.argv[1]); sys.exit(0 if getattr(pe, \"VS_FIXEDFILEINFO\", None) else 1)' '$bin/$f'"
  check "$f needs no MinGW runtime DLL" "! $objdump -p '$bin/$f' | grep -i -E 'DLL Name: (libgcc|libstdc|libwinpthread)'"
done
exports() { $objdump -p "$bin/$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s*\['; }
for f in Brindle0100.dll TavrinComponents0100.dll; do
  check "$f exports the four server entry points undecorated" \
    "[ \$(exports $f | grep -c -E '\] (DllCanUnloadNow|DllGetClassObject|DllRegisterServer|DllUnregisterServer)$') -eq 4 ]"
done
check "Brindle0100.dll exports DllInstall undecorated (registration per user)" \
  "exports Brindle0100.dll | grep -q -E '\\] DllInstall$'"
check "TavrinSupport0100.dll exports 26 plain ts names" \
  "[ \$(exports TavrinSupport0100.dll | grep -c -E '\] ts[A-Za-z0-9]+$') -eq 26 ]"
check "Pellmark.exe does not link psapi" "! $objdump -p '$bin/Pellmark.exe' | grep -i 'DLL Name: psapi'"
check "ReadMe.TXT lies beside Pellmark.exe" "[ -f '$bin/ReadMe.TXT' ]"

[ $failures -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "ALL OK"
