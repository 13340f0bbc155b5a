#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, ASan and UBSan, and fuzzes
# each one for SECONDS (default 60), starting from the seed corpora that
# fuzz_seeds writes. Prints the executions each target ran; exits non-zero
# when a target finds a crash or a broken rule (the input is kept in
# build-fuzz/crashes/).
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets=(base64_fuzz book_fuzz contents_fuzz outline_fuzz search_fuzz)
cxx=${FUZZ_CXX:-clang++-14}
if ! command -v "$cxx" >/dev/null; then
  echo "fuzz.sh: $cxx is missing; install clang-14 and libclang-rt-14-dev (scripts/setup.sh lists them)" >&2
  exit 2
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Tests, benchmarks and the Qt window are not needed here.
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$cxx" \
  -DREADER_BUILD_FUZZ=ON -DREADER_BUILD_TESTS=OFF -DREADER_BUILD_BENCH=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON \
  "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target fuzz_corpus "${targets[@]}"

status=0
mkdir -p build-fuzz/crashes
for target in "${targets[@]}"; do
  # A working corpus per run: the seeds plus what this run finds.
  work=build-fuzz/work/$target
  rm -rf "$work"
  mkdir -p "$work"
  cp build-fuzz/fuzz/corpus/"$target"/* "$work"/
  log=build-fuzz/$target.log
  if ! build-fuzz/bin/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix=build-fuzz/crashes/"$target"- "$work" >"$log" 2>&1; then
    echo "$target: FAILED, see $log and build-fuzz/crashes/" >&2
    tail -n 30 "$log" >&2
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  echo "$target: ${runs:-?} executions in ${seconds} s, corpus $(ls "$work" | wc -l) inputs"
done
exit $status
