#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the engine's tests, then the Python
# module's tests, once as built, once built with AddressSanitizer and once installed by pip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
python=/usr/bin/python3
bash "$root/scripts/install-deps.sh"

bash "$root/scripts/build.sh" "$root/build"
ctest --test-dir "$root/build" --output-on-failure -j "$(nproc)"
PYTHONPATH="$root/build/python" "$python" -m pytest -q -p no:cacheprovider "$root/tovrin-py/tests"

# The sanitized module runs in the ordinary interpreter, so the sanitizer runtime is preloaded,
# and the C++ runtime after it: the interpreter does not link it, and without it loaded at start
# the sanitizer cannot intercept a C++ exception (a call stopped by a signal throws one) and
# aborts. CPython keeps memory until exit, hence no leak report; sanitized frames are several
# times larger, hence the larger stack for the deep-nesting tests.
cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOVRIN_WERROR=ON -DTOVRIN_SANITIZE=ON >/dev/null
cmake --build "$root/build-asan" -j "$(nproc)" --target tovrin_module
(
  ulimit -s 262144
  LD_PRELOAD="$(gcc -print-file-name=libasan.so) $(gcc -print-file-name=libstdc++.so)" \
    ASAN_OPTIONS=detect_leaks=0 \
    PYTHONPATH="$root/build-asan/python" "$python" -m pytest -q -p no:cacheprovider \
    "$root/tovrin-py/tests"
)

# The module as users install it: a wheel built by setup.py (a Release build, as packagers
# configure it), installed into a fresh virtual environment and tested there, with no build folder
# on the path. The environment sees Debian's packages for pytest, numpy and mypy.
wheel_dir="$root/build-wheel"
rm -rf "$wheel_dir/dist" "$wheel_dir/venv"
mkdir -p "$wheel_dir"
if ! "$python" -m build --wheel --no-isolation --outdir "$wheel_dir/dist" "$root" \
  >"$wheel_dir/wheel.log" 2>&1; then
  tail -n 60 "$wheel_dir/wheel.log"
  echo "building the wheel failed" >&2
  exit 1
fi
"$python" -m venv --system-site-packages "$wheel_dir/venv"
"$wheel_dir/venv/bin/python" -m pip install --quiet --no-index "$wheel_dir"/dist/tovrin-*.whl
(
  cd "$wheel_dir/venv"
  unset PYTHONPATH
  bin/python -c 'import sys, tovrin; assert tovrin.__file__.startswith(sys.prefix), tovrin.__file__'
  bin/python -m pytest -q -p no:cacheprovider "$root/tovrin-py/tests"
)
