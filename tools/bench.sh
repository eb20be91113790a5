#!/usr/bin/env bash
# Prints the player's figures: start-up time to the first box against a bare
# MessageBoxW program and a VBScript MsgBox under wscript, run.exe's size, and its
# peak memory on a script of a million lines. Runs in a virtual screen so that the
# boxes never get in the way. Expects the windows preset to be built (`make bench`).
# Usage: tools/bench.sh [RUNS] [LINES]
set -eu
cd "$(dirname "$0")/.."
. tools/wine-env.sh

bench=${QUILLET_WINDOWS_BUILD:-build/windows}/bench/startup_bench.exe
[ -f "$bench" ] || { echo "missing $bench: build the windows preset first" >&2; exit 1; }
quillet_wine_prefix
echo "Wine: $(wine --version 2>/dev/null)"
xvfb-run -a -s "-screen 0 1024x768x24" \
  bash -c 'wine "$0" --runs "$1" --lines "$2"; rc=$?; wineserver -k 2>/dev/null; exit $rc' \
  "$bench" "${1:-7}" "${2:-1000000}"
