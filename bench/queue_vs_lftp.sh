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
# the ratio lftp/queue of files per second (the target: at most 1.5).
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
set -eu
. "$(dirname "$0")/common.sh"
driver=$root/win64/bin/queue_driver.exe
if [ "${1:-}" != --inside ]; then
  need_driver queue_vs_lftp "$driver"
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

echo
echo "queue_vs_lftp: 5 parallel transfers each, the copies checked with cmp"
printf '%-6s %-6s %7s %9s %10s %10s\n' set client files seconds files/s MiB/s
awk '{ printf "%-6s %-6s %7d %9.3f %10.1f %10.2f\n", $1, $2, $3, $4, $3 / $4, $5 / 1048576 / $4 }' "$results"
for set in small big; do
  awk -v s="$set" '$1 == s && $2 == "queue" { q = $3 / $4 } $1 == s && $2 == "lftp" { l = $3 / $4 }
    END { printf "%-6s files/s lftp/queue: %.2f\n", s, l / q }' "$results"
done
