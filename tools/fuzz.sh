#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for SECONDS (default 60):
#   script_fuzz        everything that reads a script (seeds: tests/fuzz/corpus/), on
#                      inputs up to 20,000 bytes, then for a third of SECONDS on inputs
#                      up to 1 MB, from seeds made here whose field 4 is a megabyte of
#                      "«" that never close. Linear, such an input takes about a second
#                      under the sanitizers; read in quadratic time, minutes: the long
#                      run's timeout of 30 s per input tells the two apart even on a
#                      busy machine. Its findings go to build/fuzz/script_fuzz/large/,
#                      emptied at each start, so that the start stays short;
#   pe_resources_fuzz  the one-file build's reader and writer of program files
#                      (seeds: tests/fuzz/pe_corpus/, and the run.exe of the Windows
#                      build when there is one);
#   icon_file_fuzz     the reader of the .ico files a one-file program may carry
#                      (seeds: tests/fuzz/icon_corpus/, and the box icons of a build).
# Each keeps what it finds in build/fuzz/<target>/corpus/; a crash, a failed check or a
# timeout is written to build/fuzz/<target>/ and makes the script exit non-zero.
# Usage: tools/fuzz.sh [SECONDS]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=${QUILLET_FUZZ_BUILD:-build/fuzz}

command -v clang++ >/dev/null 2>&1 || { echo "fuzz: clang++ is not installed" >&2; exit 1; }
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# build NAME SOURCE... : builds $out/NAME/NAME when a source or header is newer.
build() {
  local name=$1 target=$out/$1/$1 stale=0 f
  shift
  # An older layout kept the target itself at $out/NAME.
  [ -d "$out/$name" ] || rm -f "$out/$name"
  mkdir -p "$out/$name/corpus"
  [ -x "$target" ] || stale=1
  for f in "$@" designer/*.h player/*.h script/*.h utf/*.h tools/fuzz.sh; do
    [ "$f" -nt "$target" ] && stale=1
  done
  if [ $stale -eq 1 ]; then
    echo "Building $target"
    clang++ -std=c++20 -g -O1 -I. -Wall -Wextra \
      -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
      "$@" -o "$target.tmp"
    mv "$target.tmp" "$target"
  fi
}

# run NAME WHAT SECONDS MAX_LEN TIMEOUT CORPUS SEEDS... : fuzzes; prints the figures.
run() {
  local name=$1 what=$2 time=$3 max_len=$4 timeout=$5 corpus=$6 dir=$out/$1
  shift 6
  echo "Fuzzing $what for ${time}s"
  if ! "$dir/$name" -max_total_time="$time" -max_len="$max_len" -timeout="$timeout" \
      -print_final_stats=1 -artifact_prefix="$dir/" "$corpus" "$@" >"$dir/last_run.log" 2>&1; then
    tail -n 60 "$dir/last_run.log"
    echo "fuzz: FAILED; the input that broke it is in $dir/ (see $dir/last_run.log)" >&2
    return 1
  fi
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$dir/last_run.log" || true
}

build script_fuzz tests/fuzz/script_fuzz.cpp player/dialoged.cpp player/play.cpp script/*.cpp \
  utf/*.cpp
build pe_resources_fuzz tests/fuzz/pe_resources_fuzz.cpp designer/pe_resources.cpp utf/*.cpp
build icon_file_fuzz tests/fuzz/icon_file_fuzz.cpp designer/icon_file.cpp designer/pe_resources.cpp \
  utf/*.cpp

# The player as built, behind the control byte the target reads first.
seeds=$out/pe_resources_fuzz/seeds
mkdir -p "$seeds"
if [ -f build/windows/bin/run.exe ]; then
  { printf '\003'; cat build/windows/bin/run.exe; } >"$seeds/run.exe"
fi

# Field 4 of a Yes/No box, a megabyte of "Да «" items (Windows-1251), behind the
# control byte 0: the whole file at once, no failure, no line limit.
large_seeds=$out/script_fuzz/seeds
mkdir -p "$large_seeds"
{
  printf '\000t; t; \302\356\357\360\356\361; \304\340 \350 \315\345\362; '
  yes $'\304\340 \253,' | tr '\n' ' ' | head -c 1048000
} >"$large_seeds/unmatched_quotes"
rm -rf "$out/script_fuzz/large"
mkdir -p "$out/script_fuzz/large"

icon_seeds=$out/icon_file_fuzz/seeds
mkdir -p "$icon_seeds"
for built in build/linux/resources build/windows/resources; do
  if [ -d "$built" ]; then cp "$built"/box_*.ico "$icon_seeds/" 2>/dev/null || true; fi
done

status=0
run script_fuzz "the script reader" "$seconds" 20000 10 "$out/script_fuzz/corpus" \
  tests/fuzz/corpus || status=1
run script_fuzz "the script reader on inputs up to 1 MB" $(((seconds + 2) / 3)) 1048576 30 \
  "$out/script_fuzz/large" "$large_seeds" tests/fuzz/corpus || status=1
run pe_resources_fuzz "the program file writer" "$seconds" 65536 10 \
  "$out/pe_resources_fuzz/corpus" tests/fuzz/pe_corpus "$seeds" || status=1
run icon_file_fuzz "the icon reader" "$seconds" 65536 10 \
  "$out/icon_file_fuzz/corpus" tests/fuzz/icon_corpus "$icon_seeds" || status=1
[ $status -eq 0 ] && echo "fuzz: no finding"
exit $status
