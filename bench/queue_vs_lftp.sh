#!/usr/bin/env bash
# queue_vs_lftp.sh [small] [big]: the queue's downloads against lftp's mirror,
# on the loopback vsftpd server (the fixture of tests/peers/with-peers.sh).
#
# The server's root gets a folder of <small> files of 4 KiB (1000 by default)
# and a folder of <big> files of 20 MiB (20 by default). bench's
# queue_driver.exe (win64, under Wine) downloads each folder through the queue:
# one work site, option bit 8 on, timed from Start Queue to the end of the last
# worker; at 5 and at 10 workers, once through the tests' stand-in of the
# function view and once through the real queue page (its window on the
# screen), the two alternating so both meet the same load. lftp then mirrors
# each folder with as many parallel transfers (time of the whole command, login
# included). Every copy is checked against the server's with cmp. Prints files/s
# and MiB/s of each, and the ratios lftp/stand-in, lftp/page and page/stand-in
# of files per second (the aims: lftp at most 2.5 times the queue for the small
# files, 1.0 for the big ones; the page at least 0.9 of the stand-in).
#
# Then, untimed, the queue downloads each folder again under a Wine server that
# traces its requests (`wineserver -f -d1 -p`, in a prefix of the bench's own
# under xvfb-run), and the bench prints Wine server requests per file beside
# files per second: the requests of the folder's run less those of a run over
# a folder of one file, divided by the files less one. Those copies are checked
# with cmp too.
#
# Needs root (vsftpd runs as the real daemon) and the win64 build:
# ZARN_BUILD_ROOT (default build/) holds win64/bin/queue_driver.exe.
#
# Latest figures: see the README's Benchmarks.
set -eu
. "$(dirname "$0")/common.sh"
driver=$root/win64/bin/queue_driver.exe
if [ "${1:-}" != --inside ]; then
  need_driver queue_vs_lftp "$driver"
  need_tools queue_vs_lftp xvfb-run cmp
  command -v lftp >/dev/null || apt-get install -y lftp >/dev/null ||
    { echo "queue_vs_lftp: lftp is missing and could not be installed" >&2; exit 1; }
  run_inside vsftpd "$@"
fi
shift
small=${1:-1000}
big=${2:-20}
peer_server VSFTPD
mkdir -p "$work/queue" "$work/lftp" "$served/small" "$served/big"
chmod 755 "$served/small" "$served/big"

echo "queue_vs_lftp: filling the server: $small x 4 KiB, $big x 20 MiB"
for i in $(seq "$small"); do head -c 4096 /dev/urandom >"$served/small/s$i.bin"; done
for i in $(seq "$big"); do head -c $((20 * 1024 * 1024)) /dev/urandom >"$served/big/b$i.bin"; done
chmod 644 "$served"/small/* "$served"/big/*

results=$work/results.txt
: >"$results"
# queue_run SET CLIENT WORKERS [page]: one timed download of SET by the driver.
queue_run() {
  local set=$1 client=$2 workers=$3 out files secs bytes f
  out=$work/queue-$set-$client-$workers.txt
  rm -rf "$work/queue/$set"
  echo "queue_vs_lftp: $set through the $client, $workers workers (wine64)"
  ZARN_TIMEOUT=1800 "$top/scripts/wine-run.sh" "$driver" "$host" "$port" "$user" "$pass" "$served" "$set" \
    "$(winpath "$work/queue")" "$workers" ${4:-} >"$out" || { cat "$out"; exit 1; }
  read -r _ files secs bytes <"$out"
  for f in "$served/$set"/*; do
    cmp -s "$f" "$work/queue/$set/$(basename "$f")" || { echo "queue_vs_lftp: the $client's copy of $f differs" >&2; exit 1; }
  done
  echo "$set $client $workers $files $secs $bytes" >>"$results"
}
for set in small big; do
  for workers in 5 10; do
    # The stand-in and the page alternate, so both meet the same load.
    queue_run "$set" stand-in "$workers"
    queue_run "$set" page "$workers" page
    echo "queue_vs_lftp: $set through lftp, $workers parallel"
    rm -rf "$work/lftp/$set"
    start=$(date +%s.%N)
    lftp -u "$user,$pass" -p "$port" \
      -e "set net:max-retries 1; mirror --parallel=$workers $served/$set $work/lftp/$set; quit" "$host" >/dev/null
    end=$(date +%s.%N)
    for f in "$served/$set"/*; do cmp -s "$f" "$work/lftp/$set/$(basename "$f")" || { echo "queue_vs_lftp: lftp's copy of $f differs" >&2; exit 1; }; done
    bytes=$(du -cb "$served/$set"/* | tail -1 | cut -f1)
    files=$(ls "$served/$set" | wc -l)
    echo "$set lftp $workers $files $(echo "$end - $start" | bc) $bytes" >>"$results"
  done
done

echo "queue_vs_lftp: the traced pass (wine64, untimed)"
mkdir -p "$served/one"
chmod 755 "$served/one"
head -c 4096 /dev/urandom >"$served/one/o1.bin"
chmod 644 "$served/one/o1.bin"
rm -rf "$work/traced"
mkdir -p "$work/traced"
export WINEPREFIX=$root/wineprefix-queuebench WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=;mshtml='
if [ ! -f "$WINEPREFIX/.booted" ]; then
  mkdir -p "$WINEPREFIX"
  xvfb-run -a /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
  touch "$WINEPREFIX/.booted"
fi
xvfb-run -a bash -s "$driver" "$host" "$port" "$user" "$pass" "$served" "$work" >"$work/traced-counts.txt" \
  2> >(grep -v '^X connection to .* broken' >&2) <<'TRACED'
set -eu
driver=$1 host=$2 port=$3 user=$4 pass=$5 served=$6 work=$7
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -w
/usr/lib/wine/wineserver -f -d1 -p 2>"$work/trace.txt" </dev/null >/dev/null &
traced=$!
requests() { grep -cE '^[0-9a-f]+: [a-z_0-9]+\( ' "$work/trace.txt" || true; }
for set in one one small big; do
  before=$(requests)
  /usr/lib/wine/wine64 "$driver" "$host" "$port" "$user" "$pass" "$served" "$set" "$(winpath "$work/traced")" 5 \
    >"$work/traced-run.txt"
  after=$(requests)
  echo "$set $((after - before))"
done
/usr/lib/wine/wineserver -k
wait $traced || true
TRACED
for set in small big; do
  for f in "$served/$set"/*; do
    cmp -s "$f" "$work/traced/$set/$(basename "$f")" || { echo "queue_vs_lftp: the traced copy of $f differs" >&2; exit 1; }
  done
done
one=$(awk '$1 == "one" { v = $2 } END { print v }' "$work/traced-counts.txt")
rm -f "$work/trace.txt"

echo
echo "queue_vs_lftp: load average $(cut -d' ' -f1-3 /proc/loadavg); the copies checked with cmp"
printf '%-6s %-9s %7s %7s %9s %10s %10s %14s\n' set client workers files seconds files/s MiB/s requests/file
awk -v one="$one" 'NR == FNR { traced[$1] = $2; next }
  { r = $2 == "stand-in" && $3 == 5 && $4 > 1 ? sprintf("%14.1f", (traced[$1] - one) / ($4 - 1)) : sprintf("%14s", "-")
    printf "%-6s %-9s %7d %7d %9.3f %10.1f %10.2f %s\n", $1, $2, $3, $4, $5, $4 / $5, $6 / 1048576 / $5, r }' \
  "$work/traced-counts.txt" "$results"
for set in small big; do
  for workers in 5 10; do
    awk -v s="$set" -v w="$workers" '$1 == s && $3 == w { rate[$2] = $4 / $5 }
      END { printf "%-6s %2d workers: lftp/stand-in %.2f, lftp/page %.2f, page/stand-in %.2f\n", s, w,
                   rate["lftp"] / rate["stand-in"], rate["lftp"] / rate["page"], rate["page"] / rate["stand-in"] }' "$results"
  done
done
