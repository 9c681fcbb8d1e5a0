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

# log_holds LINE...: the connection log (its page in front) shows every LINE.
log_holds() {
  local rows want; rows=$(drv items "$LOGLIST")
  for want; do grep -qF "$want" <<<"$rows" || return 1; done
}
step_connection_log() {
  local rows want wants=("127.0.0.1::Sending command ---> USER $ZARN_PYFTPD_USER" "127.0.0.1::Sending command ---> PASS x"
                         "230 Login successful" "127.0.0.1::Sending command ---> LIST" "127.0.0.1::Reply: 226")
  show_func_tab 1
  # The page fills its list once it is in front.
  until_ok 100 log_holds "${wants[@]}" || {
    rows=$(drv items "$LOGLIST"); echo "$rows"
    for want in "${wants[@]}"; do grep -qF "$want" <<<"$rows" || fail "the log lacks \"$want\""; done
  }
  rows=$(drv items "$LOGLIST")
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
    at=$(drv waitpoint "$LOCTREE" "$part" 10000) || fail "the local tree lacks $part"
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
  # confirm_ok [SHOT]: the box's OK found with one driver call, the box shot if
  # asked, then clicked. The box answers by itself after five seconds, and for
  # a delete that answer is Cancel: on a loaded machine each driver call can
  # take a second or two, so nothing else runs between the box and the click.
  # A click the box did not take (it came as the box was drawn) is repeated.
  local c box="top:Operation Confirmation"
  until_ok 100 eval 'c=$(drv rect "$box/id:1")' || fail "no confirmation box"
  [ -n "${1:-}" ] && shot "$1"
  set -- $c
  x mousemove "$5" "$6" click 1
  until_ok 30 drv gone "$box" 0 && return 0
  c=$(drv rect "$box/id:1") && { set -- $c; x mousemove "$5" "$6" click 1; }
  drv gone "$box" 10000 || fail "the confirmation box stayed"
}

# Start Queue, as the toolbar's green arrow: the queue runs what the drags put in it.
QUEUELIST=main/id:1085
start_queue() { drv command 32816 >/dev/null; }
# The queue's rows; the "Queue" tab is brought to the front when another took it
# (the local list's refresh after a download does).
queue_rows() { drv items "$QUEUELIST" 2>/dev/null || { show_func_tab 3; drv items "$QUEUELIST"; }; }
# (the paths and the name: a name shows in one of them; fewer cells to read)
queue_has() { queue_cells 1,4,5 | grep -qF "$1"; }
queue_shows() { show_func_tab 3; queue_has "$1"; }
# drop_to_queue NAME: the drop's confirmation answered; NAME waits in the queue.
# The queue's end refreshes the local list, which brings "Files List" back to
# the front: the queue tab is clicked again on each look.
drop_to_queue() {
  confirm_ok "${2:-}"
  # The tab is clicked again while waiting: a click that lands as the box
  # closes can be lost.
  until_ok 200 queue_shows "$1" || { shot "fail-queue"; fail "$1 did not reach the queue"; }
}

step_drag_download() {
  local local=$root/local
  show_func_tab 0
  open_local "$local"
  drag "$SERLIST" "many files" "$LOCLIST"
  drop_to_queue "many files" 02-drop-confirm
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
  refresh_until "$LOCLIST" "upload me.dat" 10000 || fail "the local list does not show the new file"
  drag_onto "$LOCLIST" "upload me.dat" "$SERLIST" readme.txt
  drop_to_queue "upload me.dat"
  shot 02-upload-queued
  start_queue
  until_ok 300 cmp -s "$local/upload me.dat" "$ZARN_PYFTPD_ROOT/upload me.dat" || { shot fail-upload; fail "the upload did not arrive byte-exact"; }
  show_func_tab 0
  refresh_until "$SERLIST" "upload me.dat" 20000 || { shot fail-server-list; fail "the server list does not show the upload"; }
}

# refresh_list SEL: the list clicked (so it has the focus), then Refresh.
refresh_list() { click_ctl "$1"; drv command 32820 >/dev/null; }
# refresh_until SEL ITEM MS: Refresh until the list shows ITEM. The click goes
# through X and may be taken after the command, which then refreshes the view
# that had the focus before: so both are done again until the item shows.
refresh_until() {
  local end=$(($(tenths) + $3 / 100))
  while :; do
    refresh_list "$1"
    drv waititem "$1" "$2" 3000 >/dev/null && return 0
    [ "$(tenths)" -ge "$end" ] && return 1
  done
}

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
queue_has_gbk() { has_bytes "$(drv columns "$QUEUELIST" 1,4,5)" "$(gbk "$1")"; }
sh_gbk_queue() { show_func_tab 3; queue_has_gbk "$1"; }

step_gbk_names() {
  local local=$root/local down="中文.txt" up="上传文件.txt" at
  [ "$(gbk "$down")" = "$(printf '\xd6\xd0\xce\xc4').txt" ] || fail "no GBK converter"
  ensure_site "$VS_SITE" "$ZARN_VSFTPD_PORT" "$ZARN_VSFTPD_USER" "$ZARN_VSFTPD_PASS"
  open_site "$VS_SITE" upload
  # The log takes the function view's front on connecting: back to the files.
  show_func_tab 0
  at=$(drv waitpoint "$SERLIST" upload 20000) || fail "the server list does not show vsftpd's root"
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
  refresh_until "$LOCLIST" "$up" 10000 || fail "the local list does not show the GBK-named file"
  drag_onto "$LOCLIST" "$up" "$SERLIST" "$down"
  confirm_ok
  until_ok 100 sh_gbk_queue "$up" || { shot fail-queue; fail "the GBK-named upload did not reach the queue"; }
  start_queue
  until_ok 300 cmp -s "$local/$up" "$ZARN_VSFTPD_ROOT/upload/$(gbk "$up")" ||
    { ls "$ZARN_VSFTPD_ROOT/upload" | od -c | head; shot fail-gbk-up; fail "the upload did not keep its GBK name and bytes"; }
  show_func_tab 0
  refresh_until "$SERLIST" "$up" 20000 || { shot fail-gbk-list; fail "the server list does not show the GBK upload"; }
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
  confirm_ok 02-delete-confirm
  until_ok 100 sh -c "! test -e '$ZARN_PYFTPD_ROOT/renamed file.txt'" || fail "the delete did not reach the server"
  shot 02-after-rename-delete
}

# Add To Queue (the server list's command) on the selected rows of the list.
add_to_queue() { drv command 32838 >/dev/null; }
# A column of the queue's rows (1 = Local Path ... 7 = Status); queue_rows
# above brings the "Queue" tab back when the workers showed the log.
queue_count() { drv count "$QUEUELIST"; }
queue_counts() { [ "$(queue_count)" = "$1" ]; }
queue_column() { queue_cells "$1"; }
# queue_cells C[,C...]: those columns of the queue's rows, tab-separated.
queue_cells() { drv columns "$QUEUELIST" "$1" 2>/dev/null || { show_func_tab 3; drv columns "$QUEUELIST" "$1"; }; }
# queue_menu N KEY: the queue list's context menu opened by a right click and
# walked N times with KEY (Up from no selection starts at the last entry).
queue_menu() {
  local c; c=($(drv rect "$QUEUELIST")) || fail "no queue list"
  x mousemove "${c[4]}" "${c[5]}" click 3
  drv wait "class:#32768" 10000 >/dev/null || fail "the queue list's menu did not open"
  x key --delay 60 $(for _ in $(seq "$1"); do printf '%s ' "$2"; done) Return
  drv gone "class:#32768" 10000 || fail "the queue list's menu stayed open"
}
# Entries counted from the menu's end (Up) or its start (Down).
queue_export() { queue_menu 3 Up; }
queue_import() { queue_menu 4 Up; }
queue_reset_all() { queue_menu 1 Up; }
queue_clear() { queue_menu 9 Down; }
queue_stop_all() { queue_menu 7 Down; }
some_here() { ls "$root/local" | grep -q '^q[0-9]'; }
# file_box PATH: the common file box (its caption is in the system's language)
# typed in and confirmed.
FILEBOX="class:#32770"
file_box() {
  drv wait "$FILEBOX/id:1148" 15000 >/dev/null || { shot "fail-file-box"; fail "no file box"; }
  fill "$FILEBOX/id:1148" "$(winpath "$1")"
  x key Return
  drv gone "$FILEBOX/id:1148" 10000 || { shot "fail-file-box"; fail "the file box stayed open"; }
}
# A replace box a re-run meets (a file the closed run had begun) is answered
# Overwrite All, as a user answers it. The box may be found before its buttons
# show, close itself (10 s) between the look and the click, or be followed by
# another: a box that is not there to answer is left to the caller's next try.
REPLACEBOX="top:Confirm File Replace"
answer_replace() {
  local c
  drv wait "$REPLACEBOX" 0 >/dev/null 2>&1 || return 0
  # "Overwrite All" (1032), as a user facing one box per file the closed run
  # had begun answers it: the files after it are not asked about.
  c=$(drv rect "$REPLACEBOX/id:1032" 2>/dev/null) || return 0
  set -- $c
  [ $# -eq 6 ] && [ "$3" -gt 0 ] && [ "$4" -gt 0 ] || return 0
  x mousemove "$5" "$6" click 1
  return 0
}
queue_done() {
  answer_replace
  [ -z "$(missing_here "$root/local")" ] || return 1
  local status; status=$(queue_column 7)
  [ -n "$status" ] && [ -z "$(grep -vx Finished <<<"$status")" ]
}
queue_empty() { queue_counts 0; }
queue_nonempty() { [ "$(queue_count)" -gt 0 ] 2>/dev/null; }
zarn_gone() { ! zarn_alive; }
# working N: N rows or more are being worked on.
working() { [ "$(queue_column 7 | grep -cx Working)" -ge "$1" ]; }
planfile=$root/queue.pln
sitefile=$root/zarnsite.ini
QUEUE_PLAN="$root/plans/three hundred.pln"

step_queue_restart() {
  # The downloads land in the local tree's folder (the drag step's).
  local at n rows mine=$root/local
  mkdir -p "$root/plans"
  # What earlier drags left finished in the queue is cleared first.
  show_func_tab 3
  queue_empty || { queue_clear; until_ok 100 queue_empty || fail "Clear Queue left rows"; }
  show_func_tab 0
  show_local "$mine"    # earlier steps show other folders
  # The server list into the folder of 300 files, all selected, Add to Queue.
  at=$(drv itempoint "$SERLIST" queue) || fail "no folder queue"
  x mousemove $at click --repeat 2 --delay 80 1
  drv waititem "$SERLIST" q300.txt 30000 >/dev/null || fail "the folder did not list"
  at=$(drv itempoint "$SERLIST" q001.txt); x mousemove $at click 1
  drv command 32823 >/dev/null                              # Select All
  add_to_queue
  confirm_ok
  until_ok 300 queue_counts 300 || { shot fail-queue; fail "the 300 files did not reach the queue"; }
  # (each cell read is a message into the program: only the columns looked at)
  rows=$(queue_cells 1)
  n=$(grep -c . <<<"$rows"); [ "$n" -eq 300 ] || fail "$n rows in the queue, not 300"
  [ "$(sort -u <<<"$rows")" = "$(winpath "$mine")" ] ||
    { sort -u <<<"$rows"; fail "the items do not go to $mine"; }
  shot 03-queue-300
  # Stopped while it is exported through the queue list's menu and its file box
  # (workers still up from the drag step take new items at once).
  queue_stop_all
  queue_export
  file_box "$QUEUE_PLAN"
  until_ok 100 test -s "$QUEUE_PLAN" || fail "the plan file was not written"
  plan_holds 300 "$QUEUE_PLAN" || fail "the plan file does not hold the 300 files"
  queue_counts 300 || fail "the export left $(queue_count) rows in the queue"
  # Run from the start, and Exit while the workers run: it ends within the
  # close grace.
  rm -f "$mine"/q[0-9][0-9][0-9].txt
  queue_reset_all
  start_queue
  until_ok 300 some_here || { shot fail-queue-start; fail "the queue did not start"; }
  drv command 57665 >/dev/null
  shot 03-queue-closing
  until_ok 200 zarn_gone || fail "the program did not end within the close grace"
  [ -e "$planfile.damaged" ] && fail "the queue file was found damaged"
  [ -s "$planfile" ] || fail "the queue file is missing"
  echo "e2e: the queue file names $(grep -ao 'q[0-9][0-9][0-9]\.txt' "$planfile" | wc -l) files at the exit"
  local missing; missing=$(missing_here "$mine")
  [ -n "$missing" ] || fail "the queue had ended before the program was closed"
  # Started again: what was not finished is back, stopped.
  launch
  show_func_tab 3
  until_ok 200 queue_nonempty || fail "the queue did not come back"
  rows=$(queue_cells 5,7)     # file name, status
  n=$(grep -c . <<<"$rows")
  [ "$n" -le 300 ] || fail "$n rows came back"
  local lost; lost=$(comm -23 <(echo "$missing") <(cut -f1 <<<"$rows" | sort))
  [ -z "$lost" ] || { echo "$lost" | head; fail "files not yet there did not come back to the queue"; }
  [ -z "$(cut -f2 <<<"$rows" | grep -vxE 'Waiting|Error')" ] || { cut -f2 <<<"$rows" | sort | uniq -c; fail "rows came back running"; }
  shot 03-queue-back
  queue_reset_all
  start_queue
  until_ok 900 queue_done || { shot fail-queue-finish; missing_here "$mine" | head; queue_column 7 | sort | uniq -c; fail "the queue did not run to Finished byte-exact"; }
  shot 03-queue-finished
  # Left as found: the queue cleared, the site open again.
  queue_clear
  until_ok 100 queue_empty || fail "Clear Queue left rows"
  open_site "$PY_SITE" "many files"
  # The program started again shows its own local folder: the drag step's again.
  open_local "$mine"
  drv waititem "$LOCLIST" "many files" 10000 >/dev/null || fail "the local list does not show $mine"
  show_func_tab 0
  rm -f "$mine"/q[0-9][0-9][0-9].txt
}
# The names of the queue folder's files that are not (byte-exact) in $1.
missing_here() {
  local f
  for f in "$ZARN_PYFTPD_ROOT/queue"/*; do cmp -s "$f" "$1/${f##*/}" || echo "${f##*/}"; done | sort
}

# The pyftpdlib server's pid, and whether it is gone.
py_pid() { cat "$ZARN_PYFTPD_PIDFILE" 2>/dev/null; }
py_listening() { /usr/bin/python3 -c 'import socket, sys; socket.create_connection(("127.0.0.1", int(sys.argv[1])), 1).close()' "$ZARN_PYFTPD_PORT" 2>/dev/null; }
size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }

resume_finished() { row_status_is 'resume me.bin' Finished; }
step_server_restart() {
  # pyftpdlib killed while a big file comes down (it sends the files of
  # "restart" at ZARN_PYFTPD_SEND_LIMIT bytes a second), then started again on
  # its port with its own command line: the item is retried and resumes. The program's
  # first-start settings do that (a failed item moved to the end and resumed,
  # up to 5 times), as a new user has them: nothing is set for it.
  local src="$ZARN_PYFTPD_ROOT/restart/resume me.bin" copy="$root/local/restart/resume me.bin" old part rest
  show_func_tab 0
  # The download folder of drag_download, chosen again (earlier steps show others).
  show_local "$root/local"
  drv waititem "$LOCLIST" "many files" 20000 >/dev/null || fail "the local list does not show $root/local"
  drv waititem "$SERLIST" restart 10000 >/dev/null || fail "the server list does not show the folder restart"
  drag "$SERLIST" restart "$LOCLIST"
  # The queue may still run from the last step and take the folder at once.
  confirm_ok
  show_func_tab 3
  start_queue
  # Killed with an eighth of the file down.
  until_ok 600 sh -c "[ \$(stat -c %s '$copy' 2>/dev/null || echo 0) -ge $(($(size_of "$src") / 8)) ]" ||
    { shot fail-restart-start; fail "the big file did not come down"; }
  old=$(py_pid) || fail "no pid of pyftpdlib"
  kill -9 "$old"
  until_ok 50 sh -c "! kill -0 $old 2>/dev/null" || fail "pyftpdlib did not end"
  part=$(size_of "$copy")
  echo "e2e: pyftpdlib killed with $part bytes down"
  [ "$part" -lt "$(size_of "$src")" ] || fail "the file was whole before the server was killed"
  # Again, as it was started, on its port, at full speed; the wrapper stays its
  # parent (it ends when its parent does) and the pid file names it for the stop.
  setsid env -u ZARN_PYFTPD_SEND_LIMIT bash -c "$(cat "$ZARN_PYFTPD_CMDFILE") --port $ZARN_PYFTPD_PORT </dev/null >>'$root/pyftpd-again.out' 2>&1 &
    echo \$! >'$ZARN_PYFTPD_PIDFILE'; wait" </dev/null >/dev/null 2>&1 &
  until_ok 100 py_listening || { cat "$root/pyftpd-again.out" >&2; fail "pyftpdlib did not start again on port $ZARN_PYFTPD_PORT"; }
  show_func_tab 3
  shot 10-server-restarted
  until_ok 1200 cmp -s "$src" "$copy" || { shot fail-restart; fail "the item was not resumed to a byte-exact copy"; }
  # Resumed, not fetched anew: a REST at a byte the first attempt had reached.
  rest=$(grep -o 'REST [0-9]*' "$ZARN_PYFTPD_LOG" | awk '$2 > 0 { print $2 }' | tail -1)
  [ -n "$rest" ] || fail "the retry did not resume (no REST in the server's log)"
  [ "$rest" -ge "$part" ] || fail "the retry resumed at $rest, before the $part bytes that had come"
  until_ok 300 resume_finished || { queue_rows; shot fail-restart-queue; fail "the item did not end in Finished"; }
  shot 10-server-restart-resumed
  show_func_tab 0
}


SERTREE1=main/SysTreeView32#1    # the second server pane's tree (dual view)
SERLIST1=main/id:1076            # and its list
dual_view() { drv command 32841 >/dev/null; }
step_site_to_site() {
  local at
  ensure_site "$VS_SITE" "$ZARN_VSFTPD_PORT" "$ZARN_VSFTPD_USER" "$ZARN_VSFTPD_PASS"
  show_func_tab 0
  # The source: pyftpdlib's root in the first pane.
  at=$(drv itempoint "$SERTREE" "$PY_SITE") || fail "no site $PY_SITE in the server tree"
  x mousemove $at click 1
  drv waititem "$SERLIST" "s2s src" 20000 >/dev/null || fail "the first pane does not list the root"
  dual_view
  at=$(drv waitpoint "$SERTREE1" "$VS_SITE" 10000) || { shot fail-dual; fail "no vsftpd site in the second pane"; }
  x mousemove $at click 1
  # Into its upload folder (the one vsftpd lets us write), then the drop on its list.
  at=$(drv waitpoint "$SERTREE1" upload 30000) || { shot fail-dual; fail "the vsftpd site did not list"; }
  x mousemove $at click 1
  show_func_tab 0                                   # the log took the front on connecting
  drv waititem "$SERLIST1" "中文.txt" 20000 >/dev/null || { shot fail-dual; fail "the upload folder did not list"; }
  drag "$SERLIST" "s2s src" "$SERLIST1"
  confirm_ok
  wait_same "$ZARN_PYFTPD_ROOT/s2s src" "$ZARN_VSFTPD_ROOT/upload/s2s src" 60 ||
    { shot fail-s2s; fail "the site-to-site copy differs"; }
  show_func_tab 2                                   # "Site to Site"
  shot 04-site-to-site
  show_func_tab 0
  dual_view                                         # one server pane again
  drv waititem "$LOCTREE" "(Z:)" 10000 >/dev/null || fail "the local tree did not come back"
}

SEARCH="top:Search For File"
SEARCHLIST=main/id:1135
searched_count() { [ "$(drv count "$SEARCHLIST")" = "$1" ]; }
step_search() {
  local at want got
  show_func_tab 0
  # A result downloads into the local tree's folder: the download folder chosen.
  show_local "$root/local"
  # Search on the site's node of the server tree: the site clicked first.
  at=$(drv itempoint "$SERTREE" "$PY_SITE") || fail "no site $PY_SITE in the server tree"
  x mousemove $at click 1
  drv command 32859 >/dev/null
  drv wait "$SEARCH" 10000 >/dev/null || { shot fail-search-open; fail "Search did not open"; }
  [ "$(drv text "$SEARCH/id:1141")" = / ] || fail "the search does not start in the site's root"
  fill "$SEARCH/id:1148" "*.txt"
  shot 05-search-ask
  click_ctl "$SEARCH/id:1"
  drv gone "$SEARCH" 10000 || fail "the search box stayed open"
  show_func_tab 4                                   # "Searched"
  # Every *.txt below the root and nothing else (each row read is a round trip
  # into the program: the count first, the names once).
  want=$(cd "$ZARN_PYFTPD_ROOT" && find . -type f -iname '*.txt' -printf '%f\n' | sort)
  until_ok 300 searched_count "$(wc -l <<<"$want")" || { shot fail-search; fail "the search did not find every *.txt"; }
  got=$(drv items "$SEARCHLIST" 1 | sort)
  [ "$got" = "$want" ] || { diff <(echo "$want") <(echo "$got") | head; fail "the search lists other files"; }
  shot 05-search
  # One result downloaded: its row's context menu, Download.
  at=$(drv itempoint "$SEARCHLIST" "alpha.txt") || fail "no alpha.txt row"
  x mousemove $at click 1 click 3
  drv menu 10000 >/dev/null || fail "the search list gave no context menu"
  shot 05-search-menu
  x key Down Return
  until_ok 100 queue_has "alpha.txt" || { shot fail-search-queue; fail "alpha.txt did not reach the queue"; }
  start_queue
  until_ok 300 cmp -s "$ZARN_PYFTPD_ROOT/docs/alpha.txt" "$root/local/alpha.txt" ||
    { shot fail-search-download; fail "alpha.txt did not arrive byte-exact"; }
  shot 05-search-downloaded
  # The results cleared again (the menu's Clear Queue, below a separator).
  show_func_tab 4
  click_ctl "$SEARCHLIST"; x click 3
  drv menu 10000 >/dev/null || fail "the search list gave no context menu"
  x key Down Down Down Down Return
  until_ok 100 searched_count 0 || fail "the search results were not cleared"
  show_func_tab 0
}

SM="top:ZARN Site Manager"
SMTREE="$SM/id:1002"
SPARE="Spare vsftpd"
# The spare site among the work sites (the tree's part above the spare heading).
spare_promoted() { drv tree "$SMTREE" | grep -B100 'ZARN Spare Site' | grep -qx "  $SPARE"; }
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
  until_ok 100 spare_promoted ||
    { drv tree "$SMTREE"; fail "the site was not copied to the work sites"; }
  shot 06-site-promoted
  click_ctl "$SM/id:1065"                           # Exit
  drv gone "$SM" 10000 || fail "the site manager stayed open"
  drv waititem "$SERTREE" "$SPARE" 10000 >/dev/null || fail "the promoted site is not in the server tree"
}

CON="top:ZARN-Manual Control Center"
# The console's log: the edit box's text, one line each.
con_log() { drv text "$CON/id:1002"; }
con_says() { con_log | grep -q "^$1"; }
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
  until_ok 150 con_says 230 ||
    { con_log; shot fail-console; fail "the console did not log in"; }
  con_send SYST
  until_ok 100 con_says 215 ||
    { con_log; fail "no reply to SYST"; }
  con_send LIST
  until_ok 100 con_says 226 ||
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
# row_status_is NAME STATUS: the queue row of file NAME shows STATUS.
row_status_is() { queue_cells 5,7 | awk -F'\t' -v n="$1" -v s="$2" '$1 == n && $2 == s { ok = 1 } END { exit !ok }'; }
# row_gone NAME: the queue, read, holds no row of file NAME.
row_gone() {
  local names; names=$(queue_cells 5) || return 1
  ! awk -F'\t' -v n="$1" '$1 == n { ok = 1 } END { exit !ok }' <<<"$names"
}
# The queue page's commands go to the page, as its context menu sends them
# (the page is found when another page is in front, too).
queue_command() {
  local page; page=$(drv parent "main/hid:${QUEUELIST#main/id:}") || fail "no queue page"
  drv command "$1" "$page" >/dev/null || fail "the queue page took no command $1"
}

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
  refresh_until "$SERLIST" "$name" 20000 || fail "the server list does not show $name"
  show_local "$ro"
  # The failed item is moved to the end once, not retried (the user's choice in
  # the queue's Failed menu), so its last status is the one read.
  queue_command 32805
  drag "$SERLIST" "$name" "$LOCLIST"
  drop_to_queue "$name" 10-readonly-drop
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

ERRBOX="top:ZARN ERROR MESSAGE:"
step_damaged_plan() {
  local damaged=$root/plans/damaged.pln rows saved
  mkdir -p "$root/plans"
  show_func_tab 3
  if [ -s "$QUEUE_PLAN" ]; then
    # The exported plan imported back: its 300 items appended, stopped; the
    # queue file holds them once the page has saved it. Then the same plan
    # cut short.
    queue_import
    file_box "$QUEUE_PLAN"
    until_ok 100 queue_counts 300 || fail "the exported plan did not import its 300 items"
    until_ok 100 plan_holds 300 "$planfile" || fail "the queue file did not take the imported items"
    head -c -9 "$QUEUE_PLAN" >"$damaged"
  else
    head -c 4096 /dev/urandom >"$damaged"
  fi
  rows=$(queue_rows); saved=$(cksum <"$planfile" 2>/dev/null)
  # The damaged plan: nothing appended, and the user is told.
  queue_import
  file_box "$damaged"
  drv wait "$ERRBOX" 10000 >/dev/null || { shot fail-damaged; fail "a damaged plan was imported without a word"; }
  local said; said=$(drv text "$ERRBOX/id:1169")
  grep -q "damaged" <<<"$said" || fail "the message does not say what is wrong: $said"
  shot 10-damaged-plan
  [ "$(queue_rows)" = "$rows" ] || fail "the damaged plan changed the queue"
  click_ctl "$ERRBOX/id:1"
  drv gone "$ERRBOX" 10000 || fail "the message stayed open"
  [ "$(queue_rows)" = "$rows" ] || fail "the damaged plan changed the queue"
  [ "$(cksum <"$planfile" 2>/dev/null)" = "$saved" ] || fail "the queue file changed"
  # Left as found.
  queue_empty || { queue_clear; until_ok 100 queue_empty || fail "Clear Queue left rows"; }
  show_func_tab 0
}
# plan_holds N FILE: the plan or queue file names N of the queue folder's files.
plan_holds() { [ "$(grep -ao 'q[0-9][0-9][0-9]\.txt' "$2" | wc -l)" -eq "$1" ]; }
