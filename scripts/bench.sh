#!/usr/bin/env bash
# Installs the peers (and what the build needs), builds the module in Release into
# build-release/, and runs the side-by-side benchmark bench/peers.py with Debian's
# /usr/bin/python3. Arguments are passed on to the benchmark (see its --help). Not part of the
# tests: it takes a few minutes and its numbers depend on the machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh" bench
cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build-release" -j "$(nproc)" --target tovrin_module
PYTHONPATH="$root/build-release/python" /usr/bin/python3 "$root/bench/peers.py" "$@"
