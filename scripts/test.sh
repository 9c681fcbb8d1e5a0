#!/usr/bin/env bash
# The whole test run: set-up, the four builds, then one ctest over all of them.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
export ZARN_BUILD_ROOT=${ZARN_BUILD_ROOT:-$top/build}
"$top/scripts/setup.sh"
# win32 first: the win64 suite checks its export table too.
"$top/scripts/build.sh" win32 native fuzz win64
# One ctest over the sub-builds, so one summary line counts every test.
cat >"$ZARN_BUILD_ROOT/CTestTestfile.cmake" <<EOT
subdirs("native" "fuzz" "win64")
EOT
unset DISPLAY
# The shared wine set-up and the window tests' lanes (tests/CMakeLists.txt)
# boot side by side before any test needs them.
for lane in "" b c; do ZARN_WINE_LANE=$lane "$top/scripts/wine-env.sh" up & done
wait
trap '"$top/scripts/wine-env.sh" down' EXIT
cd "$ZARN_BUILD_ROOT"
# A time-out is a failure. Only a run that Wine itself aborted (glibc's heap
# checks on its Unix side) is repeated, by scripts/wine-run.sh, which lists
# each repeat in reruns.log; they are named here, after the summary.
rm -f reruns.log
rc=0
ctest -j "${ZARN_TEST_JOBS:-8}" --output-on-failure --timeout 900 "$@" || rc=$?
if [ -s reruns.log ]; then
  echo "Tests run again after a Wine abort:"
  sed 's/^/  rerun: /' reruns.log
fi
exit $rc
