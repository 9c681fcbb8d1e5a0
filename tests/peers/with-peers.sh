#!/usr/bin/env bash
# with-peers.sh [--pyftpd] [--scripted] [--vsftpd] [--scriptproxy] [--microsocks]
#                [--tinyproxy] [--ftpproxy] [--s2s] -- command...
# Starts the named loopback FTP peers on free ports with a temporary root, runs
# the command with their coordinates in the environment, then stops them.
#   ZARN_PYFTPD_PORT, ZARN_PYFTPD_ROOT (Unix path), ZARN_PYFTPD_ROOT_WIN (Z:\...),
#   ZARN_PYFTPD_USER, ZARN_PYFTPD_PASS, ZARN_PYFTPD_LOG, ZARN_PYFTPD_CMDFILE (its command
#   line, shell-quoted), ZARN_PYFTPD_PIDFILE (its pid; a restart writes the new one there)
#   ZARN_SCRIPTED_PORT, ZARN_SCRIPTED_CTL_PORT
#   ZARN_VSFTPD_PORT, ZARN_VSFTPD_ROOT, ZARN_VSFTPD_ROOT_WIN, ZARN_VSFTPD_USER,
#   ZARN_VSFTPD_PASS, ZARN_VSFTPD_LOG (vsftpd needs root: it runs as the real daemon)
#   ZARN_SCRIPTPROXY_PORT (SOCKS4/5, HTTP CONNECT), ZARN_SCRIPTPROXY_FTP_PORT (FTP-proxy
#   stub), ZARN_SCRIPTPROXY_CTL_PORT, ZARN_SCRIPTPROXY_LOG
#   ZARN_MICROSOCKS_PORT (no authentication), ZARN_MICROSOCKS_AUTH_PORT with
#   ZARN_MICROSOCKS_USER, ZARN_MICROSOCKS_PASS
#   ZARN_TINYPROXY_PORT (any CONNECT), ZARN_TINYPROXY_AUTH_PORT (BasicAuth
#   ZARN_TINYPROXY_USER, ZARN_TINYPROXY_PASS), ZARN_TINYPROXY_443_PORT (ConnectPort 443 only)
#   ZARN_FTPPROXY_PORT (ftp-proxy standalone, user@host:port logins)
#   ZARN_S2S_PORT_<n>, ZARN_S2S_ROOT_WIN_<n>, ZARN_S2S_LOG_<n> for n = 2, 3 (pyftpdlib on
#   127.0.0.<n>, foreign data addresses permitted) and 4 (the same, but a PORT to a
#   foreign address refused with 501); user zarn, password secret
set -u
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
want_py=0; want_sc=0; want_vs=0; want_sp=0; want_ms=0; want_tp=0; want_fp=0; want_s2s=0
while [ $# -gt 0 ]; do
  case $1 in
    --pyftpd) want_py=1 ;;
    --scripted) want_sc=1 ;;
    --vsftpd) want_vs=1 ;;
    --scriptproxy) want_sp=1 ;;
    --microsocks) want_ms=1 ;;
    --tinyproxy) want_tp=1 ;;
    --ftpproxy) want_fp=1 ;;
    --s2s) want_s2s=1 ;;
    --) shift; break ;;
    *) echo "with-peers: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
work=$(mktemp -d /tmp/zarn-peers.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  [ -s "$work/pyftpd.pid" ] && kill "$(cat "$work/pyftpd.pid")" 2>/dev/null
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
  # Its command and pid in files, for a test that kills the server and starts
  # it again (on its port: --port); whatever pid the file names at the end is
  # stopped with the rest.
  pycmd=("$py" "$here/pyftpd.py" --root "$work/pyroot" --user zarn --password secret --port-file "$work/py.port"
         --log "$work/pyftpd.log")
  export ZARN_PYFTPD_CMDFILE=$work/pyftpd.cmd ZARN_PYFTPD_PIDFILE=$work/pyftpd.pid
  printf '%q ' "${pycmd[@]}" >"$ZARN_PYFTPD_CMDFILE"
  "${pycmd[@]}" </dev/null >"$work/pyftpd.out" 2>&1 &
  pids+=($!)
  echo $! >"$ZARN_PYFTPD_PIDFILE"
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
    echo "max_clients=200"; echo "max_per_ip=200"; echo "ls_recurse_enable=YES"
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
# Proxies. Daemons that drop to nobody need a folder of their own they can write.
freeport() { $py -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'; }
waitport() { # port name pid
  for _ in $(seq 100); do
    $py -c 'import socket, sys; socket.create_connection(("127.0.0.1", int(sys.argv[1])), 1).close()' "$1" 2>/dev/null && return 0
    kill -0 "$3" 2>/dev/null || break
    sleep 0.1
  done
  echo "with-peers: $2 did not start" >&2; return 1
}
if [ $want_tp = 1 ] || [ $want_fp = 1 ]; then
  mkdir -p "$work/daemons"; chmod 755 "$work"; chmod 777 "$work/daemons"
  drop=""; [ "$(id -u)" = 0 ] && drop=1
fi
if [ $want_sp = 1 ]; then
  export ZARN_SCRIPTPROXY_LOG=$work/scriptproxy.log
  $py "$here/proxy_peer.py" --port-file "$work/sp.port" --log "$work/scriptproxy.log" </dev/null >"$work/scriptproxy.out" 2>&1 &
  pids+=($!)
  waitfile "$work/sp.port" scriptproxy || { cat "$work/scriptproxy.out" >&2; exit 1; }
  read -r ZARN_SCRIPTPROXY_PORT ZARN_SCRIPTPROXY_FTP_PORT ZARN_SCRIPTPROXY_CTL_PORT <"$work/sp.port"
  export ZARN_SCRIPTPROXY_PORT ZARN_SCRIPTPROXY_FTP_PORT ZARN_SCRIPTPROXY_CTL_PORT
fi
if [ $want_ms = 1 ]; then
  export ZARN_MICROSOCKS_USER=zsocks ZARN_MICROSOCKS_PASS=zsockspw
  ZARN_MICROSOCKS_PORT=$(freeport)
  microsocks -i 127.0.0.1 -p "$ZARN_MICROSOCKS_PORT" </dev/null >"$work/microsocks.out" 2>&1 &
  pids+=($!); waitport "$ZARN_MICROSOCKS_PORT" microsocks $! || exit 1
  ZARN_MICROSOCKS_AUTH_PORT=$(freeport)
  microsocks -i 127.0.0.1 -p "$ZARN_MICROSOCKS_AUTH_PORT" -u "$ZARN_MICROSOCKS_USER" -P "$ZARN_MICROSOCKS_PASS" \
      </dev/null >"$work/microsocks-auth.out" 2>&1 &
  pids+=($!); waitport "$ZARN_MICROSOCKS_AUTH_PORT" "microsocks -u" $! || exit 1
  export ZARN_MICROSOCKS_PORT ZARN_MICROSOCKS_AUTH_PORT
fi
if [ $want_tp = 1 ]; then
  # No ConnectPort line: CONNECT to any port (the FTP ports included).
  export ZARN_TINYPROXY_USER=ztiny ZARN_TINYPROXY_PASS=ztinypw
  tinyproxy_start() { # name port extra-lines
    {
      echo "Port $2"; echo "Listen 127.0.0.1"; echo "Allow 127.0.0.1"; echo "Timeout 600"; echo "MaxClients 200"
      echo "LogLevel Info"; echo "LogFile \"$work/daemons/tinyproxy-$1.log\""; echo "PidFile \"$work/daemons/tinyproxy-$1.pid\""
      [ -n "$drop" ] && { echo "User nobody"; echo "Group nogroup"; }
      printf '%b' "$3"
    } >"$work/tinyproxy-$1.conf"
    tinyproxy -d -c "$work/tinyproxy-$1.conf" </dev/null >"$work/tinyproxy-$1.out" 2>&1 &
    pids+=($!); waitport "$2" "tinyproxy $1" $! || { cat "$work/tinyproxy-$1.out" >&2; return 1; }
  }
  ZARN_TINYPROXY_PORT=$(freeport); tinyproxy_start open "$ZARN_TINYPROXY_PORT" "" || exit 1
  ZARN_TINYPROXY_AUTH_PORT=$(freeport)
  tinyproxy_start auth "$ZARN_TINYPROXY_AUTH_PORT" "BasicAuth $ZARN_TINYPROXY_USER $ZARN_TINYPROXY_PASS\n" || exit 1
  ZARN_TINYPROXY_443_PORT=$(freeport); tinyproxy_start 443 "$ZARN_TINYPROXY_443_PORT" "ConnectPort 443\n" || exit 1
  export ZARN_TINYPROXY_PORT ZARN_TINYPROXY_AUTH_PORT ZARN_TINYPROXY_443_PORT
fi
if [ $want_fp = 1 ]; then
  # Standalone, in the foreground; the login names the server as user@host:port.
  ZARN_FTPPROXY_PORT=$(freeport)
  {
    echo "[-Global-]"; echo "ServerType standalone"; echo "Listen 127.0.0.1"; echo "Port $ZARN_FTPPROXY_PORT"
    echo "AllowMagicUser yes"; echo "DestinationAddress 127.0.0.1"; echo "ForkLimit 1000"
    echo "PidFile $work/daemons/ftp-proxy.pid"; echo "LogDestination $work/daemons/ftp-proxy.log"; echo "LogLevel INF"
    [ -n "$drop" ] && { echo "User nobody"; echo "Group nogroup"; }
  } >"$work/ftp-proxy.conf"
  /usr/sbin/ftp-proxy -d -n -f "$work/ftp-proxy.conf" </dev/null >"$work/ftp-proxy.out" 2>&1 &
  pids+=($!); waitport "$ZARN_FTPPROXY_PORT" ftp-proxy $! || { cat "$work/ftp-proxy.out" >&2; exit 1; }
  export ZARN_FTPPROXY_PORT
fi
if [ $want_s2s = 1 ]; then
  for n in 2 3 4; do
    refuse=""; [ $n = 4 ] && refuse=--refuse-foreign-port
    mkdir -p "$work/s2sroot$n"
    $py "$here/../s2s/s2s_ftpd.py" --address 127.0.0.$n --root "$work/s2sroot$n" --port-file "$work/s2s$n.port" \
        --log "$work/s2s$n.log" $refuse </dev/null >"$work/s2s$n.out" 2>&1 &
    pids+=($!)
    waitfile "$work/s2s$n.port" "s2s server $n" || { cat "$work/s2s$n.out" >&2; exit 1; }
    export ZARN_S2S_PORT_$n="$(cat "$work/s2s$n.port")" ZARN_S2S_ROOT_WIN_$n="$(winpath "$work/s2sroot$n")"
    export ZARN_S2S_LOG_$n="$work/s2s$n.log"
  done
fi
export ZARN_PEER_WORK=$work ZARN_PEER_WORK_WIN=$(winpath "$work")
"$@"
rc=$?
if [ $rc != 0 ] && [ -s "$work/scripted.out" ]; then echo "--- scripted server output:"; tail -n 40 "$work/scripted.out"; fi
exit $rc
