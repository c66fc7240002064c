#!/usr/bin/env bash
# Installs every package the build and the tests need from Debian's archive (the packaging tools
# included: the tests also build a wheel and install it into a virtual environment); with the
# argument `bench`, also the peers and the plotting library that scripts/bench.sh compares against.
# Idempotent: quiet and quick when everything is already present.
set -euo pipefail

packages=(
  cmake ninja-build pkgconf g++ clang libclang-rt-14-dev clang-format clang-tidy
  libgtest-dev libgmock-dev libbenchmark-dev
  libicu-dev libre2-dev libtsl-ordered-map-dev
  python3-dev python3-pytest python3-numpy
  python3-venv python3-pip python3-setuptools python3-wheel python3-build python3-mypy
)
if [ "${1:-}" = bench ]; then
  packages+=(python3-simpleeval python3-asteval python3-jmespath python3-matplotlib)
fi

missing=()
for pkg in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$pkg")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
