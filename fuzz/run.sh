#!/usr/bin/env bash
# Builds the diagram reader's fuzz target with clang (libFuzzer, ASan, UBSan)
# in build-fuzz and runs it for 60 seconds (or FUZZ_SECONDS) from a scratch
# copy of fuzz/corpus. Inputs that crash or hang are written to
# build-fuzz/findings/. Extra arguments go to the fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."

. scripts/packages.sh
veska_ensure_packages "${VESKA_BUILD_PACKAGES[@]}" clang libclang-rt-14-dev

seconds="${FUZZ_SECONDS:-60}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVESKA_BUILD_FUZZ=ON -DVESKA_BUILD_TESTS=OFF -DVESKA_BUILD_BENCH=OFF
cmake --build build-fuzz -j2 --target veska_fuzz_reader

work="$(mktemp -d /tmp/veska-fuzz-corpus.XXXXXX)"
trap 'rm -rf "$work"' EXIT
cp fuzz/corpus/* "$work"/
mkdir -p build-fuzz/findings

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$(pwd)/tests/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
build-fuzz/fuzz/veska_fuzz_reader "$work" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
  -artifact_prefix=build-fuzz/findings/ "$@"
