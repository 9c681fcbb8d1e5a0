#!/usr/bin/env bash
# scripts/wine-run.sh with a stand-in loader: a run that glibc aborted, or a
# test program that ended before writing a byte, is repeated once and named; a
# plain time-out or failure is not repeated.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/zarn-wine-run.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }

# The stand-in: each call appends a line to calls; $MODE says what call n does.
cat >"$work/fakewine" <<'EOT'
#!/usr/bin/env bash
echo call >>"$FAKE_DIR/calls"
n=$(wc -l <"$FAKE_DIR/calls")
case "$MODE:$n" in
  abort-then-pass:1|abort-always:*) echo "malloc(): corrupted top size" >&2; exec sleep 60 ;;
  abort-then-pass:2) echo "[  PASSED  ] 1 test." ; exit 0 ;;
  hang:*) echo "[ RUN      ] Some.Case"; exec sleep 60 ;;
  fail:*) echo "free() is our own word here, corrupted only mid-line" >&2; exit 1 ;;
  silent-then-pass:1) exit 1 ;;
  silent-then-pass:2) echo "[  PASSED  ] 1 test." ; exit 0 ;;
  quiet-fail:*) echo "[  FAILED  ] Some.Case"; exit 1 ;;
esac
EOT
chmod +x "$work/fakewine"

# run MODE: runs wine-run.sh once; sets rc, calls, out (stdout and stderr).
run() {
  rm -rf "$work/root" "$work/calls"
  mkdir -p "$work/root"
  out=$(MODE=$1 FAKE_DIR=$work ZARN_WINE=$work/fakewine ZARN_TIMEOUT=2 ZARN_BUILD_ROOT=$work/root \
        ZARN_TEST_NAME=win64.case_$1 "$top/scripts/wine-run.sh" prog.exe 2>&1)
  rc=$?
  calls=$(cat "$work/calls" 2>/dev/null | wc -l)
}

run abort-then-pass
check "an aborted run is repeated and passes" '[ $rc = 0 ] && [ $calls = 2 ]'
check "the repeat is named" 'grep -q "wine-run: rerun win64.case_abort-then-pass" <<<"$out"'
check "the repeat is listed" 'grep -q "^win64.case_abort-then-pass: malloc(): corrupted top size$" "$work/root/reruns.log"'

run abort-always
check "a second abort is not repeated and fails" '[ $rc = 124 ] && [ $calls = 2 ]'

run hang
check "a plain time-out is not repeated" '[ $rc = 124 ] && [ $calls = 1 ] && [ ! -e "$work/root/reruns.log" ]'

run fail
check "a failure with other words on stderr is not repeated" '[ $rc = 1 ] && [ $calls = 1 ]'
run silent-then-pass
check "a test that ended before writing a byte is repeated and passes" '[ $rc = 0 ] && [ $calls = 2 ]'
check "that repeat is listed" 'grep -q "^win64.case_silent-then-pass: ended with status 1 before" "$work/root/reruns.log"'

run quiet-fail
check "a failure that wrote only to stdout is not repeated" '[ $rc = 1 ] && [ $calls = 1 ]'
exit $fail
