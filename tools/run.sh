#!/usr/bin/env bash
# `make run`: shows the player on the example script. With a reachable X display the
# boxes appear on it and wait for the user. Without one, the player runs in a virtual
# screen: the first box is saved as build/screenshots/welcome.png and every box is
# answered automatically. Expects the windows preset to be built.
set -eu
cd "$(dirname "$0")/.."
. tools/wine-env.sh

build=${QUILLET_WINDOWS_BUILD:-build/windows}
drive=$build/tests/e2e/drive.exe
demo=$build/demo
for f in "$build/bin/run.exe" "$drive"; do
  [ -f "$f" ] || { echo "missing $f: build the windows preset first" >&2; exit 1; }
done

rm -rf "$demo"
mkdir -p "$demo" build/screenshots
cp "$build/bin/run.exe" "$demo/run.exe"
cp examples/welcome.dlg "$demo/main.dlg"
quillet_wine_prefix

display_works() {
  [ -n "${DISPLAY:-}" ] || return 1
  if command -v xdpyinfo >/dev/null 2>&1; then
    timeout 10 xdpyinfo >/dev/null 2>&1
  else
    timeout 10 import -window root -crop 1x1+0+0 png:- >/dev/null 2>&1
  fi
}

if display_works; then
  echo "Showing the example script on $DISPLAY; answer each box to go on."
  (cd "$demo" && wine run.exe)
  wineserver -w 2>/dev/null || true
else
  shot=$PWD/build/screenshots/welcome.png
  rm -f "$shot"
  echo "No display: running the example script in a virtual screen."
  xvfb-run -a -s "-screen 0 1024x768x24" \
    bash -c 'wine "$0" "$1" --screenshot "$2" --timeout 120; rc=$?; wineserver -k 2>/dev/null; exit $rc' \
    "$drive" "$PWD/$demo/run.exe" "$shot"
  [ -f "$shot" ] || { echo "no screenshot was taken" >&2; exit 1; }
  echo "The first box is in $shot"
fi
