#!/usr/bin/env bash
# Installs, idempotently, what building and testing zarn needs on Debian 12.
set -eu
pkgs="cmake ninja-build g++ clang libclang-rt-14-dev googletest
 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
 mingw-w64-x86-64-dev mingw-w64-i686-dev wine wine64 xvfb xauth x11-utils imagemagick xdotool
 python3 python3-pyftpdlib vsftpd curl lftp dante-server microsocks tinyproxy ftp-proxy procps
 fonts-wine fonts-wqy-microhei locales"
missing=""
for p in $pkgs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "setup: installing$missing"
  export DEBIAN_FRONTEND=noninteractive
  sudo_=""; [ "$(id -u)" = 0 ] || sudo_=sudo
  $sudo_ apt-get update -qq
  $sudo_ apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi
# Wine takes its ANSI code page from an installed Unix locale: the demo runs
# with zh_CN.UTF-8 (code page 936) so the program's GBK texts read as Chinese.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
  sudo_=""; [ "$(id -u)" = 0 ] || sudo_=sudo
  if [ -f /etc/locale.gen ]; then
    $sudo_ sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $sudo_ tee -a /etc/locale.gen >/dev/null
    $sudo_ locale-gen >/dev/null
  fi
fi
# The packaged services must not hold the ports or files of the tests.
for svc in vsftpd tinyproxy danted ftp-proxy; do
  if command -v systemctl >/dev/null 2>&1 && systemctl is-active --quiet "$svc" 2>/dev/null; then
    systemctl stop "$svc" >/dev/null 2>&1 || true
  fi
done
exit 0
