#!/usr/bin/env bash
# `make run`: starts the designer from its program folder (build/windows/bin, with
# run.exe and the example projects welcome.dlg and quiz.dlg beside it). With a reachable X display
# it opens there under Wine. Without one it runs in a virtual screen: a screenshot
# of the main window goes to build/screenshots/designer.png and the designer is
# closed again. Expects the windows preset to be built.
set -eu
cd "$(dirname "$0")/.."
. tools/wine-env.sh

build=${QUILLET_WINDOWS_BUILD:-build/windows}
bin=$build/bin
drive=$build/tests/e2e/drive.exe
for f in "$bin/quillet.exe" "$bin/run.exe" "$drive"; do
  [ -f "$f" ] || { echo "missing $f: build the windows preset first" >&2; exit 1; }
done
mkdir -p build/screenshots
quillet_wine_prefix

display_works() {
  [ -n "${DISPLAY:-}" ] || return 1
  timeout 10 import -window root -crop 1x1+0+0 png:- >/dev/null 2>&1
}

if display_works; then
  echo "Starting the designer on $DISPLAY (program folder $bin)."
  (cd "$bin" && wine quillet.exe)
  wineserver -w 2>/dev/null || true
else
  shot=$PWD/build/screenshots/designer.png
  rm -f "$shot"
  echo "No display: starting the designer in a virtual screen."
  xvfb-run -a -s "-screen 0 1024x768x24" \
    bash -c 'wine "$0" "$1" --screenshot "$2" --screen --close --prefer no --timeout 60; rc=$?; wineserver -k 2>/dev/null; exit $rc' \
    "$drive" "$PWD/$bin/quillet.exe" "$shot"
  [ -f "$shot" ] || { echo "no screenshot was taken" >&2; exit 1; }
  echo "The designer's main window is in $shot"
fi
