#!/usr/bin/env bash
# Builds the fuzz targets with clang and the address and undefined-behaviour sanitizers in
# build-fuzz/, then runs each for $FUZZ_SECONDS seconds (default 60) on its seed corpus.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir="$root/build-fuzz"
seconds=${FUZZ_SECONDS:-60}
CC=clang CXX=clang++ cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOVRIN_WERROR=ON -DTOVRIN_FUZZ=ON -DTOVRIN_SANITIZE=ON >/dev/null
cmake --build "$build_dir" -j 8
for fuzzer in "$build_dir"/tovrin/fuzz/*_fuzz; do
  name=$(basename "$fuzzer" _fuzz)
  seeds="$root/tovrin/fuzz/corpus/$name"
  work=$(mktemp -d)
  log="$build_dir/$name-fuzz.log"
  echo "fuzzing $name for ${seconds}s (log: $log)"
  if ! "$fuzzer" -max_total_time="$seconds" -max_len=256 -timeout=10 -rss_limit_mb=4096 \
    -print_final_stats=1 "$work" "$seeds" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzzer $name failed" >&2
    exit 1
  fi
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
  rm -rf "$work"
done
