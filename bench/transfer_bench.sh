#!/usr/bin/env bash
# transfer_bench.sh [MiB]: download and upload speed of the engine against curl
# and lftp, on vsftpd at 127.0.0.1, passive mode, default settings.
#
# A random file of MiB mebibytes (512 by default) is served by vsftpd (the test
# fixture of tests/peers/with-peers.sh, so it runs as root); each client
# downloads it and uploads it three times, every copy checked by SHA-256. The
# engine runs as bench's transfer_driver.exe under wine64 and xvfb-run and times
# itself from starting its connection thread to the end of the transfer, so
# Wine's own start-up is left out; curl reports its time_total; lftp is timed
# as a process. Prints every run, the medians and the ratios engine/curl and
# engine/lftp per direction.
#
# Needs the win64 build: ZARN_BUILD_ROOT (default build/) holds win64/bin/transfer_driver.exe.
set -eu
. "$(dirname "$0")/common.sh"
driver=$root/win64/bin/transfer_driver.exe
if [ "${1:-}" != --inside ]; then
  need_driver transfer_bench "$driver"
  need_tools transfer_bench curl lftp xvfb-run sha256sum
  run_inside vsftpd "$@"
fi
shift
mib=${1:-512}
runs=3
peer_server VSFTPD
mkdir -p "$work"

echo "transfer_bench: generating a ${mib} MiB random file"
head -c "$((mib * 1024 * 1024))" /dev/urandom >"$served/bench.bin"
chmod 644 "$served/bench.bin"
want=$(sha256sum <"$served/bench.bin" | cut -d' ' -f1)

# Wine for the engine: a prefix of the bench's own under the build root, made
# once; every driver run of this bench shares one X server.
export WINEPREFIX=$root/wineprefix-bench WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=;mshtml='
if [ ! -f "$WINEPREFIX/.booted" ]; then
  mkdir -p "$WINEPREFIX"
  xvfb-run -a /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
  touch "$WINEPREFIX/.booted"
fi

check() {  # path label
  local got
  got=$(sha256sum <"$1" | cut -d' ' -f1)
  if [ "$got" != "$want" ]; then
    echo "transfer_bench: $2: SHA-256 mismatch" >&2
    exit 1
  fi
  rm -f "$1"
}

results=$work/results.txt
: >"$results"
record() { echo "$1 $2 $3" >>"$results"; printf '  %-8s %-6s %8.3f s\n' "$1" "$2" "$3"; }

echo "transfer_bench: engine (wine64)"
# (Wine's processes outlive the X server briefly and say so: that line is noise.)
xvfb-run -a bash -s "$driver" "$host" "$port" "$user" "$pass" "$work" "$served" "$runs" >"$work/engine.txt" \
  2> >(grep -v '^X connection to .* broken' >&2) <<'ENGINE'
set -eu
driver=$1 host=$2 port=$3 user=$4 pass=$5 work=$6 served=$7 runs=$8
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
for i in $(seq "$runs"); do
  out=$(/usr/lib/wine/wine64 "$driver" get "$host" "$port" "$user" "$pass" bench.bin "$(winpath "$work/engine_$i.bin")")
  echo "download $i ${out#seconds=}"
  out=$(/usr/lib/wine/wine64 "$driver" put "$host" "$port" "$user" "$pass" "upload/engine_$i.bin" "$(winpath "$served/bench.bin")")
  echo "upload $i ${out#seconds=}"
done
ENGINE
while read -r dir i rest; do
  secs=${rest%% *}  # "<seconds> bytes=<n> login=<seconds>"
  if [ "$dir" = download ]; then check "$work/engine_$i.bin" "engine download $i"; else check "$served/upload/engine_$i.bin" "engine upload $i"; fi
  record "$dir" engine "$secs"
  echo "$dir login ${rest##*login=}" >>"$work/login.txt"
done <"$work/engine.txt"

echo "transfer_bench: curl"
for i in $(seq "$runs"); do
  secs=$(curl -sS -o "$work/curl_$i.bin" -w '%{time_total}' "ftp://$user:$pass@$host:$port/bench.bin")
  check "$work/curl_$i.bin" "curl download $i"
  record download curl "$secs"
  secs=$(curl -sS -T "$served/bench.bin" -w '%{time_total}' "ftp://$user:$pass@$host:$port/upload/curl_$i.bin")
  check "$served/upload/curl_$i.bin" "curl upload $i"
  record upload curl "$secs"
done

echo "transfer_bench: lftp"
now() { date +%s.%N; }
for i in $(seq "$runs"); do
  t0=$(now)
  lftp -u "$user,$pass" -p "$port" -e "get bench.bin -o $work/lftp_$i.bin; quit" "$host" >/dev/null
  t1=$(now)
  check "$work/lftp_$i.bin" "lftp download $i"
  record download lftp "$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')"
  t0=$(now)
  lftp -u "$user,$pass" -p "$port" -e "put $served/bench.bin -o upload/lftp_$i.bin; quit" "$host" >/dev/null
  t1=$(now)
  check "$served/upload/lftp_$i.bin" "lftp upload $i"
  record upload lftp "$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')"
done

echo
echo "transfer_bench: ${mib} MiB, $runs runs each, medians in seconds (MiB/s)"
printf '%-9s %18s %18s %18s %12s %12s\n' direction engine curl lftp engine/curl engine/lftp
for dir in download upload; do
  e=$(median "$dir" engine); c=$(median "$dir" curl); l=$(median "$dir" lftp)
  awk -v d="$dir" -v e="$e" -v c="$c" -v l="$l" -v m="$mib" 'BEGIN {
    printf "%-9s %8.3f (%7.1f) %8.3f (%7.1f) %8.3f (%7.1f) %12.2f %12.2f\n", d, e, m / e, c, m / c, l, m / l, e / c, e / l }'
done
for dir in download upload; do
  awk -v d="$dir" '$1 == d { t += $3; n++ } END { if (n) printf "engine %s: connection and login %.3f s of each run on average\n", d, t / n }' \
    "$work/login.txt"
done
rm -f "$served/bench.bin"
