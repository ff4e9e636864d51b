# Shared by the scripts: where things are, and building both trees.
# Sourced, not run.
TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD_HOST="$TOP/build/host"
BUILD_TARGET="$TOP/build/target"
PNG_PREFIX="$TOP/build/cache/libpng-mingw"
JOBS=${JOBS:-$(nproc)}

# Which Wine runs the Wine-side tests: "win32" runs Tallowin.exe itself (the
# 32-bit build) under Wine's 32-bit loader; "win64" runs a 64-bit build of the
# same sources, from build/target64, under wine64. The second is for machines
# whose kernel refuses 32-bit programs: there every 32-bit process would have
# to be emulated (qemu's user mode takes about two minutes to start one).
# TALLOWIN_WINE_ARCH overrides the choice.
wine_tests_arch() {
  if [ -n "${TALLOWIN_WINE_ARCH:-}" ]; then
    echo "$TALLOWIN_WINE_ARCH"
  elif [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] || ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo win64
  else
    echo win32
  fi
}
if [ "$(wine_tests_arch)" = win64 ]; then
  BUILD_WINE="$TOP/build/target64"
  WINE_LOADER=/usr/lib/wine/wine64
else
  BUILD_WINE="$BUILD_TARGET"
  WINE_LOADER=/usr/lib/wine/wine
fi

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

# configure_target DIR TOOLCHAIN ARCH PNG_PREFIX [cmake options...]
configure_target() {
  local dir=$1 toolchain=$2 arch=$3 png_prefix=$4
  shift 4
  local png_lib="$png_prefix/lib/libpng16.a"
  [ -f "$png_lib" ] || png_lib="$png_prefix/lib/libpng.a"
  quiet_step cmake -S "$TOP" -B "$dir" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$TOP/cmake/$toolchain" \
    -DPNG_LIBRARY="$png_lib" -DPNG_PNG_INCLUDE_DIR="$png_prefix/include" \
    -DZLIB_LIBRARY="/usr/$arch-w64-mingw32/lib/libz.a" -DZLIB_INCLUDE_DIR="/usr/$arch-w64-mingw32/include" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$TOP/scripts/lib/wine-exec" "$@"
}

configure_and_build() {
  quiet_step cmake -S "$TOP" -B "$BUILD_HOST" -G "Unix Makefiles" || return 1
  quiet_step cmake --build "$BUILD_HOST" -j"$JOBS" || return 1
  configure_target "$BUILD_TARGET" mingw-i686.cmake i686 "$PNG_PREFIX" "$@" || return 1
  if [ "$BUILD_WINE" = "$BUILD_TARGET" ]; then
    quiet_step cmake --build "$BUILD_TARGET" -j"$JOBS" || return 1
  else
    # Its tests do not run here: the program alone.
    quiet_step cmake --build "$BUILD_TARGET" -j"$JOBS" --target Tallowin || return 1
  fi
  if [ "$BUILD_WINE" != "$BUILD_TARGET" ]; then
    configure_target "$BUILD_WINE" mingw-x86_64.cmake x86_64 "$TOP/build/cache/libpng-mingw64" "$@" || return 1
    quiet_step cmake --build "$BUILD_WINE" -j"$JOBS" || return 1
  fi
}
