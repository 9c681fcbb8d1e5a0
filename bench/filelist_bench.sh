#!/usr/bin/env bash
# filelist_bench.sh [files] [folders]: a big server folder into the file list.
#
# vsftpd (the fixture of tests/peers/with-peers.sh) serves a folder of files
# (100,000 by default) and folders (2,000). curl lists it (timed, saved); bench's
# filelist_driver.exe (win64, under Wine) parses the saved text, chains and
# fills a shown CFileListCtrl, sorts it by name and by size, paints it and pages
# down 5,000 pages. Prints each time, the slowest page and the ratio of parse +
# fill + sort + first paint to curl's listing time (target 0.5 or less, no page
# above 50 ms).
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
