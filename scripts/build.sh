#!/usr/bin/env bash
# build.sh [native|win64|win32|fuzz|all]...: configures and builds into build/<name>.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
out=${ZARN_BUILD_ROOT:-$top/build}
mkdir -p "$out"; touch "$out/.zarn-build-root"
jobs=${ZARN_JOBS:-$(nproc)}
conf() { # name, extra cmake args...
  local name=$1; shift
  cmake -S "$top" -B "$out/$name" -G Ninja -DCMAKE_BUILD_TYPE=${ZARN_BUILD_TYPE:-RelWithDebInfo} "$@" >"$out/$name.configure.log" 2>&1 ||
    { cat "$out/$name.configure.log"; return 1; }
  cmake --build "$out/$name" -j "$jobs" >"$out/$name.build.log" 2>&1 ||
    { grep -E -B2 -A12 'error|FAILED' "$out/$name.build.log" | head -n 150; echo "build.sh: $name failed (log: $out/$name.build.log)"; return 1; }
}
targets=${*:-all}
[ "$targets" = all ] && targets="native fuzz win64 win32"
for t in $targets; do
  case $t in
    native) conf native -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc ;;
    fuzz)   conf fuzz -DZARN_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang ;;
    # Line tables only: crash backtraces keep file and line, the build takes a
    # fifth less time.
    win64)  conf win64 -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-x86_64.cmake" -DZARN_WIN32_DIR="$out/win32" \
              -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" ;;
    # Never run here (linked to prove it builds): no debug information.
    win32)  conf win32 -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-i686.cmake" \
              -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" ;;
    *) echo "build.sh: unknown build $t" >&2; exit 2 ;;
  esac
  echo "build.sh: $t built"
done
