#!/usr/bin/env bash
# Prints the figures of both programs, in a virtual screen so that no window gets in
# the way. The player: start-up time to the first box against a bare MessageBoxW
# program, a VBScript MsgBox under wscript and a one-file program, run.exe's size
# and what a one-file program adds to it, and its peak memory on a script of a
# million lines, also when its last box jumps back to line 0 a few times, and the
# time to a first box whose field 4 is 10 MB of "«" that never close. The
# designer: start-up time against a program that only opens a window (and that
# program with the designer's manifest), its memory before and after fifteen
# dialogs, and the opening of a 100 MB project and of one whose first row's field 4
# is 10 MB of such quotes against a normal one; the time of the
# scheme's layout; then its start-up once more on a screen of 192 dpi (200 %), each
# with the trace of where its start goes; the scheme window's layout, repaint and
# picture of the quiz example at 96 and 192 dpi. The designer's start-up takes three
# times RUNS rounds: its ratio moves with the machine's load more than the player's.
# Expects the windows preset to be built (`make bench`). Usage: tools/bench.sh [RUNS] [LINES]
set -eu
cd "$(dirname "$0")/.."
. tools/wine-env.sh

build=${QUILLET_WINDOWS_BUILD:-build/windows}/bench
for b in startup_bench designer_bench scheme_bench scheme_window_bench; do
  [ -f "$build/$b.exe" ] || { echo "missing $build/$b.exe: build the windows preset first" >&2; exit 1; }
done
quillet_wine_prefix
wineserver -k 2>/dev/null || true
echo "Wine: $(wine --version 2>/dev/null)"
xvfb-run -a -s "-screen 0 1024x768x24" \
  bash -c 'wine "$0/startup_bench.exe" --runs "$1" --lines "$2" && wine "$0/designer_bench.exe" --runs "$3" && wine "$0/scheme_bench.exe" --runs "$1"; rc=$?; wineserver -k 2>/dev/null; exit $rc' \
  "$build" "${1:-7}" "${2:-1000000}" "$((3 * ${1:-7}))"
tools/wine-dpi.sh 192 "$build/designer_bench.exe" --runs "$((3 * ${1:-7}))" --start-only
# The scheme window: laid out, repainted and pictured, at 96 and at 192 dpi.
xvfb-run -a -s "-screen 0 1024x768x24" \
  bash -c 'wine "$0/scheme_window_bench.exe" --runs 20; rc=$?; wineserver -k 2>/dev/null; exit $rc' "$build"
tools/wine-dpi.sh 192 "$build/scheme_window_bench.exe" --runs 20
