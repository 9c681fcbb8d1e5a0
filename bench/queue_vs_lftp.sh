#!/usr/bin/env bash
# queue_vs_lftp.sh [small] [big]: the queue's downloads against a plain Winsock
# client under the same Wine and against lftp's mirror, in one run on the
# loopback vsftpd server (the fixture of tests/peers/with-peers.sh).
#
# The server's root gets a folder of <small> files of 4 KiB (1000 by default)
# and a folder of <big> files of 20 MiB (20 by default). Each folder is fetched
# at 5 and at 10 parallel transfers by four clients, one after another so all
# meet the same load:
#   stand-in  bench's queue_driver.exe through the tests' stand-in of the
#             function view: one work site, option bit 8 on, timed from Start
#             Queue to the end of the last worker (login included);
#   page      the same through the real function view's queue page (its window
#             on the screen): the queue as the program runs it;
#   probe     bench's smallfile_probe.exe: blocking Winsock threads, one control
#             connection each, PASV + RETR + CreateFile/WriteFile/CloseHandle per
#             file, no engine code (the ceiling the platform allows);
#   lftp      mirror --parallel (native, not under Wine; the whole command).
# Every copy is checked against the server's with diff.
#
# Then, untimed, stand-in, page and probe fetch each folder again at 5 under a
# Wine server that traces its requests (`wineserver -f -d1 -p`, in a prefix of
# the bench's own under xvfb-run): the requests of the folder's run less those
# of a run over a folder of one file, divided by the files less one. With
# ZARN_BENCH_TRACE=<file> the trace of the page's small run is kept there;
# ZARN_BENCH_TRACED=0 leaves the traced pass out.
#
# Prints files/s, MiB/s and requests a file of each, then per folder and
# worker count the time ratios page/probe ("queue/probe"), probe/lftp and
# page/lftp, and the page's rate against the stand-in's.
#
# Needs root (vsftpd runs as the real daemon) and the win64 build:
# ZARN_BUILD_ROOT (default build/) holds win64/bin/queue_driver.exe and
# smallfile_probe.exe.
#
# Latest figures (three runs: small queue/probe 1.51, 1.19, 0.93 at 5 workers,
# median 1.19; big files queue/lftp 0.88, 0.98, 0.83 at 5 and 1.00, 1.03, 0.91 at
# 10): the README's Benchmarks, bench/queue_vs_lftp.sh.
set -eu
. "$(dirname "$0")/common.sh"
driver=$root/win64/bin/queue_driver.exe
probe=$root/win64/bin/smallfile_probe.exe
if [ "${1:-}" != --inside ]; then
  need_driver queue_vs_lftp "$driver"
  need_driver queue_vs_lftp "$probe"
  need_tools queue_vs_lftp xvfb-run diff bc
  command -v lftp >/dev/null || apt-get install -y lftp >/dev/null ||
    { echo "queue_vs_lftp: lftp is missing and could not be installed" >&2; exit 1; }
  run_inside vsftpd "$@"
fi
shift
small=${1:-1000}
big=${2:-20}
peer_server VSFTPD
mkdir -p "$work/copies" "$served/small" "$served/big"
chmod 755 "$served/small" "$served/big"

echo "queue_vs_lftp: filling the server: $small x 4 KiB, $big x 20 MiB"
for i in $(seq "$small"); do head -c 4096 /dev/urandom >"$served/small/s$i.bin"; done
for i in $(seq "$big"); do head -c $((20 * 1024 * 1024)) /dev/urandom >"$served/big/b$i.bin"; done
chmod 644 "$served"/small/* "$served"/big/*

# same SET COPY: stops unless every file of the set arrived unchanged in COPY.
# One diff for the folder: a cmp per file forks a thousand times on a busy machine.
same() {
  diff -rq "$served/$1" "$2" >&2 || { echo "queue_vs_lftp: $2 differs from the server's $1" >&2; exit 1; }
}

# report: the table and the ratios, from $results and the traced counts.
report() {
  echo
  echo "queue_vs_lftp: the copies checked with diff; load average at the end of each folder and count:$loads"
  printf '%-6s %-9s %7s %7s %9s %10s %10s %14s\n' set client workers files seconds files/s MiB/s requests/file
  awk 'FILENAME == ARGV[1] { if ($1 == "one") one[$2] = $3; else traced[$1 " " $2] = $3; next }
    { k = $1 " " $2
      r = $3 == 5 && (k in traced) && $4 > 1 ? sprintf("%14.1f", (traced[k] - one[$2]) / ($4 - 1)) : sprintf("%14s", "-")
      printf "%-6s %-9s %7d %7d %9.3f %10.1f %10.2f %s\n", $1, $2, $3, $4, $5, $4 / $5, $6 / 1048576 / $5, r }' \
    "$work/traced-counts.txt" "$results"
  for set in small big; do
    for workers in 5 10; do
      awk -v s="$set" -v w="$workers" '$1 == s && $3 == w { t[$2] = $5 }
        END { printf "%-6s %2d: time queue/probe %.2f  probe/lftp %.2f  queue/lftp %.2f  stand-in/probe %.2f  rate page/stand-in %.2f\n",
                     s, w, t["page"] / t["probe"], t["probe"] / t["lftp"], t["page"] / t["lftp"],
                     t["stand-in"] / t["probe"], t["stand-in"] / t["page"] }' "$results"
    done
  done
}

results=$work/results.txt
: >"$results"
loads=
# run SET CLIENT WORKERS: one timed download of SET, its line into $results.
run() {
  local set=$1 client=$2 workers=$3 copy=$work/copies/$2 out=$work/$1-$2-$3.txt start end files secs bytes
  rm -rf "$copy"
  mkdir -p "$copy"
  echo "queue_vs_lftp: $set through $client, $workers parallel"
  case $client in
    stand-in|page)
      ZARN_TIMEOUT=1800 "$top/scripts/wine-run.sh" "$driver" "$host" "$port" "$user" "$pass" "$served" "$set" \
        "$(winpath "$copy")" "$workers" $([ "$client" = page ] && echo page) >"$out" || { cat "$out"; exit 1; }
      same "$set" "$copy/$set"
      read -r _ files secs bytes <"$out" ;;
    probe)
      ZARN_TIMEOUT=1800 "$top/scripts/wine-run.sh" "$probe" "$host" "$port" "$user" "$pass" "$served/$set" \
        "$(winpath "$copy/$set")" "$workers" >"$out" || { cat "$out"; exit 1; }
      same "$set" "$copy/$set"
      read -r _ files secs bytes <"$out" ;;
    lftp)
      start=$(date +%s.%N)
      lftp -u "$user,$pass" -p "$port" \
        -e "set net:max-retries 1; mirror --parallel=$workers $served/$set $copy/$set; quit" "$host" >/dev/null
      end=$(date +%s.%N)
      same "$set" "$copy/$set"
      files=$(ls "$served/$set" | wc -l)
      secs=$(echo "$end - $start" | bc)
      bytes=$(du -cb "$served/$set"/* | tail -1 | cut -f1) ;;
  esac
  echo "$set $client $workers $files $secs $bytes" >>"$results"
}
for set in small big; do
  for workers in 5 10; do
    for client in stand-in page probe lftp; do
      run "$set" "$client" "$workers"
    done
    loads="$loads $(cut -d' ' -f1 /proc/loadavg)"
  done
done
rm -rf "$work/copies"
# The timed figures now: a traced pass that fails leaves them shown.
echo "queue_vs_lftp: timed runs (set client workers files seconds bytes):"
cat "$results"
[ "${ZARN_BENCH_TRACED:-1}" != 0 ] || { : >"$work/traced-counts.txt"; report; exit 0; }

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
xvfb-run -a bash -s "$driver" "$probe" "$host" "$port" "$user" "$pass" "$served" "$work" "${ZARN_BENCH_TRACE:-}" \
  >"$work/traced-counts.txt" 2> >(grep -v '^X connection to .* broken' >&2) <<'TRACED'
set -eu
driver=$1 probe=$2 host=$3 port=$4 user=$5 pass=$6 served=$7 work=$8 keep=$9
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -w
/usr/lib/wine/wineserver -f -d1 -p 2>"$work/trace.txt" </dev/null >/dev/null &
traced=$!
lines() { wc -l <"$work/trace.txt"; }
requests() { grep -cE '^[0-9a-f]+: [a-z_0-9]+\( ' "$work/trace.txt" || true; }
# The first run of each client warms the prefix; the second over one file is the base.
for client in stand-in page probe; do
  for set in one one small big; do
    before=$(requests)
    from=$(lines)
    out=$work/traced/$client
    rm -rf "$out/$set"
    mkdir -p "$out"
    if [ "$client" = probe ]; then
      set -- "$probe" "$host" "$port" "$user" "$pass" "$served/$set" "$(winpath "$out/$set")" 5
    elif [ "$client" = page ]; then
      set -- "$driver" "$host" "$port" "$user" "$pass" "$served" "$set" "$(winpath "$out")" 5 page
    else
      set -- "$driver" "$host" "$port" "$user" "$pass" "$served" "$set" "$(winpath "$out")" 5
    fi
    /usr/lib/wine/wine64 "$@" >"$work/traced-run.txt" 2>&1 ||
      { echo "queue_vs_lftp: the traced $client run over $set failed" >&2; cat "$work/traced-run.txt" >&2; exit 1; }
    after=$(requests)
    [ -z "$keep" ] || [ "$client $set" != "page small" ] || tail -n +"$((from + 1))" "$work/trace.txt" >"$keep"
    echo "$set $client $((after - before))"
  done
done
/usr/lib/wine/wineserver -k
wait $traced || true
TRACED
for client in stand-in page probe; do
  for set in small big; do
    same "$set" "$work/traced/$client/$set"
  done
done
rm -rf "$work/trace.txt" "$work/traced"

report
