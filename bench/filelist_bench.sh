#!/usr/bin/env bash
# filelist_bench.sh [files] [folders]: a big server folder into the file list.
#
# vsftpd (the fixture of tests/peers/with-peers.sh) serves a folder of files
# (100,000 by default) and folders (2,000). curl lists it (timed, saved); bench's
# filelist_driver.exe (win64, under Wine) parses the saved text, makes and
# chains the rows and fills a shown CFileListCtrl, sorts it by name and by
# size, paints it and pages down to the end (at most 5,000 pages). Prints each
# time, the time spent in the list's own display-request handlers, the pages'
# median, 99th percentile and slowest, and the ratio of parse + fill + sort by
# name + first paint to curl's listing time (target 0.5 or less, no page above
# 50 ms).
#
# Last figures (3 runs, machine shared with other builds and tests, load 8-13
# on 8 cores): curl 0.39-0.46 s; parse 64-90 ms, fill 61-69 ms (making and
# chaining the 102,000 rows 49-58 ms, FillFromChain 12 ms) but 214 ms in the
# third run (making the rows took 202 ms at load 13), sort by name 10-12 ms,
# by size 10-11 ms, first paint 20 ms (6.5-6.8 ms of it in the icons'
# look-ups); ratio 0.41, 0.49, 0.67. Pages (2,999, 35 rows each): median
# 6.6-7.0 ms, 99th percentile 30-39 ms, slowest 51, 41, 56 ms. The list's
# handlers take 1.0 us a display request, 0.14 ms a page; the rest of a page
# is Wine drawing the rows: 284 Wine server requests a page, 240 of them for
# the 35 icons (each icon drawn makes a memory DC, and each DC made asks the
# server for the display devices' registry keys and the window station's
# flags), 44 without icons. The rows' 60 MB cost some 25 ms of page faults
# when made; the parse is the engine's listing parser.
#
# filelist_bench.sh --tree [files] [folders]: the same folder opened in a
# server tree instead (bench/sertree_bench.sh).
#
# Needs the win64 build: ZARN_BUILD_ROOT (default build/) holds
# win64/bin/filelist_driver.exe.
set -eu
[ "${1:-}" = --tree ] && { shift; exec "$(dirname "$0")/sertree_bench.sh" "$@"; }
. "$(dirname "$0")/common.sh"
driver=$root/win64/bin/filelist_driver.exe
if [ "${1:-}" != --inside ]; then
  need_driver filelist_bench "$driver"
  need_tools filelist_bench curl python3
  run_inside vsftpd "$@"
fi
shift
files=${1:-100000}
folders=${2:-2000}
peer_server VSFTPD
mkdir -p "$work"
big=$served/filelist_bench
echo "filelist_bench: making $files files and $folders folders"
python3 - "$big" "$files" "$folders" <<'PY'
import os, sys
root, files, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
os.makedirs(root, exist_ok=True)
for i in range(folders):
    os.makedirs(os.path.join(root, 'folder%05d' % i), exist_ok=True)
for i in range(files):
    with open(os.path.join(root, 'file%06d.dat' % i), 'wb') as f:
        f.truncate((i * 7919) % 100000)
PY
listing=$work/filelist_listing.txt
secs=$(curl -s --max-time 600 -o "$listing" -w '%{time_total}' "ftp://$user:$pass@$host:$port/filelist_bench/")
echo "filelist_bench: curl listed $(wc -l <"$listing") lines in $secs s"
ZARN_TIMEOUT=900 "$top/scripts/wine-run.sh" "$driver" "$(winpath "$listing")" "$secs" 5000
rm -rf "$big"
