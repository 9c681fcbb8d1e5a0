#!/usr/bin/env bash
# queue_vs_lftp.sh [small] [big]: the queue's downloads against lftp's mirror,
# on the loopback vsftpd server (the fixture of tests/peers/with-peers.sh).
#
# The server's root gets a folder of <small> files of 4 KiB (1000 by default)
# and a folder of <big> files of 20 MiB (20 by default). bench's
# queue_driver.exe (win64, under Wine) downloads each folder through the queue:
# one work site, five workers, option bit 8 on, timed from Start Queue to the
# end of the last worker. lftp then mirrors each folder with five parallel
# transfers (time of the whole command, login included). Both copies are
# checked against the server's with cmp. Prints files/s and MiB/s of each and
# the ratio lftp/queue of files per second (the aim: at most 2.5 for the small
# files, 1.0 for the big ones).
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
# Figures on the 8-core build machine, shared with other builds, three runs
# (files/s, MiB/s):
#   small: queue 268-299 (1.05-1.17), lftp 1043-1211 (4.1-4.7): lftp 3.8-4.1
#     times faster. At five workers a file costs a worker about 15 ms: CWD 1.4,
#     the begin messages 1.4, the local file 1.3, TYPE/PASV/RETR and the data
#     connection 7-8, the finish report 1.7, the next item 0.8. Wine's one
#     server process is the limit (near 90% busy): about 145 requests a file,
#     63 on the connection's thread, 42 on the window thread, 39 on the worker;
#   big: queue 10.6-18.8 (212-376), lftp 21-27 (423-540): ratio 1.44-2.0
#     (1.44 when the machine was less loaded).
# With the traced pass, one run each before and after the data loops' cut of
# Wine server requests (load average 5-9, other helpers building):
#   before: small 388 files/s, lftp 1785 (4.60), 143 requests a file; big 34.3
#     files/s (686 MiB/s), lftp 29.7 (0.87), 720 requests a file of 20 MiB;
#   after: small 399, lftp 2045 (5.12), 145 requests a file (the data loops do
#     not touch what a small file costs: CWD, TYPE, the messages of the queue;
#     lftp's own time varied 0.49-0.77 s over these runs); big 40.7 (815),
#     lftp 35.0 (0.86), 414 requests a file.
# With the engine's hardening merged, machine idle (load average 1):
#   small 451.7 files/s, lftp 2087.8 (4.62), 145 requests a file; big 50.1
#   files/s (1003 MiB/s), lftp 32.4 (0.65), 395 requests a file.
# No CWD or TYPE that repeats what the server acknowledged, no detach after a
# transfer that closed its file, socket buffers widened only from 1 MiB; two
# runs, load average 4-7 (other helpers building):
#   small 399.7 and 420.5 files/s, lftp 2407 and 1373 (6.02 and 3.26; lftp's
#   own time 0.42-0.73 s), 119.8 and 119.2 requests a file; big 20.4 and 23.3
#   files/s, lftp 31.6 and 26.3 (1.54 and 1.13), 385 and 382 requests a file.
# The worker's CWD to the folder it stands in kept from the window too, load
# average 13-14: small 379.4 files/s, lftp 1928.6 (5.08), 107.7 requests a
# file; big 21.4 files/s, lftp 16.8 (0.79), 374 requests a file.
# Then the connection's thread cut: its message loop takes no idle look at
# the queue after each message, a download's data socket gets no FD_WRITE, a
# file listed smaller than one receive keeps FD_READ selected, and a data
# socket read to its end is only closed (no deselect, drain or shutdown).
#   Alternating runs of the queue_driver before and after, same bench, one
#   run each: load average 6.3: before small 279.6 files/s, lftp 595.0
#   (2.13), 108.4 requests a file; after (load 5.2) 88.1 files/s, lftp 542.1
#   (6.16: one run of 11.4 s), 89.1 requests; load 4.5: before 223.4, lftp
#   350.1 (1.57), 110.0 requests; after (load 3.5) 216.6, lftp 631.2 (2.91),
#   88.9 requests. Five runs of each driver over the same 1,000 files,
#   interleaved (load 7-8.8): before 3.9-9.2 s (median 4.5), after 3.4-4.7 s
#   (median 3.9).
# Latest (the last three also with the 1 MiB buffer's quarter-megabyte file
# writes):
#   load average 2.8: small 497.0 files/s, lftp 1466.3 (2.95), 88.8 requests a
#   file; big 27.7 files/s (554 MiB/s), lftp 25.5 (0.92), 214 requests a file.
#   load average 4.1: small 313.2, lftp 714.7 (2.28), 93.3 requests; big 50.5
#   (1010 MiB/s), lftp 20.2 (0.40), 225 requests.
#   load average 6.5 and 6.8: small 220.7 and 248.1, lftp 1055.3 and 942.6
#   (4.78 and 3.80), 88.6 and 88.1 requests; big 30.0 and 36.3, lftp 23.2 and
#   22.5 (0.77 and 0.62).
#   With the views merged, two runs on a quiet machine (load average 1.5 and
#   1.6): small 166.8 and 300.8 files/s, lftp 566.1 and 897.1 (3.39 and 2.98),
#   89.0 and 87.7 requests a file; big 36.7 and 27.5, lftp 22.3 and 25.1 (0.61
#   and 0.91), 249 and 221 requests a file. lftp's own small-set time varied
#   from 1.1 to 1.8 s between the two runs.
# The small set's time follows the machine's load far more than the queue's
# own work: Wine's one server process serves every thread of every Wine
# program on the machine, and a small file's 88 requests wait for it.
#   Where they go (traced pass over 300 files, by thread): the connection's
#   window thread 42 (seven messages a file, each a get_message and most a
#   wait: the worker's post, the 227, 150 and 226 replies, the data socket's
#   connect, read and close; making and connecting the data socket 6, its
#   close 2, the control sends and receives 2 each, the file's descriptor, the
#   finished event); the worker 32 (five sent notices of about five requests
#   each: begin and reset, finished to the function view and to the main
#   frame, the next item; the queue-ended post, the folder's posted items, the
#   local file, the event reset, the post of the commands, the wait, the
#   counting lock); the window side of the queue 19 (taking and answering
#   those messages). The notices stay sent, as the queue's receivers need.
#   Cutting further would need fewer messages on the connection's thread: a
#   small file's exchange done by blocking calls on that thread (PASV, the
#   connect, RETR, the data and the 226 without a message each, some 20
#   requests instead of 42), or the notices of a file joined into fewer
#   messages, which the queue's protocol does not allow.
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
for set in small big; do
  echo "queue_vs_lftp: $set through the queue (wine64)"
  ZARN_TIMEOUT=1800 "$top/scripts/wine-run.sh" "$driver" "$host" "$port" "$user" "$pass" "$served" "$set" \
    "$(winpath "$work/queue")" 5 >"$work/queue-$set.txt" || { cat "$work/queue-$set.txt"; exit 1; }
  read -r _ files secs bytes <"$work/queue-$set.txt"
  cmp_ok=1
  for f in "$served/$set"/*; do cmp -s "$f" "$work/queue/$set/$(basename "$f")" || { cmp_ok=0; echo "  differs: $f" >&2; }; done
  [ $cmp_ok = 1 ] || { echo "queue_vs_lftp: the queue's copy of $set differs" >&2; exit 1; }
  echo "$set queue $files $secs $bytes" >>"$results"

  echo "queue_vs_lftp: $set through lftp"
  start=$(date +%s.%N)
  lftp -u "$user,$pass" -p "$port" -e "set net:max-retries 1; mirror --parallel=5 $served/$set $work/lftp/$set; quit" \
    "$host" >/dev/null
  end=$(date +%s.%N)
  for f in "$served/$set"/*; do cmp -s "$f" "$work/lftp/$set/$(basename "$f")" || { echo "queue_vs_lftp: lftp's copy of $f differs" >&2; exit 1; }; done
  bytes=$(du -cb "$served/$set"/* | tail -1 | cut -f1)
  files=$(ls "$served/$set" | wc -l)
  echo "$set lftp $files $(echo "$end - $start" | bc) $bytes" >>"$results"
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
echo "queue_vs_lftp: 5 parallel transfers each, the copies checked with cmp"
printf '%-6s %-6s %7s %9s %10s %10s %14s\n' set client files seconds files/s MiB/s requests/file
awk -v one="$one" 'NR == FNR { traced[$1] = $2; next }
  { r = $2 == "queue" && $3 > 1 ? sprintf("%14.1f", (traced[$1] - one) / ($3 - 1)) : sprintf("%14s", "-")
    printf "%-6s %-6s %7d %9.3f %10.1f %10.2f %s\n", $1, $2, $3, $4, $3 / $4, $5 / 1048576 / $4, r }' \
  "$work/traced-counts.txt" "$results"
for set in small big; do
  awk -v s="$set" '$1 == s && $2 == "queue" { q = $3 / $4 } $1 == s && $2 == "lftp" { l = $3 / $4 }
    END { printf "%-6s files/s lftp/queue: %.2f\n", s, l / q }' "$results"
done
