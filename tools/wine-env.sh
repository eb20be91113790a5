# Sourced by the scripts that run Windows programs: a Wine prefix of the
# project's own (never the user's home), quiet, created on first use.
QUILLET_ROOT=${QUILLET_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$QUILLET_ROOT/build/wine}
QUILLET_BASE_PREFIX=${QUILLET_BASE_PREFIX:-$WINEPREFIX}
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
  # A program that crashes prints where and ends, rather than waiting in Wine's
  # crash window for a click no test gives.
  if [ ! -f "$WINEPREFIX/.quillet-crash-report" ]; then
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      >/dev/null 2>&1 && touch "$WINEPREFIX/.quillet-crash-report"
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

# The size of the virtual screen for a dpi: QUILLET_SCREEN (1024x768 unless set)
# at that scale, as a display of 150 or 200 % has room for.
quillet_dpi_screen() {
  local screen=${QUILLET_SCREEN:-1024x768}
  echo "$((${screen%x*} * $1 / 96))x$((${screen#*x} * $1 / 96))"
}

# Switches WINEPREFIX to a prefix whose screen has another dpi (LogPixels), made
# on first use from the project's prefix: its system folders (600 MB of DLLs that
# the programs never write) hard-linked, the rest copied, then the dpi and the
# desktop size set. Takes about three seconds, against ten or more for a prefix
# made from nothing.
quillet_dpi_prefix() {
  local dpi=$1 base=$QUILLET_BASE_PREFIX
  (export WINEPREFIX=$base && quillet_wine_prefix)
  # A screen of another size has a prefix of its own: the size is the prefix's.
  export WINEPREFIX=$QUILLET_ROOT/build/wine-$dpi${QUILLET_SCREEN:+-$QUILLET_SCREEN}
  [ -f "$WINEPREFIX/.quillet-dpi" ] && return 0
  echo "Creating the Wine prefix in $WINEPREFIX for $dpi dpi (first use only)..." >&2
  # The registry on disk is up to date once the project's server has ended.
  WINEPREFIX=$base timeout 20 wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  local system=drive_c/windows/system32 assemblies=drive_c/windows/winsxs
  tar -C "$base" --exclude="./$system" --exclude="./$assemblies" -cf - . | tar -C "$WINEPREFIX" -xf -
  cp -al "$base/$system" "$base/$assemblies" "$WINEPREFIX/drive_c/windows/"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$(quillet_dpi_screen "$dpi")" \
    /f >/dev/null 2>&1
  wineserver -w 2>/dev/null || true
  grep -qi "\"LogPixels\"=dword:$(printf '%08x' "$dpi")" "$WINEPREFIX/user.reg" ||
    { echo "wine-env: cannot set $dpi dpi in $WINEPREFIX" >&2; return 1; }
  touch "$WINEPREFIX/.quillet-dpi"
}

# Runs a Windows program under Wine with the heap checked (freed memory filled,
# every block handed back validated), as every test does, so that memory used
# after it was freed shows rather than passing by luck. The program and every
# program it starts print what Wine finds to the standard error, shown after the
# run; a heap warning or error, an exception Wine swallowed around a window
# procedure or a crash of any of them fails the run whatever the program's own
# result. Wine's own processes (the desktop, its services, cmd) inherit the
# checking from the program that started them: each line names its process, and
# the lines of those running one of Wine's own programs are shown, not counted.
quillet_wine_checked() {
  local log rc=0
  log=$(mktemp "${TMPDIR:-/tmp}/quillet-wine.XXXXXX") || return 1
  WINEDEBUG="$WINEDEBUG,err+heap,warn+heap,err+seh,+pid,trace+loaddll" wine "$@" 2>"$log" || rc=$?
  awk '
    # The first module a process loads: its program, when Wine built it in.
    /:trace:loaddll:/ {
      pid = substr($0, 1, index($0, ":") - 1)
      if (!(pid in first)) first[pid] = $0 ~ /Loaded L"C:\\\\windows\\\\(system32|syswow64)\\\\[^"\\]*\.exe" .*: builtin/
      next
    }
    { print }
    /:(warn|err):heap:|:err:seh:.*ignoring exception/ {
      pid = substr($0, 1, index($0, ":") - 1)
      if (!first[pid]) found[++n] = $0
    }
    # A crash names its thread only, so any crash counts.
    /Unhandled .* starting debugger|Unhandled page fault/ { found[++n] = $0 }
    END {
      if (!n) exit 0
      print "wine-run: " n " line(s) of heap faults or crashes from the programs under test:"
      for (i = 1; i <= n; ++i) print "  " found[i]
      exit 1
    }' "$log" >&2 || { [ "$rc" -ne 0 ] || rc=1; }
  rm -f "$log"
  return "$rc"
}
