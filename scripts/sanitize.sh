#!/usr/bin/env bash
# Builds the pure-logic libraries, bookpack, their tests and the fuzz
# replays with AddressSanitizer and UndefinedBehaviorSanitizer, and runs
# them. Any report fails the run.
#   scripts/sanitize.sh
set -euo pipefail
cd "$(dirname "$0")/.."
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Without Qt: only the libraries that never include it are built.
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DREADER_BUILD_BENCH=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" \
  "${launcher[@]}" >/dev/null
cmake --build build-sanitize -j "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The shadow memory of ASan cannot live under an address-space limit, so the
# out-of-memory case of bookpack runs in the plain build only.
ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)" -E 'OutOfMemory'
