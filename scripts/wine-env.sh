# Wine environment of the build: a private prefix and home below build/windows, so that
# nothing ever touches the real user's home or Documents folder. Source it.

_vornel_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export VORNEL_WINE_HOME="${VORNEL_WINE_HOME:-$_vornel_root/build/windows/home}"
export WINEPREFIX="${VORNEL_WINEPREFIX:-$_vornel_root/build/windows/wineprefix}"
export WINEDEBUG=-all
# No Mono or Gecko prompts, and no winemenubuilder: wine would start it for every shortcut
# created (the installer's), and it reads the program's icon from Vornel.exe a moment later,
# in a process of its own, while a test may already be replacing or removing that file.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64

# Creates the prefix once: Documents below the private home, no crash dialog, and
# "MS UI Gothic" drawn with Noto Sans CJK JP so that the Japanese texts render.
ensure_wine_prefix() {
  [ -f "$WINEPREFIX/.vornel-ready" ] && return 0
  mkdir -p "$VORNEL_WINE_HOME/Documents"
  (
    exec 9>"$WINEPREFIX.lock"
    flock 9
    [ -f "$WINEPREFIX/.vornel-ready" ] && exit 0
    export HOME="$VORNEL_WINE_HOME"
    wine wineboot --init >/dev/null 2>&1
    wineserver -w
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS UI Gothic" /t REG_SZ \
      /d "Noto Sans CJK JP" /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.vornel-ready"
  )
}
