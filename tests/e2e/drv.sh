# drv ARG...: the e2e driver (e2e_driver.exe) asked as a command line asks
# it. Sourced; the caller sets bin (the folder of e2e_driver.exe), top, root
# (where the FIFOs and the server's pid live), the Wine environment and until_ok.
# The driver: one Wine process serving the whole scenario (started with the
# program), asked through two FIFOs; a call costs milliseconds instead of a
# Wine start (0.3-2 s under load). Without it, one Wine process a call.
drv() {
  [ -n "${E2E_TIMES:-}" ] || { if drv_serving; then drv_ask "$@"; else drv_once "$@"; fi; return; }
  # E2E_TIMES=FILE: each call's seconds and arguments are added to FILE.
  local t0=$EPOCHREALTIME rc
  if drv_serving; then drv_ask "$@"; else drv_once "$@"; fi
  rc=$?
  printf '%s drv %s\n' "$(bc <<<"$EPOCHREALTIME - $t0")" "$*" >>"$E2E_TIMES"
  return $rc
}
drv_once() { (cd "$bin" && ZARN_TIMEOUT=${DRV_TIMEOUT:-90} "$top/scripts/wine-run.sh" ./e2e_driver.exe "$@" 2>/dev/null); }
# (read, not cat: a fork a call adds up under load)
drv_serving() {
  local p
  [ -p "$root/drv.in" ] && [ -p "$root/drv.out" ] && read -r p 2>/dev/null <"$root/drv.pid" && [ -n "$p" ] && kill -0 "$p" 2>/dev/null
}
drv_start() {
  drv_serving && return 0
  rm -f "$root/drv.in" "$root/drv.out" "$root/drv.pid"
  mkfifo "$root/drv.in" "$root/drv.out" || return 1
  # Both ends opened read-write: neither open waits for the other side, and
  # the server never meets the end of its input between two callers.
  (cd "$bin" && WINEDLLOVERRIDES='mscoree=;mshtml=' exec setsid /usr/lib/wine/wine64 ./e2e_driver.exe serve) \
    <>"$root/drv.in" 1<>"$root/drv.out" 2>>"$root/drv.err" &
  echo $! >"$root/drv.pid"
}
# drv_stop [nowait]: the server asked to end (killed if it does not); with
# nowait the caller checks drv_gone later (a Wine process takes a second or
# two to end on a loaded machine).
drv_stop() {
  [ -s "$root/drv.pid" ] || return 0
  local p i; p=$(cat "$root/drv.pid"); rm -f "$root/drv.pid"; echo "$p" >"$root/drv.ended"
  if [ -p "$root/drv.in" ] && exec {i}<>"$root/drv.in"; then printf 'quit\n' >&"$i"; exec {i}>&-; fi
  [ "${1:-}" = nowait ] && return 0
  drv_gone
}
drv_gone() {
  [ -s "$root/drv.ended" ] || return 0
  local p; p=$(cat "$root/drv.ended")
  until_ok 50 sh -c "! kill -0 $p 2>/dev/null" || { kill -9 "$p" 2>/dev/null; until_ok 20 sh -c "! kill -0 $p 2>/dev/null"; }
}
# One request: "ID<TAB>ARG..." in, the lines between "\036begin ID" and
# "\036end ID STATUS" out (a caller that gave up earlier may have left its
# answer in the FIFO: skipped). Callers take turns through a lock.
drv_ask() {
  local id="$BASHPID.$RANDOM.$RANDOM" req a line out="" rc=1 state=0 lk i o wait=${DRV_TIMEOUT:-90}
  req=$id
  for a; do
    case $a in *$'\t'*|*$'\n'*) echo "e2e: a driver argument holds a tab or a line end" >&2; return 2 ;; esac
    req+=$'\t'$a
  done
  exec {lk}>>"$root/drv.lock"
  flock -w "$wait" "$lk" || { exec {lk}>&-; echo "e2e: the driver stayed busy" >&2; return 1; }
  exec {i}<>"$root/drv.in" {o}<>"$root/drv.out"
  printf '%s\n' "$req" >&"$i"
  while IFS= read -r -t "$wait" -u "$o" line; do
    case $state:$line in
      0:$'\036'"begin $id") state=1 ;;
      1:$'\036'"end $id "*) rc=${line##* }; state=2; break ;;
      1:*) out+=$line$'\n' ;;
    esac
  done
  exec {i}>&- {o}>&- {lk}>&-
  if [ $state != 2 ]; then
    # Stuck (a window that does not answer): as a one-shot call that timed out.
    # Killed, as a one-shot call past its time is.
    echo "e2e: the driver did not answer $1 within $wait s" >&2
    kill -9 "$(cat "$root/drv.pid" 2>/dev/null)" 2>/dev/null
    drv_stop
    return 1
  fi
  # The server ends the output with a line end of its own.
  out=${out%$'\n'}
  [ -n "$out" ] && printf '%s' "$out"
  return "$rc"
}
