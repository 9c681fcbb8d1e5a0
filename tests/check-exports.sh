#!/usr/bin/env bash
# check-exports.sh <objdump> <bin-dir> <x86_64|i686>
# The libraries export only by ordinal (no names), and zarn.exe imports them so.
set -u
objdump=$1; bin=$2; arch=$3
fail=0
check() { if ! grep -q -E "$2" <<<"$1"; then echo "FAIL: $3"; fail=1; else echo "ok: $3"; fi; }
for f in zarn.exe zarnsite.dll zarncontrol.dll; do
  [ -f "$bin/$f" ] || { echo "FAIL: $bin/$f missing"; exit 1; }
done
site=$("$objdump" -p "$bin/zarnsite.dll")
ctrl=$("$objdump" -p "$bin/zarncontrol.dll")
exe=$("$objdump" -p "$bin/zarn.exe")
ordtable() { awk '/\[Ordinal\/Name Pointer\] Table/{f=1;next} f&&/^$/{f=0} f' <<<"$1"; }
check "$site" '\+base\[ *2\] [0-9a-f]+ Export RVA' "zarnsite exports ordinal 2"
check "$ctrl" '\+base\[ *1\] [0-9a-f]+ Export RVA' "zarncontrol exports ordinal 1"
check "$ctrl" '\+base\[ *4\] [0-9a-f]+ Export RVA' "zarncontrol exports ordinal 4"
# Four slots in zarncontrol's address table, of which 2 and 3 stay empty.
check "$ctrl" 'Export Address Table[[:space:]]+0+4$' "zarncontrol's export address table has four entries"
if grep -q -E '\+base\[ *[23]\]' <<<"$ctrl"; then
  echo "FAIL: zarncontrol exports ordinal 2 or 3"; fail=1
else
  echo "ok: zarncontrol's ordinals 2 and 3 are empty"
fi
[ -z "$(ordtable "$site")" ] && echo "ok: zarnsite exports no names" || { echo "FAIL: zarnsite exports names"; fail=1; }
[ -z "$(ordtable "$ctrl")" ] && echo "ok: zarncontrol exports no names" || { echo "FAIL: zarncontrol exports names"; fail=1; }
if [ "$arch" = x86_64 ]; then ord='8000000000000'; else ord='8000000'; fi
imp_site=$(awk '/DLL Name: zarnsite.dll/{f=1;next} /DLL Name:/{f=0} f' <<<"$exe")
imp_ctrl=$(awk '/DLL Name: zarncontrol.dll/{f=1;next} /DLL Name:/{f=0} f' <<<"$exe")
check "$imp_site" "^\s*${ord}0*2\s" "zarn.exe imports zarnsite ordinal 2"
check "$imp_ctrl" "^\s*${ord}0*1\s" "zarn.exe imports zarncontrol ordinal 1"
check "$imp_ctrl" "^\s*${ord}0*4\s" "zarn.exe imports zarncontrol ordinal 4"
exit $fail
