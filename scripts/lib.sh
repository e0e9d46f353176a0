# Shared shell helpers of the build, test and run scripts (sourced, not run).
#
# The deliverables are 32-bit and always built into build/. Running them needs a kernel that
# executes 32-bit Linux programs (32-bit Wine); where that is switched off (ia32_emulation=off),
# the same sources are also built for x86-64 into build/x64 and the tests run there under
# 64-bit Wine.

TAVRIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TAVRIN_BUILD="$TAVRIN_ROOT/build"

tavrin_can_run_win32() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The build folder whose binaries this machine runs.
tavrin_run_dir() {
  if tavrin_can_run_win32; then echo "$TAVRIN_BUILD"; else echo "$TAVRIN_BUILD/x64"; fi
}

# Configures and builds one tree: tavrin_build_tree DIR TOOLCHAIN
tavrin_build_tree() {
  local dir=$1 toolchain=$2 werror=OFF
  [ -n "${CI:-}" ] && werror=ON
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$TAVRIN_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$TAVRIN_ROOT/cmake/toolchain-$toolchain.cmake" -DTAVRIN_WERROR=$werror >/dev/null
  fi
  cmake --build "$dir" -- -k 0
}

tavrin_build_all() {
  tavrin_build_tree "$TAVRIN_BUILD" i686
  if ! tavrin_can_run_win32; then
    tavrin_build_tree "$TAVRIN_BUILD/x64" x86_64
  fi
}
