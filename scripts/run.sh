#!/usr/bin/env bash
# Builds the program and starts it under wine64 (on Xvfb when there is no DISPLAY).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
export ZARN_BUILD_ROOT=${ZARN_BUILD_ROOT:-$top/build}
"$top/scripts/setup.sh"
"$top/scripts/build.sh" win64
"$top/scripts/wine-env.sh" up
cd "$ZARN_BUILD_ROOT/win64/bin"
ZARN_TIMEOUT=${ZARN_TIMEOUT:-86400} exec "$top/scripts/wine-run.sh" ./zarn.exe "$@"
