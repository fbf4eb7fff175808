#!/usr/bin/env bash
# Builds one fuzz target with clang (libFuzzer, ASan, UBSan) in build-fuzz
# and runs it from a scratch copy of its corpus:
#   fuzz/run.sh NAME [SECONDS] [fuzzer arguments...]
# NAME is reader, form, table or settings; SECONDS defaults to 60. Inputs
# that crash, hang or leak are written to build-fuzz/findings/NAME/.
set -euo pipefail
cd "$(dirname "$0")/.."

name="${1:-}"
case "$name" in
  reader|form|table|settings) ;;
  *) echo "usage: fuzz/run.sh reader|form|table|settings [SECONDS] [fuzzer arguments...]" >&2; exit 64 ;;
esac
seconds="${2:-60}"
shift $(( $# < 2 ? $# : 2 ))

. scripts/packages.sh
veska_ensure_packages "${VESKA_BUILD_PACKAGES[@]}" clang libclang-rt-14-dev

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVESKA_BUILD_FUZZ=ON -DVESKA_BUILD_TESTS=OFF -DVESKA_BUILD_BENCH=OFF
cmake --build build-fuzz -j2 --target "veska_fuzz_$name"

work="$(mktemp -d /tmp/veska-fuzz-corpus.XXXXXX)"
trap 'rm -rf "$work"' EXIT
cp "fuzz/corpus/$name"/* "$work"/
findings="build-fuzz/findings/$name"
mkdir -p "$findings"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$(pwd)/tests/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
"build-fuzz/fuzz/veska_fuzz_$name" "$work" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
  -artifact_prefix="$findings/" "$@"
