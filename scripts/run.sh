#!/usr/bin/env bash
# Builds the program and starts it under wine64 beside a loopback demo FTP server
# (on Xvfb when there is no DISPLAY).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
export ZARN_BUILD_ROOT=${ZARN_BUILD_ROOT:-$top/build}
"$top/scripts/setup.sh"
"$top/scripts/build.sh" win64
# The program beside a loopback demo server, in a wine prefix and display of its own.
exec "$top/scripts/demo.sh"
