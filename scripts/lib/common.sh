# Shared by the scripts: where things are, and building both trees.
# Sourced, not run.
TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD_HOST="$TOP/build/host"
BUILD_TARGET="$TOP/build/target"
PNG_PREFIX="$TOP/build/cache/libpng-mingw"
JOBS=${JOBS:-$(nproc)}

# Runs a build step quietly; on failure shows what went wrong.
quiet_step() {
  local log="$TOP/build/last-step.log"
  mkdir -p "$TOP/build"
  if ! "$@" >"$log" 2>&1; then
    grep -E -B2 -A6 'error|Error' "$log" | head -80
    echo "failed: $*" >&2
    return 1
  fi
  grep -E 'warning:' "$log" | head -20 || true
}

configure_and_build() {
  local png_lib="$PNG_PREFIX/lib/libpng16.a"
  [ -f "$png_lib" ] || png_lib="$PNG_PREFIX/lib/libpng.a"
  quiet_step cmake -S "$TOP" -B "$BUILD_HOST" -G "Unix Makefiles" || return 1
  quiet_step cmake --build "$BUILD_HOST" -j"$JOBS" || return 1
  quiet_step cmake -S "$TOP" -B "$BUILD_TARGET" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$TOP/cmake/mingw-i686.cmake" \
    -DPNG_LIBRARY="$png_lib" -DPNG_PNG_INCLUDE_DIR="$PNG_PREFIX/include" \
    -DZLIB_LIBRARY=/usr/i686-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/i686-w64-mingw32/include \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$TOP/scripts/lib/wine-exec" "$@" || return 1
  quiet_step cmake --build "$BUILD_TARGET" -j"$JOBS" || return 1
}
