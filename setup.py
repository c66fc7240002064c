"""Builds the extension module `tovrin` with the project's CMake build, for pip and `build`.

The project is configured as a packager would configure it (Release, warnings reported but not
errors) for the interpreter that runs this build, and only the module's target is built.
"""

import os
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build_dir = Path(self.build_temp).resolve() / "cmake"
        # Ninja, as the project's scripts use, unless CMAKE_GENERATOR names another generator.
        generator = [] if os.environ.get("CMAKE_GENERATOR") else ["-G", "Ninja"]
        configure = [
            "cmake",
            "-S",
            str(ROOT),
            "-B",
            str(build_dir),
            *generator,
            "-DCMAKE_BUILD_TYPE=Release",
            f"-DPython3_EXECUTABLE={sys.executable}",
        ]
        subprocess.run(configure, check=True)
        build = ["cmake", "--build", str(build_dir), "--target", "tovrin_module"]
        subprocess.run(build, check=True)
        module = build_dir / "python" / self.get_ext_filename(ext.name)
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(module, target)


# The type stubs are a stub-only package beside the module (a package name that pyproject.toml's
# settings do not accept).
setup(
    ext_modules=[Extension("tovrin", sources=[])],
    packages=["tovrin-stubs"],
    package_dir={"tovrin-stubs": "tovrin-py/tovrin-stubs"},
    package_data={"tovrin-stubs": ["__init__.pyi"]},
    cmdclass={"build_ext": CMakeBuild},
    platforms=["Linux x86-64"],
    # Not build/, which is the project's own CMake build folder.
    options={"build": {"build_base": "build-wheel"}},
)
