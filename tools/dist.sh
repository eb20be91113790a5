#!/usr/bin/env bash
# `make dist`: builds quillet.exe and run.exe with the windows preset in a build
# folder of its own and writes quillet-<version>-win64.zip and SHA256SUMS. The
# same commit gives the same bytes in any folder at any time: the programs carry
# no link time and no folder names, and the zip's entries are dated from the
# commit (SOURCE_DATE_EPOCH) in UTC.
#
# Usage: tools/dist.sh [BUILD_FOLDER [DIST_FOLDER]]   (build/release, build/dist)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/release}
dist=${2:-build/dist}

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "dist: not a git checkout: set SOURCE_DATE_EPOCH to the release's time" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH
export TZ=UTC LC_ALL=C.UTF-8
if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
  echo "dist: the work tree has changes that are not committed; the zip holds them." >&2
fi

mkdir -p "$dist"
cmake --preset windows -B "$build" -DQUILLET_DIST_DIR="$(cd "$dist" && pwd)" >/dev/null
cmake --build "$build" --target dist -j"$(nproc)"
echo "In $dist:"
(cd "$dist" && ls -l -- *.zip && cat SHA256SUMS)
