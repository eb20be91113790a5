#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's prefix, with the heap
# checked (see quillet_wine_checked); CTest uses it as the emulator of the windows
# preset.
set -u
. "$(dirname "$0")/wine-env.sh"
quillet_wine_prefix
quillet_wine_checked "$@"
