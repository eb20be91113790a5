#!/usr/bin/env bash
# The release is reproducible and complete: two dist builds of the same commit,
# in different folders at different times, give byte-identical zips, holding the
# very programs the tests ran (build/windows/bin, when built) and what a Windows
# user needs, as Windows reads it. Builds only the two programs, twice, under
# build/repro-*.
set -eu
cd "$(dirname "$0")/.."
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
rm -rf build/repro-one build/repro-two
tools/dist.sh build/repro-one/build build/repro-one/dist >/dev/null
sleep 2  # a later clock time: later than any two-second zip date step
tools/dist.sh build/repro-two/build build/repro-two/dist >/dev/null

status=0
one=$(ls build/repro-one/dist/*.zip)
two=$(ls build/repro-two/dist/*.zip)
if cmp "$one" "$two"; then
  echo "reproducible: $(cut -d' ' -f1 build/repro-one/dist/SHA256SUMS)  $(basename "$one")"
else
  echo "FAILED: two builds of one commit gave different zips"
  status=1
fi
(cd build/repro-one/dist && sha256sum --quiet -c SHA256SUMS) || status=1

python3 - "$one" build/repro-one/build/bin build/windows/bin <<'PY' || status=1
import os, sys, time, zipfile
zip_path, bin_dirs = sys.argv[1], sys.argv[2:]
problems = []
z = zipfile.ZipFile(zip_path)
names = [i.filename for i in z.infolist()]
if names != ["quillet.exe", "run.exe", "welcome.dlg", "quiz.dlg", "ПРОЧТИ.txt"]:
    problems.append(f"entries {names}")
want_date = time.gmtime(int(os.environ["SOURCE_DATE_EPOCH"]))[:6]
for i in z.infolist():
    if i.date_time[:5] != want_date[:5] or abs(i.date_time[5] - want_date[5]) > 1:
        problems.append(f"{i.filename} dated {i.date_time}, not {want_date}")
    if (i.flag_bits & 0x800) != (0 if i.filename.isascii() else 0x800):
        problems.append(f"{i.filename}: UTF-8 name flag is {i.flag_bits & 0x800:#x}")
    if i.extra:
        problems.append(f"{i.filename} has extra fields")
    if i.create_system != 3 or i.external_attr != (0o100644 << 16) | 0x20:
        problems.append(f"{i.filename}: made on {i.create_system}, attributes {i.external_attr:#x}")
for bin_dir in bin_dirs:
    for exe in ("quillet.exe", "run.exe"):
        path = os.path.join(bin_dir, exe)
        if os.path.exists(path) and z.read(exe) != open(path, "rb").read():
            problems.append(f"{exe} differs from {path}")
text = z.read("ПРОЧТИ.txt")
if not text.startswith(b"\xef\xbb\xbf"):
    problems.append("ПРОЧТИ.txt has no byte-order mark")
if text.count(b"\n") != text.count(b"\r\n") or text.count(b"\r") != text.count(b"\r\n"):
    problems.append("ПРОЧТИ.txt has line ends other than CR LF")
version = os.path.basename(zip_path)[len("quillet-"):-len("-win64.zip")]
if f"Tervan Quillet {version}\r\n".encode() not in text or b"@VERSION@" in text:
    problems.append("ПРОЧТИ.txt does not name the version " + version)
text.decode("utf-8")
for p in problems:
    print("FAILED:", p)
sys.exit(1 if problems else 0)
PY
# Unpacked by Info-ZIP unzip, as Linux users do: every name as it was written.
unpacked=build/repro-one/unzipped
rm -rf "$unpacked"
if LC_ALL=C.UTF-8 unzip -q "$one" -d "$unpacked"; then
  names=$(cd "$unpacked" && LC_ALL=C.UTF-8 ls -1 | LC_ALL=C sort | tr '\n' ' ')
  if [ "$names" != "quillet.exe quiz.dlg run.exe welcome.dlg ПРОЧТИ.txt " ]; then
    echo "FAILED: unzip unpacked the names $names"
    status=1
  fi
  cmp "$unpacked/run.exe" build/repro-one/build/bin/run.exe || status=1
else
  echo "FAILED: unzip could not unpack $one"
  status=1
fi

[ $status -eq 0 ] && echo "The release zip is reproducible and complete."
exit $status
