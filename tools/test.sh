#!/usr/bin/env bash
# Runs every test: the Linux unit tests, then the Windows unit and end-to-end tests
# under Wine in a virtual screen, then two release builds compared, then the fuzz
# targets for a short while when clang is there. Exits non-zero when anything failed.
set -u
cd "$(dirname "$0")/.."
. tools/wine-env.sh

status=0
echo "== Linux unit tests"
ctest --preset linux || status=1

echo "== Windows tests under Wine"
quillet_wine_prefix
wineserver -k 2>/dev/null || true
xvfb-run -a -s "-screen 0 1024x768x24" \
  bash -c 'ctest --preset windows; rc=$?; wineserver -k 2>/dev/null; exit $rc' || status=1

echo "== Reproducible release"
tools/dist_check.sh || status=1

if command -v clang++ >/dev/null 2>&1; then
  echo "== Fuzz targets"
  tools/fuzz.sh 30 || status=1
fi

[ $status -eq 0 ] && echo "All tests passed." || echo "Some tests FAILED."
exit $status
