#!/usr/bin/env bash
# Installs what is missing, builds, and runs the example program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$root/build"
"$root/build/tovrin/examples/tovrin_example"
