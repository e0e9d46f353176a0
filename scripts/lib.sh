# Shared shell helpers of the build, test and run scripts (sourced, not run).
#
# The deliverables are built for both bitnesses: 32-bit into build/, x64 into build/x64, and
# packaged into build/dist (scripts/package). Running the 32-bit ones needs a kernel that executes
# 32-bit Linux programs (32-bit Wine); where that is switched off (ia32_emulation=off), the tests
# run from build/x64 under 64-bit Wine, and only there are the x64 tests built.

TAVRIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TAVRIN_BUILD="$TAVRIN_ROOT/build"

tavrin_can_run_win32() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The build folder whose binaries this machine runs.
tavrin_run_dir() {
  if tavrin_can_run_win32; then echo "$TAVRIN_BUILD"; else echo "$TAVRIN_BUILD/x64"; fi
}

# Configures and builds one tree: tavrin_build_tree DIR TOOLCHAIN [TARGET...]
tavrin_build_tree() {
  local dir=$1 toolchain=$2 werror=OFF targets=()
  shift 2
  for t in "$@"; do targets+=(--target "$t"); done
  [ -n "${CI:-}" ] && werror=ON
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$TAVRIN_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$TAVRIN_ROOT/cmake/toolchain-$toolchain.cmake" -DTAVRIN_WERROR=$werror >/dev/null
  fi
  cmake --build "$dir" "${targets[@]}" -- -k 0
}

tavrin_build_all() {
  tavrin_build_tree "$TAVRIN_BUILD" i686
  if tavrin_can_run_win32; then
    # The tests run from build/: of the x64 tree only what ships.
    tavrin_build_tree "$TAVRIN_BUILD/x64" x86_64 Brindle0100 TavrinSupport0100 TavrinComponents0100 Pellmark
  else
    tavrin_build_tree "$TAVRIN_BUILD/x64" x86_64
  fi
  "$TAVRIN_ROOT/scripts/package"
}
