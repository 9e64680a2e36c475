#!/usr/bin/env bash
# How far fuzzing reaches. Every libFuzzer target in FUZZERS runs SECONDS from its saved corpus;
# the same targets built for coverage (COVERAGE) then replay the saved and the new inputs, and
# the lines of src/core, src/files, src/link and src/sim linked into them are counted. Not CI.
#
#   bench/fuzz_coverage.sh [SECONDS] [FUZZERS] [COVERAGE] [CORPORA]
#
# FUZZERS defaults to build-asan/bin (scripts/test's sanitizer build), CORPORA to fuzz/corpus,
# COVERAGE to build-cov/bin, a clang build without the sanitizers (so its targets replay):
#   cmake -S . -B build-cov -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
#     -DCMAKE_CXX_FLAGS="-fprofile-instr-generate -fcoverage-mapping" \
#     -DCMAKE_EXE_LINKER_FLAGS=-fprofile-instr-generate
#   cmake --build build-cov -j2 --target <the *_fuzz targets>
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}
fuzzers=$(realpath "${2:-build-asan/bin}")
coverage=$(realpath "${3:-build-cov/bin}")
corpora=$(realpath "${4:-fuzz/corpus}")
llvm=/usr/lib/llvm-14/bin
work=$(mktemp -d)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1
runs=0 crashes=0 objects=()
for corpus in "$corpora"/*/; do
  name=$(basename "$corpus")
  fuzzer=$fuzzers/$name
  mkdir "$work/$name"
  if ! "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/$name-" \
      "$work/$name" "$corpora/$name" >"$work/$name.log" 2>&1; then
    crashes=$((crashes + 1))
    echo "$name: CRASH (see $work/$name.log)"
  fi
  n=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log")
  runs=$((runs + ${n:-0}))
  echo "$name: ${n:-0} runs, $(ls "$work/$name" | wc -l) new inputs"
  LLVM_PROFILE_FILE="$work/$name.profraw" "$coverage/$name" "$work/$name" "$corpora/$name" \
    >/dev/null 2>&1 || echo "$name: the coverage replay failed"
  objects+=(-object "$coverage/$name")
done
"$llvm/llvm-profdata" merge -sparse "$work"/*.profraw -o "$work/all.profdata"
"$llvm/llvm-cov" report -instr-profile="$work/all.profdata" "${objects[@]:1}" \
  "$PWD/src/core" "$PWD/src/files" "$PWD/src/link" "$PWD/src/sim" >"$work/report.txt"
"$llvm/llvm-cov" export -format=text -summary-only=false -instr-profile="$work/all.profdata" \
  "${objects[@]:1}" "$PWD/src/core" "$PWD/src/files" "$PWD/src/link" "$PWD/src/sim" |
  python3 -c 'import json,sys
for f in json.load(sys.stdin)["data"][0]["functions"]:
    print(f["count"], f["name"])' >"$work/functions.txt"
echo "total: $runs runs, $crashes crashes; lines covered: $(awk '/^TOTAL/ {print $10}' "$work/report.txt")"
echo "per file: $work/report.txt, function counts: $work/functions.txt, new inputs: $work/<target>"
