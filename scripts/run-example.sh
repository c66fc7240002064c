#!/usr/bin/env bash
# Installs what is missing, builds, and runs the example programs: the engine's own, then the
# Python one, which imports the module from the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$root/build"
"$root/build/tovrin/examples/tovrin_example"
PYTHONPATH="$root/build/python" /usr/bin/python3 "$root/tovrin-py/examples/example.py"
