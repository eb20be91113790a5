#!/usr/bin/env bash
# A one-file program, built by quillet.exe /compile ... /onefile under Wine, is a
# program file that objdump reads without a complaint: the imports, the function
# table and the base relocations of run.exe exactly, and in its resources one
# more entry, type 10 number 1, as long as the project. It loads only what run.exe
# loads (check_imports.sh). Usage: check_one_file.sh OBJDUMP QUILLET_EXE RUN_EXE WORK
set -u
objdump=$1
quillet=$2
run=$3
work=$4
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$work" && mkdir -p "$work/program" && cp "$quillet" "$run" "$work/program/" || exit 1
printf 'Привет; Заголовок; Информация; ОК\r\n' >"$work/story.dlg"
(cd "$work" && bash "$here/../../tools/wine-run.sh" program/quillet.exe /compile story.dlg out \
  /onefile >build.txt 2>&1) || { cat "$work/build.txt"; echo "the build failed"; exit 1; }
program=$work/out/story.exe

status=0
"$objdump" -p "$run" >"$work/run.txt" 2>&1 || { echo "objdump cannot read $run"; exit 1; }
"$objdump" -p "$program" >"$work/program.txt" 2>"$work/complaints.txt" || status=1
if [ -s "$work/complaints.txt" ]; then
  cat "$work/complaints.txt"
  status=1
fi
# The blocks objdump interprets, from their heading to the next one.
block() { sed -n "/^$2/,/^\(The \|PE File\)/p" "$1" | sed '$d'; }
for heading in "The Import Tables" "The Function Table" "PE File Base Relocations"; do
  if ! diff <(block "$work/run.txt" "$heading") <(block "$work/program.txt" "$heading") >/dev/null; then
    echo "FAILED: \"$heading\" differs from run.exe's"
    status=1
  fi
done
leaves() { grep -c "Leaf: Addr" "$1"; }
[ "$(leaves "$work/program.txt")" -eq $(($(leaves "$work/run.txt") + 1)) ] ||
  { echo "FAILED: not one resource more than run.exe"; status=1; }
size=$(printf '0x%06x' "$(stat -c %s "$work/story.dlg")")
grep -A5 "Entry: ID: 0x00000a," "$work/program.txt" | grep -q "Leaf: .*Size: $size," ||
  { echo "FAILED: no resource of type 10 holding the project's $size bytes"; status=1; }
bash "$here/check_imports.sh" "$objdump" "$program" || status=1
exit $status
