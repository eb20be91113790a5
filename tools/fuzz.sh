#!/usr/bin/env bash
# Builds the script fuzz target with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs it for SECONDS (default 60). It starts from the
# seeds in tests/fuzz/corpus/ and keeps what it finds in build/fuzz/corpus/; a crash or
# a failed check is written to build/fuzz/ and makes the script exit non-zero.
# Usage: tools/fuzz.sh [SECONDS]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=${QUILLET_FUZZ_BUILD:-build/fuzz}
target=$out/script_fuzz
sources=(tests/fuzz/script_fuzz.cpp player/dialoged.cpp player/play.cpp script/*.cpp utf/*.cpp)

command -v clang++ >/dev/null 2>&1 || { echo "fuzz: clang++ is not installed" >&2; exit 1; }
mkdir -p "$out/corpus"

stale=0
[ -x "$target" ] || stale=1
for f in "${sources[@]}" player/*.h script/*.h utf/*.h tools/fuzz.sh; do
  [ "$f" -nt "$target" ] && stale=1
done
if [ $stale -eq 1 ]; then
  echo "Building $target"
  clang++ -std=c++20 -g -O1 -I. -Wall -Wextra \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    "${sources[@]}" -o "$target.tmp"
  mv "$target.tmp" "$target"
fi

echo "Fuzzing the script reader for ${seconds}s"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
if ! "$target" -max_total_time="$seconds" -max_len=20000 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$out/" "$out/corpus" tests/fuzz/corpus >"$out/last_run.log" 2>&1; then
  tail -n 60 "$out/last_run.log"
  echo "fuzz: FAILED; the input that broke it is in $out/ (see $out/last_run.log)" >&2
  exit 1
fi
grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$out/last_run.log" || true
echo "fuzz: no finding"
