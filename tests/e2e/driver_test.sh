#!/usr/bin/env bash
# driver_test.sh: the e2e driver against a window of known texts
# (driver_fixture.exe): its serving mode answers as its one-shot mode does,
# reads lists and trees whole across its batches, finds a name given in UTF-8
# in the program's code page, skips an answer left by a caller that gave up,
# and a caller never waits on a driver that does not answer.
# Runs in the build's shared prefix and Xvfb (scripts/wine-env.sh).
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${ZARN_BUILD_ROOT:-$top/build}
bin=${E2E_BIN:-$build/win64/bin}
root=${DRIVER_TEST_ROOT:-$build/win64/driver_test}

fail() { echo "driver_test: $*" >&2; exit 1; }
tenths() { echo $(($(date +%s%N) / 100000000)); }
until_ok() {
  local end=$(($(tenths) + $1)); shift
  while :; do
    "$@" && return 0
    [ "$(tenths)" -ge "$end" ] && return 1
    sleep 0.1
  done
}
. "$top/tests/e2e/drv.sh"

export ZARN_BUILD_ROOT=$build WINEPREFIX=$build/wineprefix WINEDEBUG=-all
"$top/scripts/wine-env.sh" up </dev/null >/dev/null 2>&1 || fail "no wine"
[ -s "$build/xvfb.display" ] && export DISPLAY=:$(cat "$build/xvfb.display")
gbk=0
locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$' && export LANG=zh_CN.UTF-8 && gbk=1
rm -rf "$root"; mkdir -p "$root"

F="top:zarn driver fixture"
LIST="$F/SysListView32#0"
TREE="$F/SysTreeView32#0"
(cd "$bin" && exec setsid /usr/lib/wine/wine64 ./driver_fixture.exe) </dev/null >/dev/null 2>&1 &
fixture=$!
cleanup() {
  drv close "$F" >/dev/null 2>&1
  drv_stop
  until_ok 50 sh -c "! kill -0 $fixture 2>/dev/null" || kill -9 "$fixture" 2>/dev/null
}
trap cleanup EXIT
drv_once wait "$F" 60000 >/dev/null || fail "the fixture's window did not come"

# What the fixture shows.
want_list=$(for r in $(seq 0 149); do
  if [ "$r" = 77 ]; then printf '\xd6\xd0\xce\xc4.txt'; else printf 'row %03d' "$r"; fi
  if [ $((r % 10)) = 0 ]; then printf '\t%d\t\n' $((r * 1000)); else printf '\t%d\tnote %d.2\n' $((r * 1000)) "$r"; fi
done)
want_tree=$(echo root; for a in $(seq 0 9); do echo "  branch $a"; for b in $(seq 0 7); do echo "    leaf $a.$b"; done; done)
same() { [ "$2" = "$3" ] || { diff <(echo "$3") <(echo "$2") | head -5; fail "$1"; }; }

# Both modes read the same: the one-shot mode first, then the server.
same "one-shot: the list" "$(drv_once items "$LIST")" "$want_list"
drv_start || fail "the driver server did not start"
drv_serving || fail "the driver server is not running"
same "the list" "$(drv items "$LIST")" "$want_list"
same "the first column" "$(drv items "$LIST" 1)" "$(cut -f1 <<<"$want_list")"
same "columns 3,1" "$(drv columns "$LIST" 3,1)" "$(awk -F'\t' -v OFS='\t' '{ print $3, $1 }' <<<"$want_list")"
drv columns "$LIST" 4 >/dev/null; [ $? = 2 ] || fail "a column the list lacks was not refused"
drv columns "$LIST" 0 >/dev/null; [ $? = 2 ] || fail "column 0 was not refused"
drv columns "$LIST" 1x >/dev/null; [ $? = 2 ] || fail "a bad column list was not refused"
same "the tree" "$(drv tree "$TREE")" "$want_tree"
same "the edit box" "$(drv text "$F/Edit#0")" "fixture text"
[ "$(drv count "$LIST")" = 150 ] || fail "the count is not 150"

# A point of a row below the fold lies inside the list once scrolled to.
read -r lx ly lw lh _ <<<"$(drv rect "$LIST")"
read -r px py <<<"$(drv itempoint "$LIST" "row 140")" || fail "no point for row 140"
[ "$px" -ge "$lx" ] && [ "$px" -lt $((lx + lw)) ] && [ "$py" -ge "$ly" ] && [ "$py" -lt $((ly + lh)) ] ||
  fail "row 140's point $px $py lies outside the list $lx $ly $lw $lh"
drv itempoint "$TREE" "leaf 9.7" >/dev/null || fail "no point for a folded-away leaf once made visible"
drv waititem "$LIST" "no such row" 300 >/dev/null 2>&1 && fail "a row that is not there was found"
[ "$(drv waitpoint "$LIST" "row 140" 1000)" = "$px $py" ] || fail "waitpoint and itempoint differ"
drv waitpoint "$LIST" "no such row" 300 >/dev/null 2>&1 && fail "waitpoint found a row that is not there"
drv settled "$F" 10000 || fail "the fixture's window did not answer"

# A name given in UTF-8 is found in the program's code page, in both modes.
if [ $gbk = 1 ]; then
  drv waititem "$LIST" "中文.txt" 1000 >/dev/null || fail "the GBK-named row was not found by its UTF-8 name"
  drv_once waititem "$LIST" "中文.txt" 1000 >/dev/null || fail "one-shot: the GBK-named row was not found"
fi

# An answer nobody reads any more (its caller gave up) is skipped by the next.
exec {w}<>"$root/drv.in"
printf 'gone-caller\tcount\t%s\nstray line\n' "$LIST" >&"$w"
exec {w}>&-
same "after a stale answer" "$(drv text "$F/Edit#0")" "fixture text"
# Arguments that cannot cross the line protocol are refused, not split.
drv text "$(printf 'a\tb')" >/dev/null 2>&1; [ $? = 2 ] || fail "an argument with a tab was not refused"
# A status other than 0 and 1 comes through.
drv bogus-verb "$F" >/dev/null 2>&1; [ $? = 2 ] || fail "an unknown verb did not give status 2"

# A driver that does not answer in time: the caller ends, the server is
# stopped, and the calls after it run one-shot.
DRV_TIMEOUT=2 drv wait "top:no such window" 20000 >/dev/null 2>"$root/timeout.err"
[ $? = 1 ] || fail "a call past its time did not fail"
grep -q "did not answer" "$root/timeout.err" || fail "a call past its time said nothing"
drv_serving && fail "the server that did not answer was left running"
same "one-shot after the server" "$(drv text "$F/Edit#0")" "fixture text"

echo "driver_test: passed"
