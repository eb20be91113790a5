#!/usr/bin/env bash
# A one-file program, built by quillet.exe /compile ... /onefile under Wine, is a
# program file that objdump reads without a complaint: the imports, the function
# table and the base relocations of run.exe exactly, and in its resources one
# more entry, type 10 number 1, as long as the project. It loads only what run.exe
# loads (check_imports.sh). Built with /icon ICON, its icons are the images of
# ICON byte for byte, in one group, and its version names the project.
# Usage: check_one_file.sh OBJDUMP QUILLET_EXE RUN_EXE WORK ICON
set -u
objdump=$1
quillet=$2
run=$3
work=$4
icon=$5
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

cp "$icon" "$work/own.ico" || exit 1
(cd "$work" && bash "$here/../../tools/wine-run.sh" program/quillet.exe /compile story.dlg icon \
  /onefile /icon own.ico >>build.txt 2>&1) || { cat "$work/build.txt"; echo "the build with /icon failed"; exit 1; }
program=$work/icon/story.exe
"$objdump" -p "$program" >"$work/icon.txt" 2>&1 || { echo "objdump cannot read $program"; exit 1; }
# "TYPE ADDRESS SIZE" for every resource, from objdump's listing of the directory.
leaves() {
  awk '/^[0-9a-f]+   Entry: ID: / { type = $4 }
       /Leaf: Addr:/ { print type, $4, $6 }' "$1" | tr -d , |
    while read -r type address size; do echo $((type)) $((address)) $((size)); done
}
base=$(awk '/^ImageBase/ { print "0x" $2 }' "$work/icon.txt")
read -r vma offset < <("$objdump" -h "$program" | awk '$2 == ".rsrc" { print "0x" $4, "0x" $6 }')
bytes() { tail -c +$(($2 - (vma - base) + offset + 1)) "$1" | head -c "$3"; }
# A number of WIDTH bytes at OFFSET of the .ico, and its image N (from 0).
number() { od -An -tu"$2" -j "$1" -N "$2" "$work/own.ico" | tr -d ' '; }
image() { tail -c +$(($(number $((6 + 16 * $1 + 12)) 4) + 1)) "$work/own.ico" | head -c "$(number $((6 + 16 * $1 + 8)) 4)"; }
images=$(number 4 2)
i=0
while read -r type address size; do
  [ "$type" -eq 3 ] || continue
  if [ $i -ge "$images" ] || ! cmp -s <(bytes "$program" "$address" "$size") <(image $i); then
    echo "FAILED: icon $((i + 1)) is not image $((i + 1)) of the .ico"
    status=1
  fi
  i=$((i + 1))
done < <(leaves "$work/icon.txt")
[ $i -eq "$images" ] || { echo "FAILED: $i icons for the $images images of the .ico"; status=1; }
[ "$(leaves "$work/icon.txt" | awk '$1 == 14' | wc -l)" -eq 1 ] || { echo "FAILED: not one icon group"; status=1; }
read -r address size < <(leaves "$work/icon.txt" | awk '$1 == 16 { print $2, $3 }')
texts=$(bytes "$program" "$address" "$size" | iconv -c -f UTF-16LE -t UTF-8 | tr -s '\0' '\n')
# The values stand on lines of their own; a name follows its block's length.
for text in '^story$' '^story\.exe$' '^1\.0\.0\.0$' '^Сделано в Quillet ' FileDescription ProductName \
  OriginalFilename InternalName Comments; do
  grep -q "$text" <<<"$texts" || { echo "FAILED: the version does not say $text"; status=1; }
done
if grep -q -e Tervan -e LegalCopyright <<<"$texts"; then echo "FAILED: the player's maker in the version"; status=1; fi
exit $status
