#!/usr/bin/env bash
# Checks that every tracked C and C++ file is formatted as the root .clang-format says, with the
# clang-format that scripts/install-deps.sh installs (Debian 12's, version 14: other versions lay
# some constructs out differently). Prints each place that differs and fails; `clang-format -i
# FILE` mends a file.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! git ls-files -z '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' | xargs -0 clang-format --dry-run -Werror; then
  echo "formatting: the places above differ from .clang-format" >&2
  exit 1
fi
echo "formatting: all tracked C and C++ files are clean"
