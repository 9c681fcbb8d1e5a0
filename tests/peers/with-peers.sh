#!/usr/bin/env bash
# with-peers.sh [--pyftpd] [--scripted] -- command...
# Starts the named loopback FTP peers on free ports with a temporary root, runs
# the command with their coordinates in the environment, then stops them.
#   ZARN_PYFTPD_PORT, ZARN_PYFTPD_ROOT (Unix path), ZARN_PYFTPD_ROOT_WIN (Z:\...),
#   ZARN_PYFTPD_USER, ZARN_PYFTPD_PASS, ZARN_PYFTPD_LOG
#   ZARN_SCRIPTED_PORT, ZARN_SCRIPTED_CTL_PORT
set -u
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
want_py=0; want_sc=0
while [ $# -gt 0 ]; do
  case $1 in
    --pyftpd) want_py=1 ;;
    --scripted) want_sc=1 ;;
    --) shift; break ;;
    *) echo "with-peers: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
work=$(mktemp -d /tmp/zarn-peers.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
waitfile() { for _ in $(seq 150); do [ -s "$1" ] && return 0; sleep 0.1; done; echo "with-peers: $2 did not start" >&2; return 1; }
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
if [ $want_py = 1 ]; then
  mkdir -p "$work/pyroot"
  export ZARN_PYFTPD_ROOT=$work/pyroot ZARN_PYFTPD_USER=zarn ZARN_PYFTPD_PASS=secret ZARN_PYFTPD_LOG=$work/pyftpd.log
  export ZARN_PYFTPD_ROOT_WIN=$(winpath "$work/pyroot")
  $py "$here/pyftpd.py" --root "$work/pyroot" --user zarn --password secret --port-file "$work/py.port" \
      --log "$work/pyftpd.log" </dev/null >"$work/pyftpd.out" 2>&1 &
  pids+=($!)
  waitfile "$work/py.port" pyftpd || { cat "$work/pyftpd.out" >&2; exit 1; }
  export ZARN_PYFTPD_PORT=$(cat "$work/py.port")
fi
if [ $want_sc = 1 ]; then
  $py "$here/scripted_ftpd.py" --port-file "$work/sc.port" </dev/null >"$work/scripted.out" 2>&1 &
  pids+=($!)
  waitfile "$work/sc.port" scripted || { cat "$work/scripted.out" >&2; exit 1; }
  read -r ZARN_SCRIPTED_PORT ZARN_SCRIPTED_CTL_PORT <"$work/sc.port"
  export ZARN_SCRIPTED_PORT ZARN_SCRIPTED_CTL_PORT
fi
export ZARN_PEER_WORK=$work ZARN_PEER_WORK_WIN=$(winpath "$work")
"$@"
rc=$?
if [ $rc != 0 ] && [ -s "$work/scripted.out" ]; then echo "--- scripted server output:"; tail -n 40 "$work/scripted.out"; fi
exit $rc
