"""Runs a program in a child interpreter that imports the module as the tests here import it."""

import os
import subprocess
import textwrap

import tovrin

PYTHON = "/usr/bin/python3"


def run_with_debug_allocator(code):
    """Runs `code` (dedented) with PYTHONMALLOC=debug, where reading freed memory shows as
    garbage or a crash."""
    environment = dict(os.environ, PYTHONMALLOC="debug")
    environment["PYTHONPATH"] = os.path.dirname(tovrin.__file__)
    return subprocess.run(
        [PYTHON, "-c", textwrap.dedent(code)], capture_output=True, text=True, env=environment,
        timeout=120,
    )
