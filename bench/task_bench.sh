#!/usr/bin/env bash
# task_bench.sh [MiB] [runs]: the upload and download tasks of the one-task
# worker against curl, on the loopback pyftpdlib server, passive mode, binary.
#
# A random file of MiB mebibytes (64 by default) is served by pyftpdlib (the
# fixture of tests/peers/with-peers.sh). bench's task_driver.exe (win64, under
# Wine) logs a site keeper in, then downloads the file by TASK_DOWNLOAD and
# uploads it back by TASK_UPLOAD, runs times each (3 by default); every task is
# timed from its start to the moment its job is let go. curl then does the same
# transfers (time_total, login included). Every copy is checked by SHA-256.
# Prints every run, the medians and the ratio task/curl per direction.
#
# Needs the win64 build: ZARN_BUILD_ROOT (default build/) holds
# win64/bin/task_driver.exe; Wine runs through scripts/wine-run.sh in that
# build root's prefix.
#
# Figures, 64 MiB, medians in seconds, on the shared 8-core build machine
# (other builds running, so single runs vary by a third):
#   8 KiB buffer, 1460-byte sends (before):
#     download task 0.84 / curl 0.10 (ratio 8.5), upload 1.45 / 0.09 (16.2);
#     under heavier load 3.36 / 0.14 (25) and 6.43 / 0.09 (71).
#   256 KiB buffer, gathering sends, 4 MiB socket buffers, uploads held for the
#   server's 1xx: download 0.13 / 0.14 (0.94-0.98), upload 0.12 / 0.10
#     (1.10-1.24) over three runs of five.
#   The same, one run each on the same machine (load average 8-11, other
#     helpers building): download 0.179 / 0.126 (1.42), upload 0.114 / 0.101
#     (1.13).
#   FD_READ deselected while a download drains its socket, 16 MiB or 200 ms
#   per event, whole-buffer gathering sends (now), load average 4-6: download
#     0.098 / 0.093 (1.06), upload 0.089 / 0.055 (1.61; curl's upload varied
#     0.055-0.101 over these runs). With a 1 MiB buffer, tried and dropped:
#     0.111 / 0.110 (1.01) and 0.061 / 0.075 (0.82).
#   Latest, the command sequences of every worker through the connection's
#   one routine, repeated CWD and TYPE not sent: load average 6: download
#     0.131 / 0.112 (1.17), upload 0.090 / 0.047 (1.90); load average 9:
#     download 0.115 / 0.101 (1.14), upload 0.079 / 0.075 (1.05).
set -eu
. "$(dirname "$0")/common.sh"
driver=$root/win64/bin/task_driver.exe
if [ "${1:-}" != --inside ]; then
  need_driver task_bench "$driver"
  need_tools task_bench curl sha256sum
  run_inside pyftpd "$@"
fi
shift
mib=${1:-64}
runs=${2:-3}
peer_server PYFTPD
mkdir -p "$work/local" "$served/up"

echo "task_bench: generating a ${mib} MiB random file"
head -c "$((mib * 1024 * 1024))" /dev/urandom >"$served/bench.bin"
want=$(sha256sum <"$served/bench.bin" | cut -d' ' -f1)
check() {  # path label
  local got
  got=$(sha256sum <"$1" | cut -d' ' -f1)
  [ "$got" = "$want" ] || { echo "task_bench: $2: SHA-256 mismatch" >&2; exit 1; }
}

results=$work/results.txt
: >"$results"
record() { echo "$1 $2 $3" >>"$results"; printf '  %-8s %-5s %8.3f s\n' "$1" "$2" "$3"; }

echo "task_bench: tasks (wine64)"
# Each run checks its copies before the next one overwrites them.
for i in $(seq "$runs"); do
  ZARN_TIMEOUT=900 "$top/scripts/wine-run.sh" "$driver" "$host" "$port" "$user" "$pass" / bench.bin \
    "$(winpath "$work/local")" /up 1 >"$work/task.txt" || { cat "$work/task.txt"; exit 1; }
  while read -r dir _ secs _; do
    if [ "$dir" = download ]; then check "$work/local/bench.bin" "task download $i"; else check "$served/up/bench.bin" "task upload $i"; fi
    record "$dir" task "$secs"
  done <"$work/task.txt"
  rm -f "$served/up/bench.bin" "$work/local/bench.bin"
done

echo "task_bench: curl"
for i in $(seq "$runs"); do
  secs=$(curl -sS -o "$work/curl.bin" -w '%{time_total}' "ftp://$user:$pass@$host:$port/bench.bin")
  check "$work/curl.bin" "curl download $i"
  record download curl "$secs"
  secs=$(curl -sS -T "$work/curl.bin" -w '%{time_total}' "ftp://$user:$pass@$host:$port/up/curl.bin")
  check "$served/up/curl.bin" "curl upload $i"
  record upload curl "$secs"
  rm -f "$work/curl.bin" "$served/up/curl.bin"
done

echo
echo "task_bench: ${mib} MiB, $runs runs each, medians in seconds (MiB/s)"
printf '%-9s %18s %18s %10s\n' direction task curl task/curl
for dir in download upload; do
  t=$(median "$dir" task); c=$(median "$dir" curl)
  awk -v d="$dir" -v t="$t" -v c="$c" -v m="$mib" 'BEGIN {
    printf "%-9s %8.3f (%7.1f) %8.3f (%7.1f) %10.2f\n", d, t, m / t, c, m / c, t / c }'
done
rm -f "$served/bench.bin"
