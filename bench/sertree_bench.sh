#!/usr/bin/env bash
# sertree_bench.sh [files] [folders] (run as filelist_bench.sh --tree): a big
# vsftpd folder (100,000 files, 2,000 folders by default) opened in the first
# server tree over a real document, timed from selecting its node to the
# totals line beside the tree, against curl listing the same folder in the
# same run. Prints both and the ratio (target 1.5 or less).
#
# Last figures (load average 6 on 8 cores, shared with other helpers' builds):
# curl 0.70 s, selection to totals line 0.81 s, ratio 1.15. The tree's time is
# the listing task's (transfer and parse), the 2,000 folder nodes with one
# shell look-up for their icons, and the list's fill; the list is drawn once.
set -eu
. "$(dirname "$0")/common.sh"
driver=$root/win64/bin/sertree_driver.exe
if [ "${1:-}" != --inside ]; then
  need_driver sertree_bench "$driver"
  need_tools sertree_bench curl python3
  run_inside vsftpd "$@"
fi
shift
files=${1:-100000}
folders=${2:-2000}
peer_server VSFTPD
mkdir -p "$work"
big=$served/sertree_bench
echo "sertree_bench: making $files files and $folders folders"
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
secs=$(curl -s --max-time 600 -o /dev/null -w '%{time_total}' "ftp://$user:$pass@$host:$port/sertree_bench/")
echo "sertree_bench: curl listed the folder in $secs s"
ZARN_TIMEOUT=900 "$top/scripts/wine-run.sh" "$driver" "$port" "$user" "$pass" sertree_bench "$secs"
rm -rf "$big"
