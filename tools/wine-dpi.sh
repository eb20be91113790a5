#!/usr/bin/env bash
# Runs one Windows program under Wine on a screen of another dpi: in the prefix
# build/wine-DPI (made on first use) and a virtual screen of its own, as large as
# 1024 x 768 at that scale (QUILLET_SCREEN=1280x1024 another size, in a prefix
# build/wine-DPI-1280x1024). The program learns the dpi from QUILLET_DPI. CTest
# runs the designer's scale test through it once per dpi and screen, with the heap
# checked as every test is (see quillet_wine_checked in wine-env.sh).
# Usage: tools/wine-dpi.sh DPI PROGRAM [ARGUMENTS...]
set -eu
. "$(dirname "$0")/wine-env.sh"
dpi=$1
shift
quillet_dpi_prefix "$dpi"
export QUILLET_DPI=$dpi
# A server left from an earlier run would still show its desktop on that run's screen.
wineserver -k 2>/dev/null || true
xvfb-run -a -s "-screen 0 $(quillet_dpi_screen "$dpi")x24" \
  bash -c '. "$0"; quillet_wine_checked "$@"; rc=$?; wineserver -k 2>/dev/null; exit $rc' \
  "$(dirname "$0")/wine-env.sh" "$@"
