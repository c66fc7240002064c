#!/usr/bin/env bash
# Prints what clang-tidy finds with the root .clang-tidy in the project's own C++ code (the engine,
# its base and the module; not tests, benchmarks or fuzzers), each finding once. It reads the
# compile commands of a build folder, build/ unless one is given as $1, configuring the folder
# first if it has none. A report only: it exits 0 whatever it finds.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-"$root/build"}
if [ ! -f "$build_dir/compile_commands.json" ]; then
  cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cd "$root"
if ! command -v clang-tidy >/dev/null; then
  echo "clang-tidy: not installed (scripts/install-deps.sh installs it); no report"
  exit 0
fi
findings=$(git ls-files -z 'tovrin/src/*.cpp' 'tovrin/base/src/*.cpp' 'tovrin-py/src/*.cpp' |
  xargs -0 -n 4 -P "$(nproc)" clang-tidy -p "$build_dir" --quiet 2>/dev/null |
  grep -E '^/.*: warning: ' | sed "s|^$root/||" | sort -u)
if [ -z "$findings" ]; then
  echo "clang-tidy: no findings"
else
  echo "$findings"
  echo "clang-tidy: $(echo "$findings" | wc -l) findings (a report; nothing fails)"
fi
exit 0
