# The scenario's steps, sourced by e2e.sh (which gives drv, x, fill, click_ctl,
# shot, until_ok, fail and the servers' ZARN_PYFTPD_* and ZARN_VSFTPD_*).
# Menu commands are sent as the menu sends them (drv command ID); everything
# typed, clicked and dragged goes through xdotool on the Xvfb screen.

QA="top:Quick Add Site"
SERTREE=main/SysTreeView32#0     # the first server pane's tree
LOCTREE=main/SysTreeView32#1     # the local tree below it
SERLIST=main/id:1074             # "Files List": the server list
LOCLIST=main/id:1075             # and the local list
# The function view's tabs: 0 "Files List", 1 "Information" (the connection log).
FUNCTABS=main/SysTabControl32#0
LOGLIST=main/id:1016
PY_SITE="Loopback pyftpd"
VS_SITE="Loopback vsftpd"

show_func_tab() {
  local at; at=$(drv tabpoint "$FUNCTABS" "$1") || fail "no function tab $1"
  x mousemove $at click 1
}

# quick_add_site NAME PORT USER PASSWORD: File > Quick Add Site, typed in.
quick_add_site() {
  drv command 32828 >/dev/null
  drv wait "$QA" 10000 >/dev/null || fail "Quick Add Site did not open"
  fill "$QA/id:1080" 127.0.0.1
  fill "$QA/id:1091" "$2"
  fill "$QA/id:1000" "$1"
  # Anonymous is ticked for a new site: the user unticks it for a login.
  click_ctl "$QA/id:1088"
  fill "$QA/id:1084" "$3"
  fill "$QA/id:1086" "$4"
  [ "$(drv text "$QA/id:1000")" = "$1" ] || fail "the site name was not typed"
  [ "$(drv text "$QA/id:1091")" = "$2" ] || fail "the port was not typed"
}

# open_site NAME FOLDER: a click on the site in the server tree; it connects and
# its root's FOLDER shows in the tree.
open_site() {
  local at
  at=$(drv itempoint "$SERTREE" "$1") || fail "no site $1 in the server tree"
  x mousemove $at click 1
  drv waititem "$SERTREE" "$2" 30000 || { shot "fail-open-$1"; fail "$1 did not list its root"; }
}

step_quick_add() {
  quick_add_site "$PY_SITE" "$ZARN_PYFTPD_PORT" "$ZARN_PYFTPD_USER" "$ZARN_PYFTPD_PASS"
  shot 01-quick-add-site
  click_ctl "$QA/id:1"
  drv gone "$QA" 10000 || fail "Quick Add Site stayed open"
  drv waititem "$SERTREE" "$PY_SITE" 10000 || fail "the new site is not in the server tree"
  open_site "$PY_SITE" "many files"
  grep -q "USER $ZARN_PYFTPD_USER" "$ZARN_PYFTPD_LOG" || fail "no login in the server's log"
  local tree; tree=$(drv tree "$SERTREE")
  # The tree holds the folders (two levels below "FTP Server"), the list the files.
  for want in "many files" docs queue "s2s src"; do
    grep -qx "    $want" <<<"$tree" || { echo "$tree"; fail "the root lacks $want"; }
  done
  # The log took the function view's front on connecting: back to the files.
  show_func_tab 0
  drv waititem "$SERLIST" "readme.txt" 20000 || fail "the server list does not show the root"
  shot 01-site-listed
}


PING="top:ZARN Ping Window"
step_ping() {
  drv command 32798 >/dev/null
  drv wait "$PING" 10000 >/dev/null || fail "the ping window did not open"
  fill "$PING/id:1001" 127.0.0.1      # the host box's edit field
  fill "$PING/id:1046" 3
  click_ctl "$PING/id:1044"           # Start
  # Replies where this machine lets Wine send ICMP; a clear message where not.
  local rows=""
  for _ in $(seq 100); do
    rows=$(drv items "$PING/id:1049")
    grep -Eq '^(Reply from: 127\.0\.0\.1|.*(not permitted|failed|error|Error))' <<<"$rows" && break
    sleep 0.2
  done
  grep -Eq '^(Reply from: 127\.0\.0\.1|.*(not permitted|failed|error|Error))' <<<"$rows" ||
    { echo "$rows"; fail "no reply and no message in the ping window"; }
  grep -q '^Pinging 127.0.0.1' <<<"$rows" || { echo "$rows"; fail "the ping window does not say what it pings"; }
  shot 08-ping
  click_ctl "$PING/id:1052"           # Close
  drv gone "$PING" 10000 || fail "the ping window stayed open"
}

PORTS="top:Port Information"
step_port_monitor() {
  drv command 32799 >/dev/null
  drv wait "$PORTS" 10000 >/dev/null || fail "the port monitor did not open"
  local rows=""
  for _ in $(seq 10); do
    rows=$(drv items "$PORTS/id:1001")
    grep -qP "^127\.0\.0\.1\t$ZARN_PYFTPD_PORT\t.*\tListening$" <<<"$rows" &&
      grep -qP "^127\.0\.0\.1\t$ZARN_VSFTPD_PORT\t.*\tListening$" <<<"$rows" && break
    sleep 0.2
  done
  grep -qP "^127\.0\.0\.1\t$ZARN_PYFTPD_PORT\t.*\tListening$" <<<"$rows" || fail "pyftpdlib's port is not listed"
  grep -qP "^127\.0\.0\.1\t$ZARN_VSFTPD_PORT\t.*\tListening$" <<<"$rows" || fail "vsftpd's port is not listed"
  # The program's own control connection to pyftpdlib, seen from both ends.
  grep -qP "^127\.0\.0\.1\t$ZARN_PYFTPD_PORT\t127\.0\.0\.1\t\d+\tEstablished$" <<<"$rows" ||
    fail "the open session is not listed"
  shot 09-port-monitor
  click_ctl "$PORTS/id:2"              # Close
  drv gone "$PORTS" 10000 || fail "the port monitor stayed open"
}

step_connection_log() {
  show_func_tab 1
  local rows; rows=$(drv items "$LOGLIST")
  for want in "127.0.0.1::Sending command ---> USER $ZARN_PYFTPD_USER" "127.0.0.1::Sending command ---> PASS x" \
              "230 Login successful" "127.0.0.1::Sending command ---> LIST" "127.0.0.1::Reply: 226"; do
    grep -qF "$want" <<<"$rows" || { echo "$rows"; fail "the log lacks \"$want\""; }
  done
  # The password never shows in the log.
  grep -q "$ZARN_PYFTPD_PASS" <<<"$rows" && fail "the log shows the password"
  shot 09-connection-log
  show_func_tab 0
}

# drag SRC-SELECTOR ITEM DEST-SELECTOR: the mouse drags ITEM onto DEST's middle.
drag() {
  local at to
  at=$(drv itempoint "$1" "$2") || fail "no $2 to drag"
  to=$(drv rect "$3") || fail "no drop target $3"
  set -- $at $to
  x mousemove "$1" "$2" mousedown 1 sleep 0.2 mousemove $(($1 + 8)) $(($2 + 8)) sleep 0.2 \
    mousemove $(($1 + 30)) $(($2 + 40)) sleep 0.2 mousemove "$7" "$8" sleep 0.3 \
    mousemove $(($7 + 5)) $(($8 + 5)) sleep 0.3 mouseup 1
}

# drag_onto SRC-SELECTOR ITEM DEST-SELECTOR ROW: as drag, dropped on DEST's
# file row ROW: a file row takes the drop into the folder shown (a drop on a
# folder row goes into that folder, and a full list has no blank part).
drag_onto() {
  local at to
  at=$(drv itempoint "$1" "$2") || fail "no $2 to drag"
  to=$(drv itempoint "$3" "$4") || fail "no row $4 to drop on"
  set -- $at $to
  x mousemove "$1" "$2" mousedown 1 sleep 0.2 mousemove $(($1 + 8)) $(($2 + 8)) sleep 0.2 \
    mousemove $(($1 + 30)) $(($2 + 40)) sleep 0.2 mousemove "$3" "$4" sleep 0.3 \
    mousemove $(($3 + 5)) "$4" sleep 0.3 mouseup 1
}

# open_local PATH: the local tree unfolded along an absolute Unix path (drive
# Z:) by double clicks, then a click on its last folder lists it.
open_local() {
  local part at
  at=$(drv itempoint "$LOCTREE" "(Z:)") || fail "no drive Z: in the local tree"
  x mousemove $at click --repeat 2 --delay 80 1
  IFS=/ read -ra parts <<<"${1#/}"
  for part in "${parts[@]}"; do
    drv waititem "$LOCTREE" "$part" 10000 >/dev/null || fail "the local tree lacks $part"
    at=$(drv itempoint "$LOCTREE" "$part")
    if [ "$part" = "${parts[-1]}" ]; then x mousemove $at click 1; else x mousemove $at click --repeat 2 --delay 80 1; fi
  done
}

# show_local PATH: a click on PATH's folder when the tree shows it already, else
# the tree unfolded along PATH.
show_local() {
  local at
  if at=$(drv itempoint "$LOCTREE" "${1##*/}" 2>/dev/null); then x mousemove $at click 1; else open_local "$1"; fi
}

# wait_files DIR-A DIR-B SECONDS: DIR-B holds every file of DIR-A, byte for byte.
same_tree() { diff -r "$1" "$2" >/dev/null 2>&1; }
wait_same() {
  local n=$(($3 * 5))
  until_ok "$n" same_tree "$1" "$2" || { diff -rq "$1" "$2" | head; return 1; }
}

# A box of the program asking to confirm: its OK clicked.
confirm_ok() {
  drv wait "top:Operation Confirmation" 10000 >/dev/null || fail "no confirmation box"
  # The box closes itself after a few seconds with its default (OK): on a
  # loaded machine it may be gone before the click.
  local c
  c=$(drv rect "top:Operation Confirmation/id:1") && { set -- $c; x mousemove "$5" "$6" click 1; }
  drv gone "top:Operation Confirmation" 10000 || fail "the confirmation box stayed"
}

# Start Queue, as the toolbar's green arrow: the queue runs what the drags put in it.
QUEUELIST=main/id:1085
start_queue() { drv command 32816 >/dev/null; }
queue_has() { drv items "$QUEUELIST" | grep -qF "$1"; }
# drop_to_queue NAME: the drop's confirmation answered; NAME waits in the queue.
# The queue's end refreshes the local list, which brings "Files List" back to
# the front: the queue tab is clicked again on each look.
queue_shows() { show_func_tab 3; queue_has "$1"; }
drop_to_queue() {
  confirm_ok
  until_ok 100 queue_shows "$1" || { shot "fail-queue"; fail "$1 did not reach the queue"; }
}

step_drag_download() {
  local local=$root/local
  show_func_tab 0
  open_local "$local"
  drag "$SERLIST" "many files" "$LOCLIST"
  shot 02-drop-confirm
  drop_to_queue "many files"
  shot 02-dragged-to-queue
  start_queue
  wait_same "$ZARN_PYFTPD_ROOT/many files" "$local/many files" 90 || { shot fail-download; fail "the folder did not arrive byte-exact"; }
  # The local list shows what arrived without a Refresh.
  show_func_tab 0
  drv waititem "$LOCLIST" "many files" 20000 >/dev/null || { shot fail-local-list; fail "the local list does not show the download"; }
  shot 02-downloaded
}

step_drag_upload() {
  local local=$root/local
  # One file back up: dragged from the local list onto the server list (binary:
  # a .txt goes in ASCII and the server may rewrite its line ends).
  head -c 70000 /dev/urandom >"$local/upload me.dat"
  show_func_tab 0
  refresh_list "$LOCLIST"
  drv waititem "$LOCLIST" "upload me.dat" 10000 >/dev/null || fail "the local list does not show the new file"
  drag_onto "$LOCLIST" "upload me.dat" "$SERLIST" readme.txt
  drop_to_queue "upload me.dat"
  shot 02-upload-queued
  start_queue
  until_ok 300 cmp -s "$local/upload me.dat" "$ZARN_PYFTPD_ROOT/upload me.dat" || { shot fail-upload; fail "the upload did not arrive byte-exact"; }
  show_func_tab 0
  refresh_list "$SERLIST"
  drv waititem "$SERLIST" "upload me.dat" 20000 >/dev/null || { shot fail-server-list; fail "the server list does not show the upload"; }
}

# refresh_list SEL: the list clicked (so it has the focus), then Refresh.
refresh_list() { click_ctl "$1"; drv command 32820 >/dev/null; }

# ensure_site NAME PORT USER PASS: Quick Add Site, unless the server tree holds NAME.
ensure_site() {
  drv tree "$SERTREE" | sed 's/^ *//' | grep -qxF "$1" && return 0
  quick_add_site "$@"
  click_ctl "$QA/id:1"
  drv gone "$QA" 10000 || fail "Quick Add Site stayed open"
  drv waititem "$SERTREE" "$1" 10000 >/dev/null || fail "the site $1 is not in the server tree"
}

# The program reads names in the ANSI code page (936 here): the driver prints
# them in GBK, and Wine names local files in UTF-8.
gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }
has_bytes() { LC_ALL=C grep -qaF -- "$2" <<<"$1"; }
queue_has_gbk() { has_bytes "$(drv items "$QUEUELIST")" "$(gbk "$1")"; }
sh_gbk_queue() { show_func_tab 3; queue_has_gbk "$1"; }

step_gbk_names() {
  local local=$root/local down="中文.txt" up="上传文件.txt" at
  [ "$(gbk "$down")" = "$(printf '\xd6\xd0\xce\xc4').txt" ] || fail "no GBK converter"
  ensure_site "$VS_SITE" "$ZARN_VSFTPD_PORT" "$ZARN_VSFTPD_USER" "$ZARN_VSFTPD_PASS"
  open_site "$VS_SITE" upload
  # The log takes the function view's front on connecting: back to the files.
  show_func_tab 0
  drv waititem "$SERLIST" upload 20000 >/dev/null || fail "the server list does not show vsftpd's root"
  at=$(drv itempoint "$SERLIST" upload)
  x mousemove $at click --repeat 2 --delay 80 1
  drv waititem "$SERLIST" "$down" 20000 >/dev/null || { drv items "$SERLIST"; shot fail-gbk-list; fail "the GBK name is not listed"; }
  shot 02-gbk-listed
  # Down: the same characters on the local disk, the same bytes.
  drag_onto "$SERLIST" "$down" "$LOCLIST" "upload me.dat"
  confirm_ok
  until_ok 100 sh_gbk_queue "$down" || { shot fail-queue; fail "the GBK name did not reach the queue"; }
  start_queue
  until_ok 300 cmp -s "$ZARN_VSFTPD_ROOT/upload/$(gbk "$down")" "$local/$down" ||
    { ls "$local"; shot fail-gbk-down; fail "the GBK-named file did not arrive byte-exact under its name"; }
  # Up: a file whose name Wine shows in code page 936; the server keeps its GBK bytes.
  printf 'uploaded \xe4\xb8\xad\n' >"$local/$up"
  show_func_tab 0
  refresh_list "$LOCLIST"
  drv waititem "$LOCLIST" "$up" 10000 >/dev/null || fail "the local list does not show the GBK-named file"
  drag_onto "$LOCLIST" "$up" "$SERLIST" "$down"
  confirm_ok
  until_ok 100 sh_gbk_queue "$up" || { shot fail-queue; fail "the GBK-named upload did not reach the queue"; }
  start_queue
  until_ok 300 cmp -s "$local/$up" "$ZARN_VSFTPD_ROOT/upload/$(gbk "$up")" ||
    { ls "$ZARN_VSFTPD_ROOT/upload" | od -c | head; shot fail-gbk-up; fail "the upload did not keep its GBK name and bytes"; }
  show_func_tab 0
  refresh_list "$SERLIST"
  drv waititem "$SERLIST" "$up" 20000 >/dev/null || { shot fail-gbk-list; fail "the server list does not show the GBK upload"; }
  shot 02-gbk-uploaded
  # Back on the pyftpdlib site for the steps after this one.
  open_site "$PY_SITE" "many files"
  show_func_tab 0
  drv waititem "$SERLIST" "many files" 20000 >/dev/null || fail "the server list did not go back to pyftpdlib"
}

step_remote_rename_delete() {
  local at
  show_func_tab 0
  # A remote rename (Rename, typed over the label) and a remote delete (confirmed).
  at=$(drv itempoint "$SERLIST" "readme.txt") || fail "no readme.txt in the server list"
  x mousemove $at click 1
  drv command 32818 >/dev/null
  drv wait main/Edit#0 10000 >/dev/null || fail "Rename opened no label editor"
  x key ctrl+a; x type --delay 20 "renamed file.txt"; x key Return
  until_ok 100 test -f "$ZARN_PYFTPD_ROOT/renamed file.txt" || fail "the rename did not reach the server"
  [ -e "$ZARN_PYFTPD_ROOT/readme.txt" ] && fail "the old name stayed on the server"
  drv waititem "$SERLIST" "renamed file.txt" 10000 >/dev/null || fail "the list does not show the new name"
  at=$(drv itempoint "$SERLIST" "renamed file.txt"); x mousemove $at click 1
  drv command 32821 >/dev/null
  shot 02-delete-confirm
  confirm_ok
  until_ok 100 sh -c "! test -e '$ZARN_PYFTPD_ROOT/renamed file.txt'" || fail "the delete did not reach the server"
  shot 02-after-rename-delete
}

# Add To Queue (the server list's command) on the selected rows of the list.
add_to_queue() { drv command 32838 >/dev/null; }
planfile=$root/queue.pln
sitefile=$root/zarnsite.ini

step_queue_restart() {
  local at
  show_func_tab 0
  at=$(drv itempoint "$SERLIST" queue) || fail "no folder queue"
  x mousemove $at click --repeat 2 --delay 80 1          # into the folder
  drv waititem "$SERLIST" q300.txt 30000 >/dev/null || fail "the folder did not list"
  click_ctl "$SERLIST"; x key ctrl+a                      # every file selected
  add_to_queue
  until_ok 300 queue_has q300.txt || fail "the 300 files did not reach the queue"
  shot 03-queue-300
  # Two workers running when the program is closed: it ends within the grace.
  until_ok 300 sh -c "ls '$root/local' | grep -q '^q'" || fail "the queue did not start"
  drv command 57665 >/dev/null
  until_ok 200 sh -c "! kill -0 $(cat "$root/zarn.pid") 2>/dev/null" || fail "the program did not end within the close grace"
  [ -s "$planfile" ] || fail "the queue file is missing"
  cp "$planfile" "$root/queue.pln.saved"
  launch
  drv wait "$QUEUELIST" 30000 >/dev/null || fail "the queue page did not come back"
  until_ok 100 queue_has q300.txt || fail "the queue did not come back"
  start_queue
  local d
  for d in $(seq -w 1 300); do
    until_ok 600 cmp -s "$ZARN_PYFTPD_ROOT/queue/q$d.txt" "$root/local/q$d.txt" || fail "q$d.txt is not byte-exact"
  done
  until_ok 300 sh -c "$(declare -f drv); bin='$bin' top='$top'; drv items '$QUEUELIST' | grep -q Finished" ||
    fail "the queue did not end in Finished"
  shot 03-queue-finished
}

step_server_restart() {
  # pyftpdlib killed while a big file comes down, then started again on its port:
  # the item is retried and resumes.
  head -c 41943040 /dev/urandom >"$ZARN_PYFTPD_ROOT/many files/resume me.bin"
  show_func_tab 0
  drag "$SERLIST" "many files" "$LOCLIST"
  drop_to_queue "many files"
  start_queue
  until_ok 300 test -s "$root/local/many files/resume me.bin" || fail "the big file did not start"
  local pid; pid=$(cat "$root/pyftpd.pid" 2>/dev/null) || fail "no pyftpdlib pid"
  kill "$pid"
  sleep 2  # the program meets the dead server (what is tested: the retry after it)
  /usr/bin/python3 "$top/tests/peers/pyftpd.py" --root "$ZARN_PYFTPD_ROOT" --port "$ZARN_PYFTPD_PORT" \
    --port-file "$root/py2.port" --log "$ZARN_PYFTPD_LOG" </dev/null >/dev/null 2>&1 &
  until_ok 1200 cmp -s "$ZARN_PYFTPD_ROOT/many files/resume me.bin" "$root/local/many files/resume me.bin" ||
    fail "the item was not resumed to a byte-exact copy"
  grep -q 'REST ' "$ZARN_PYFTPD_LOG" || fail "the retry did not resume (no REST)"
}

step_site_to_site() {
  quick_add_site "$VS_SITE" "$ZARN_VSFTPD_PORT" "$ZARN_VSFTPD_USER" "$ZARN_VSFTPD_PASS"
  click_ctl "$QA/id:1"
  drv gone "$QA" 10000 || fail "Quick Add Site stayed open"
  drv command 32841 >/dev/null                            # Dual Server View
  local at; at=$(drv itempoint main/SysTreeView32#1 "$VS_SITE") || fail "no vsftpd site in the second pane"
  x mousemove $at click 1
  drv waititem main/SysTreeView32#1 upload 30000 >/dev/null || fail "the vsftpd site did not list"
  drag "$SERLIST" "s2s src" main/id:1074#1
  confirm_ok
  until_ok 600 same_tree "$ZARN_PYFTPD_ROOT/s2s src" "$ZARN_VSFTPD_ROOT/upload/s2s src" || fail "the site-to-site copy differs"
  shot 04-site-to-site
}

SEARCH="top:Search For File"
step_search() {
  local at
  # Search runs on the server tree's site: the site clicked first.
  at=$(drv itempoint "$SERTREE" "$PY_SITE") || fail "no site $PY_SITE in the server tree"
  x mousemove $at click 1
  drv command 32859 >/dev/null
  drv wait "$SEARCH" 10000 >/dev/null || { shot fail-search-open; fail "Search did not open"; }
  fill "$SEARCH/id:1148" "*.txt"
  shot 05-search-ask
  click_ctl "$SEARCH/id:1"
  drv gone "$SEARCH" 10000 || fail "the search box stayed open"
  show_func_tab 4                                   # "Searched"
  until_ok 300 sh -c "$(declare -f drv); bin='$bin' top='$top'; drv items main/SysListView32#0 | grep -q alpha.txt" ||
    { shot fail-search; fail "the search did not find alpha.txt"; }
  local rows; rows=$(drv items main/SysListView32#0)
  grep -q "picture.gif" <<<"$rows" && { echo "$rows"; fail "the search found a file that is not *.txt"; }
  shot 05-search
  show_func_tab 0
}

SM="top:ZARN Site Manager"
SMTREE="$SM/id:1002"
SPARE="Spare vsftpd"
step_site_manager() {
  local at
  drv command 32849 >/dev/null                     # F4
  drv wait "$SM" 10000 >/dev/null || fail "the site manager did not open"
  # A spare site: its heading selected, New Site, a name typed.
  at=$(drv itempoint "$SMTREE" "ZARN Spare Site") || fail "no spare heading"
  x mousemove $at click 1
  click_ctl "$SM/id:1059"
  drv wait "top:Create ZARN Spare Site" 10000 >/dev/null || fail "New Site asked for no name"
  fill "top:Create ZARN Spare Site/id:1061" "$SPARE"
  click_ctl "top:Create ZARN Spare Site/id:1"
  drv gone "top:Create ZARN Spare Site" 10000 || fail "the name box stayed open"
  drv waititem "$SMTREE" "$SPARE" 10000 >/dev/null || fail "the spare site is not in the tree"
  # Its address on the page, applied: the site file holds it.
  fill "$SM/id:1005" 127.0.0.1
  fill "$SM/id:1044" "$ZARN_VSFTPD_PORT"
  click_ctl "$SM/id:1057"                           # Apply
  until_ok 100 grep -q "^\\[.*$SPARE" "$sitefile" || { cat "$sitefile"; fail "the site file lacks the spare site"; }
  until_ok 100 grep -q "$ZARN_VSFTPD_PORT" "$sitefile" || { cat "$sitefile"; fail "the site file lacks the port"; }
  shot 06-site-manager
  # Promoted: the context menu's Copy To Work Site (Connect, then it).
  at=$(drv itempoint "$SMTREE" "$SPARE")
  x mousemove $at click 3
  sleep 0.5  # the menu has no window the driver can wait on before it is drawn
  x key Down Down Return
  until_ok 100 sh -c "$(declare -f drv); bin='$bin' top='$top'; drv tree '$SMTREE' | grep -B100 'ZARN Spare Site' | grep -qx '  $SPARE'" ||
    { drv tree "$SMTREE"; fail "the site was not copied to the work sites"; }
  shot 06-site-promoted
  click_ctl "$SM/id:1065"                           # Exit
  drv gone "$SM" 10000 || fail "the site manager stayed open"
  drv waititem "$SERTREE" "$SPARE" 10000 >/dev/null || fail "the promoted site is not in the server tree"
}

CON="top:ZARN-Manual Control Center"
# The console's log: the edit box's text, one line each.
con_log() { drv text "$CON/id:1002"; }
con_send() {
  fill "$CON/id:1003" "$1"
  click_ctl "$CON/id:1004"
}
step_console() {
  # F5 from the server list showing a folder: the list passes it to the frame.
  show_func_tab 0
  click_ctl "$SERLIST"
  drv command 32815 >/dev/null
  drv wait "$CON" 10000 >/dev/null || { shot fail-console-open; fail "the console did not open"; }
  fill "$CON/id:1006" 127.0.0.1
  fill "$CON/id:1009" "$ZARN_VSFTPD_PORT"
  fill "$CON/id:1011" "$ZARN_VSFTPD_USER"
  fill "$CON/id:1013" "$ZARN_VSFTPD_PASS"
  click_ctl "$CON/id:1016"                  # Connect
  until_ok 150 sh -c "$(declare -f drv con_log); bin='$bin' top='$top' CON='$CON'; con_log | grep -q '^230'" ||
    { con_log; shot fail-console; fail "the console did not log in"; }
  con_send SYST
  until_ok 100 sh -c "$(declare -f drv con_log); bin='$bin' top='$top' CON='$CON'; con_log | grep -q '^215'" ||
    { con_log; fail "no reply to SYST"; }
  con_send LIST
  until_ok 100 sh -c "$(declare -f drv con_log); bin='$bin' top='$top' CON='$CON'; con_log | grep -q '^226'" ||
    { con_log; fail "no end of the LIST"; }
  local log; log=$(con_log)
  grep -q "upload" <<<"$log" || { echo "$log"; fail "the listing is not shown"; }
  grep -q "$ZARN_VSFTPD_PASS" <<<"$log" && fail "the console shows the password"
  shot 07-console
  click_ctl "$CON/id:1028"                  # Close
  drv gone "$CON" 10000 || fail "the console stayed open"
}

# A fingerprint of a folder: every file's path and checksum.
tree_sums() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0r md5sum); }
queue_rows() { drv items "$QUEUELIST"; }
# row_status_is NAME STATUS: the queue row of file NAME shows STATUS.
row_status_is() { queue_rows | awk -F'\t' -v n="$1" -v s="$2" '$5 == n && $7 == s { ok = 1 } END { exit !ok }'; }
row_gone() { ! queue_rows | awk -F'\t' -v n="$1" '$5 == n { ok = 1 } END { exit !ok }'; }
# The queue page's commands go to the page, as its context menu sends them.
queue_command() { drv command "$1" "$(drv parent "$QUEUELIST")" >/dev/null; }

step_readonly_target() {
  local ro="$root/locked target" name="to readonly.txt" rows before_local before_queue at
  # Root passes Unix permission bits, so Wine would write into a 555 folder:
  # an immutable folder refuses root as well (EPERM, access denied to Windows),
  # as a folder the user may not write to does.
  mkdir -p "$ro"
  chattr +i "$ro" || fail "the filesystem cannot make a folder immutable"
  trap "chattr -i '$ro'" EXIT
  touch "$ro/probe" 2>/dev/null && fail "root can still write into the locked folder"
  printf 'must not land\r\n' >"$ZARN_PYFTPD_ROOT/$name"
  before_local=$(tree_sums "$root/local")
  show_func_tab 3
  drv wait "$QUEUELIST" 10000 >/dev/null || fail "the queue page did not come to the front"
  before_queue=$(queue_rows)
  show_func_tab 0
  refresh_list "$SERLIST"
  drv waititem "$SERLIST" "$name" 20000 >/dev/null || fail "the server list does not show $name"
  show_local "$ro"
  # The failed item is moved to the end once, not retried (the user's choice in
  # the queue's Failed menu), so its last status is the one read.
  queue_command 32805
  drag "$SERLIST" "$name" "$LOCLIST"
  shot 10-readonly-drop
  drop_to_queue "$name"
  queue_command 32806
  start_queue
  until_ok 300 row_status_is "$name" Error || { queue_rows; shot fail-readonly; fail "the item did not end in Error"; }
  zarn_alive || fail "the program ended"
  [ -z "$(ls -A "$ro")" ] || { ls -A "$ro"; fail "the read-only folder is not empty"; }
  [ "$(tree_sums "$root/local")" = "$before_local" ] || fail "the download folder changed"
  cmp -s <(printf 'must not land\r\n') "$ZARN_PYFTPD_ROOT/$name" || fail "the server's file changed"
  rows=$(queue_rows)
  [ "$(LC_ALL=C grep -avF "$name" <<<"$rows" | sort)" = "$(sort <<<"$before_queue")" ] ||
    { diff <(sort <<<"$before_queue") <(LC_ALL=C grep -avF "$name" <<<"$rows" | sort); fail "other queue items changed"; }
  # The failed item removed as the user removes it: selected, Delete.
  # The row is found by its local path: only this item has the locked folder's.
  at=$(drv itempoint "$QUEUELIST" "$(LC_ALL=C grep -aF "$name" <<<"$rows" | head -1 | cut -f1)") || fail "no error row to select"
  x mousemove $at click 1
  shot 10-readonly-error
  queue_command 32866
  until_ok 100 row_gone "$name" || fail "the failed item could not be deleted"
  show_func_tab 0
}

step_damaged_plan() {
  fail "needs the queue's Import on the queue page's menu"
}
