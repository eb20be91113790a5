#!/usr/bin/env bash
# The programs load only DLLs that Windows takes from System32, never a runtime DLL
# that could be planted beside them; run.exe, copied into every built program, also
# stays small. Usage: check_imports.sh OBJDUMP EXE [MAX_BYTES]
set -u
objdump=$1
exe=$2
max_bytes=${3:-0}
allowed="kernel32.dll user32.dll gdi32.dll msvcrt.dll advapi32.dll shell32.dll comctl32.dll
ntdll.dll comdlg32.dll ole32.dll oleaut32.dll shlwapi.dll uxtheme.dll version.dll"

status=0
dump=$("$objdump" -p "$exe") || { echo "cannot read $exe"; exit 1; }
imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr -d '\r')
[ -n "$imports" ] || { echo "no import table found in $exe"; exit 1; }
for dll in $imports; do
  lower=$(printf '%s' "$dll" | tr '[:upper:]' '[:lower:]')
  case " $(echo $allowed) " in
    *" $lower "*) echo "import ok: $dll" ;;
    *) echo "FORBIDDEN import: $dll"; status=1 ;;
  esac
done
size=$(stat -c %s "$exe")
echo "size: $size bytes"
if [ "$max_bytes" -gt 0 ] && [ "$size" -gt "$max_bytes" ]; then
  echo "$(basename "$exe") is larger than $max_bytes bytes"
  status=1
fi
exit $status
