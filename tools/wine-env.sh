# Sourced by the scripts that run Windows programs: a Wine prefix of the
# project's own (never the user's home), quiet, created on first use.
QUILLET_ROOT=${QUILLET_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$QUILLET_ROOT/build/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# No Mono or Gecko installers on first start: the programs need neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

quillet_wine_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    echo "Creating the Wine prefix in $WINEPREFIX (first use only)..." >&2
    wineboot -i >/dev/null 2>&1 || true
    # Every program opens inside one virtual desktop, where Wine draws the window
    # frames itself: screenshots then look as they do on Windows.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1 || true
    # The caption buttons are drawn with Marlett, which Wine ships but does not
    # register in a fresh prefix.
    marlett=$(ls /usr/share/wine/fonts/marlett.ttf /usr/lib/wine/fonts/marlett.ttf 2>/dev/null | head -n 1)
    if [ -n "$marlett" ]; then
      cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
      wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' \
        /v 'Marlett (TrueType)' /d marlett.ttf /f >/dev/null 2>&1 || true
    fi
    wineserver -w 2>/dev/null || true
  fi
  # Focus marks come when the keyboard is used, as on a fresh Windows; Wine's
  # own default shows them always. Once per prefix, older ones included.
  if [ ! -f "$WINEPREFIX/.quillet-keyboard-cues" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v UserPreferencesMask /t REG_BINARY \
      /d 1000028012000000 /f >/dev/null 2>&1 && touch "$WINEPREFIX/.quillet-keyboard-cues"
    wineserver -w 2>/dev/null || true
  fi
}
