#!/usr/bin/env bash
# with-peers.sh [--pyftpd] [--scripted] [--vsftpd] -- command...
# Starts the named loopback FTP peers on free ports with a temporary root, runs
# the command with their coordinates in the environment, then stops them.
#   ZARN_PYFTPD_PORT, ZARN_PYFTPD_ROOT (Unix path), ZARN_PYFTPD_ROOT_WIN (Z:\...),
#   ZARN_PYFTPD_USER, ZARN_PYFTPD_PASS, ZARN_PYFTPD_LOG
#   ZARN_SCRIPTED_PORT, ZARN_SCRIPTED_CTL_PORT
#   ZARN_VSFTPD_PORT, ZARN_VSFTPD_ROOT, ZARN_VSFTPD_ROOT_WIN, ZARN_VSFTPD_USER,
#   ZARN_VSFTPD_PASS, ZARN_VSFTPD_LOG (vsftpd needs root: it runs as the real daemon)
set -u
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
want_py=0; want_sc=0; want_vs=0
while [ $# -gt 0 ]; do
  case $1 in
    --pyftpd) want_py=1 ;;
    --scripted) want_sc=1 ;;
    --vsftpd) want_vs=1 ;;
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
if [ $want_vs = 1 ]; then
  # The real daemon from a generated config: a read-only root with a writable
  # "upload" folder, anonymous logins and one local user with a password.
  [ "$(id -u)" = 0 ] || { echo "with-peers: vsftpd needs root" >&2; exit 1; }
  vsroot=$work/vsroot
  mkdir -p "$vsroot/upload" /var/run/vsftpd/empty
  chmod 755 "$work" "$vsroot"; chmod 777 "$vsroot/upload"
  echo "zarn vsftpd test file" >"$vsroot/readme.txt"; chmod 644 "$vsroot/readme.txt"
  export ZARN_VSFTPD_USER=zarnftp ZARN_VSFTPD_PASS=vsecret ZARN_VSFTPD_ROOT=$vsroot ZARN_VSFTPD_LOG=$work/vsftpd.log
  export ZARN_VSFTPD_ROOT_WIN=$(winpath "$vsroot")
  # The local user (no login shell) and a PAM service of its own, made once per
  # machine; under a lock because tests start their fixtures in parallel.
  (
    flock 9
    id -u "$ZARN_VSFTPD_USER" >/dev/null 2>&1 ||
      useradd -M -d / -s /usr/sbin/nologin "$ZARN_VSFTPD_USER" || exit 1
    # vsftpd enters the home folder before local_root: it must exist.
    [ "$(getent passwd "$ZARN_VSFTPD_USER" | cut -d: -f6)" = / ] || usermod -d / "$ZARN_VSFTPD_USER" || exit 1
    echo "$ZARN_VSFTPD_USER:$ZARN_VSFTPD_PASS" | chpasswd || exit 1
    [ -f /etc/pam.d/zarn-vsftpd ] ||
      printf 'auth required pam_unix.so\naccount required pam_unix.so\nsession required pam_permit.so\n' \
        >/etc/pam.d/zarn-vsftpd
  ) 9>/tmp/zarn-vsftpd-user.lock || { echo "with-peers: cannot make the vsftpd user" >&2; exit 1; }
  # A free control port and a block of 50 passive ports.
  read -r vsport pasv_lo < <($py -c 'import random, socket
s = socket.socket(); s.bind(("127.0.0.1", 0)); p = s.getsockname()[1]; s.close()
print(p, random.randrange(20000, 30000, 50))')
  {
    echo "listen=YES"; echo "listen_ipv6=NO"; echo "listen_address=127.0.0.1"; echo "listen_port=$vsport"
    echo "background=NO"; echo "run_as_launching_user=NO"; echo "seccomp_sandbox=NO"; echo "connect_from_port_20=NO"
    echo "anonymous_enable=YES"; echo "anon_root=$vsroot"; echo "anon_upload_enable=YES"
    echo "anon_mkdir_write_enable=YES"; echo "anon_other_write_enable=YES"; echo "anon_umask=022"
    echo "local_enable=YES"; echo "local_root=$vsroot"; echo "write_enable=YES"; echo "local_umask=022"
    echo "check_shell=NO"; echo "userlist_enable=NO"; echo "pam_service_name=zarn-vsftpd"
    echo "secure_chroot_dir=/var/run/vsftpd/empty"
    echo "pasv_enable=YES"; echo "pasv_min_port=$pasv_lo"; echo "pasv_max_port=$((pasv_lo + 49))"
    echo "max_clients=200"; echo "max_per_ip=200"
    echo "xferlog_enable=YES"; echo "xferlog_std_format=NO"; echo "log_ftp_protocol=YES"
    echo "vsftpd_log_file=$work/vsftpd.log"
  } >"$work/vsftpd.conf"
  /usr/sbin/vsftpd "$work/vsftpd.conf" </dev/null >"$work/vsftpd.out" 2>&1 &
  pids+=($!)
  up=0
  for _ in $(seq 100); do
    if $py -c 'import socket, sys; socket.create_connection(("127.0.0.1", int(sys.argv[1])), 1).close()' "$vsport" 2>/dev/null; then
      up=1; break
    fi
    sleep 0.1
  done
  [ $up = 1 ] || { echo "with-peers: vsftpd did not start" >&2; cat "$work/vsftpd.out" >&2; exit 1; }
  export ZARN_VSFTPD_PORT=$vsport
fi
export ZARN_PEER_WORK=$work ZARN_PEER_WORK_WIN=$(winpath "$work")
"$@"
rc=$?
if [ $rc != 0 ] && [ -s "$work/scripted.out" ]; then echo "--- scripted server output:"; tail -n 40 "$work/scripted.out"; fi
exit $rc
