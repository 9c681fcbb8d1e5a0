#!/usr/bin/env bash
# guide-shots.sh: runs the end-to-end scenario (tests/e2e) against the win64
# build and copies its screenshots for the README's guide into docs/, cropped
# to the program's windows. Needs the win64 build; takes a minute or two.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
export ZARN_BUILD_ROOT=${ZARN_BUILD_ROOT:-$top/build}
export E2E_ROOT=${E2E_ROOT:-$ZARN_BUILD_ROOT/win64/e2e} E2E_BIN=${E2E_BIN:-$ZARN_BUILD_ROOT/win64/bin}
e2e=$top/tests/e2e/e2e.sh
"$e2e" start
trap '"$e2e" stop' EXIT
for step in quick_add connection_log drag_download remote_rename_delete ping port_monitor site_manager console; do
  "$e2e" step "$step"
done
mkdir -p "$top/docs"
# The main window sits at 160,128 (960 x 768) on the 1280 x 1024 screen.
for shot in 01-quick-add-site 01-site-listed 02-drop-confirm 02-dragged-to-queue 02-delete-confirm \
            06-site-manager 06-site-promoted 07-console 08-ping 09-port-monitor 09-connection-log; do
  convert "$E2E_ROOT/shots/$shot.png" -crop 980x790+150+118 +repage "$top/docs/$shot.png"
done
echo "guide-shots: docs/ refreshed"
