#!/usr/bin/env bash
# Installs the peers (and what the build needs), builds the module into build-bench/, and runs
# the side-by-side benchmark bench/peers.py with Debian's /usr/bin/python3. Arguments are passed
# on to the benchmark (see its --help). Not part of the tests: it takes a few minutes and its
# numbers depend on the machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh" bench
# The build type that scripts/build.sh makes and the tests use (-O2); -O3 measured slower here.
cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOVRIN_WERROR=ON >/dev/null
cmake --build "$root/build-bench" -j "$(nproc)" --target tovrin_module
PYTHONPATH="$root/build-bench/python" /usr/bin/python3 "$root/bench/peers.py" "$@"
