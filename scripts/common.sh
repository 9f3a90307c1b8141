# Shared by the project's scripts: paths, package set-up, builds and the wine prefix.
# Source it; it defines functions and variables only.

VORNEL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Every Debian package the build, the program and the tests need.
VORNEL_PACKAGES=(
  cmake ninja-build g++ googletest clang-format
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils fonts-noto-cjk imagemagick nsis
  clang-tidy cppcheck python3
  dpkg-dev lintian
)

log() { printf '==> %s\n' "$*" >&2; }

# Installs the packages that are not installed yet (apt-get update only when needed).
install_packages() {
  local missing=() p
  for p in "${VORNEL_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures (once) and builds one preset: native, windows, or release (the optimised
# build/release/vornel-convert for this machine; the native preset's is the sanitizer build the
# tests use, several times slower).
build_preset() {
  local preset="$1"
  cd "$VORNEL_ROOT" || return 1
  if [ ! -f "build/$preset/build.ninja" ]; then
    cmake --preset "$preset" >/dev/null || return 1
  fi
  cmake --build --preset "$preset" -- -j"$(nproc)"
}

# shellcheck source=scripts/wine-env.sh
. "$VORNEL_ROOT/scripts/wine-env.sh"

# Starts a private Xvfb display unless one is already set; exports DISPLAY. stop_xvfb ends it.
start_xvfb() {
  VORNEL_XVFB_PID=""
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 &
  VORNEL_XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  log "Xvfb did not start"
  return 1
}

stop_xvfb() {
  if [ -n "${VORNEL_XVFB_PID:-}" ]; then
    kill "$VORNEL_XVFB_PID" 2>/dev/null || true
    wait "$VORNEL_XVFB_PID" 2>/dev/null || true
  fi
}

# Makes a scratch folder below $1 and sets TMP to it. At exit it goes, with the virtual
# display and, once the caller has set WINE_UP=1, the wine server the caller started.
make_bench_scratch() {
  TMP="$(mktemp -d "$1/tmp.XXXXXX")"
  WINE_UP=0
  trap end_bench_scratch EXIT
}
# Writes the benchmark's inputs into $TMP with the generator $1 and waits until they are on the
# disk. Else the system writes them back about 30 s later, in the middle of some measure: a
# converter run that flushed its result while those 670 MiB went out took 390 ms instead of 70 to
# 100 ms (2026-12-09). Writing them back leaves them in the page cache as they were written.
write_bench_inputs() {
  "$1" "$TMP" 10 200
  sync -f "$TMP"
}
end_bench_scratch() {
  [ "$WINE_UP" = 0 ] || HOME="$VORNEL_WINE_HOME" wineserver -k || true
  stop_xvfb
  rm -rf "$TMP"
}
