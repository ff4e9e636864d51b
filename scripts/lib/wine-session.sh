# A private X display and a warm Wine prefix for running the target:
# start_wine_session starts Xvfb (before any Wine command, so the wineserver
# gets a display), prepares the prefix with a 1024x768 virtual desktop and
# keeps a wineserver alive; stop_wine_session ends what it started, by id.
# Sourced, not run; needs common.sh first.
WINE_PREFIX_DIR="$BUILD_WINE/wineprefix"
XVFB_PID=""
WINESERVER_PID=""

start_wine_session() {
  local width=${1:-1024} height=${2:-768}
  mkdir -p "$BUILD_WINE"
  unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY
  export WINEPREFIX="$WINE_PREFIX_DIR" WINEARCH="$(wine_tests_arch)" WINEDEBUG=-all WINE_LOADER
  export LANG=zh_CN.UTF-8
  unset LC_ALL
  if [ -z "${DISPLAY:-}" ] || [ "${TALLOWIN_PRIVATE_X:-1}" = 1 ]; then
    local fd_file="$BUILD_WINE/xvfb.display"
    rm -f "$fd_file"
    Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      [ -s "$fd_file" ] && break
      sleep 0.1
    done
    [ -s "$fd_file" ] || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(head -n 1 "$fd_file")"
  fi
  if [ ! -f "$WINEPREFIX/.tallowin-ready" ]; then
    echo "wine: preparing the prefix"
    "$WINE_LOADER" wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # Debian's Wine does not find its own fonts-wine files by itself; without
    # Marlett the caption buttons show letters instead of their symbols.
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # Every process shares one virtual desktop, which draws the frames
    # itself: no window manager is needed and the screen size is fixed.
    "$WINE_LOADER" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    "$WINE_LOADER" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "${width}x${height}" /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.tallowin-ready"
  fi
  wineserver -f -p >/dev/null 2>&1 &
  WINESERVER_PID=$!
  trap stop_wine_session EXIT
}

stop_wine_session() {
  if [ -n "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  # Either may be gone already (wineserver -k ends the server); that is fine.
  if [ -n "$WINESERVER_PID" ]; then kill "$WINESERVER_PID" 2>/dev/null || true; fi
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  WINESERVER_PID="" XVFB_PID=""
}
