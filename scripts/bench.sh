#!/usr/bin/env bash
# Installs the peers (and what the build needs), builds the module in Release into
# build-release/, and runs the side-by-side benchmark bench/peers.py with Debian's
# /usr/bin/python3. Arguments are passed on to the benchmark (see its --help). Not part of the
# tests: it takes a few minutes and its numbers depend on the machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh" bench
# g++ 12 at -O3 reports overlapping copies inside std::string that cannot happen (GCC bug
# 105329), so that one warning is not an error in this build.
cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS=-Wno-restrict >/dev/null
cmake --build "$root/build-release" -j "$(nproc)" --target tovrin_module
PYTHONPATH="$root/build-release/python" /usr/bin/python3 "$root/bench/peers.py" "$@"
