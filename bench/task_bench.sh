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
#   per event, whole-buffer gathering sends, 256 KiB buffer, load average 4-6:
#     download 0.098 / 0.093 (1.06), upload 0.089 / 0.055 (1.61; curl's upload
#     varied 0.055-0.101 over these runs).
#   256 KiB against 1 MiB buffer, the same build otherwise, two alternating
#   runs of five each (load average 4.6 and 4.2 before the 256 KiB runs, 2.6
#   and 3.5 before the 1 MiB ones): 256 KiB download 0.154 / 0.160 (0.96) and
#   0.216 / 0.154 (1.40), upload 0.107 / 0.089 (1.20) and 0.159 / 0.100
#   (1.59); 1 MiB download 0.068 / 0.133 (0.51) and 0.130 / 0.131 (0.99),
#   upload 0.096 / 0.099 (0.97) and 0.126 / 0.095 (1.32). The 1 MiB buffer is
#   kept: faster both ways, and a megabyte takes one receive instead of four.
#   Latest: 1 MiB buffer written to the file in 256 KiB pieces, every command
#   sequence through the connection's one routine, no repeated CWD or TYPE,
#   three runs each: load average 4.6: download 0.082 / 0.146 (0.56), upload
#     0.105 / 0.099 (1.06); load average 7.9: download 0.110 / 0.152 (0.73),
#     upload 0.120 / 0.085 (1.41); load average 6.3: download 0.088 / 0.169
#     (0.52), upload 0.104 / 0.096 (1.08). The upload's ratio follows curl's
#     own upload time, which varies by half from run to run (0.067-0.099 s
#     here), the task's 0.085-0.120 s.
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
