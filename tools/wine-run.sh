#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's prefix; CTest uses it as the
# emulator of the windows preset.
set -eu
. "$(dirname "$0")/wine-env.sh"
quillet_wine_prefix
exec wine "$@"
