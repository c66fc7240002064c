"""The type stubs that come with the module (the stub-only package `tovrin-stubs` beside it).

Both checks run mypy in a separate interpreter that finds the module and the stubs the way this
one does: in the build folder or where pip installed them.
"""

import subprocess
import sys

import pytest


def run_mypy(args, cwd):
    return subprocess.run(
        [sys.executable, "-m", *args], cwd=cwd, capture_output=True, text=True, check=False
    )


def test_stubs_match_the_module(tmp_path):
    result = run_mypy(["mypy.stubtest", "tovrin"], tmp_path)
    assert result.returncode == 0, result.stdout + result.stderr


# Each line of a small program, and the text mypy must report for it (None: nothing).
USES = [
    ('tovrin.Exp("a").eval({"a": [1, 2.5, "x", None, True, {"b": (1, range(2), b"x")}]})', None),
    ('tovrin.Exp("a").eval(bindings={"a": decimal.Decimal(1)})', None),
    ('tovrin.VarAccess("a").replace({"a": 1}, [2])', None),
    # A dict variable whose value type is narrower than any JSON-like value (dict is invariant).
    ("tovrin.Exp('a').eval(ages)", None),
    ("tovrin.VarAccess('a').access_from_bindings(tags)", None),
    ('tovrin.Exp("1") == "1"', None),
    ("reveal_type(tovrin.Exp)", 'Revealed type is "def (builtins.str) -> tovrin.Exp"'),
    ("reveal_type(tovrin.Exp.__hash__)", 'Revealed type is "None"'),
    (
        "reveal_type(tovrin.VarAccess.__hash__)",
        'Revealed type is "def (self: tovrin.VarAccess) -> builtins.int"',
    ),
    (
        'reveal_type(tovrin.VarAccess("a").access({}))',
        'Revealed type is "Union[None, builtins.int, builtins.float, builtins.str, builtins.list[',
    ),
    ('tovrin.Exp(exp="1")', 'Unexpected keyword argument "exp" for "Exp"'),
    ("tovrin.Exp(1)", 'Argument 1 to "Exp" has incompatible type "int"; expected "str"'),
    ('tovrin.Exp("1").eval([])', 'Argument 1 to "eval" of "Exp" has incompatible type'),
    ('tovrin.Exp("1").eval({"a": {1}})', 'Value of type variable "_Bound" of "eval"'),
    ('tovrin.Exp("1").eval({1: 2})', "Dict entry 0 has incompatible type"),
    ('tovrin.VarAccess("a").access(value=1)', 'Unexpected keyword argument "value" for "access"'),
    ('tovrin.VarAccess("a").replace(1)', 'Too few arguments for "replace" of "VarAccess"'),
    ('tovrin.VarAccess("a").access_from_bindings(bindings={})', "Unexpected keyword argument"),
    ('tovrin.Exp("1") < tovrin.Exp("2")', 'Unsupported left operand type for < ("Exp")'),
    ("class Sub(tovrin.VarAccess): pass", 'Cannot inherit from final class "VarAccess"'),
    ('count: int = tovrin.Exp("1").eval({})', "Incompatible types in assignment"),
]
HEADER = [
    "import decimal",
    "import tovrin",
    "ages: dict[str, int] = {}",
    "tags: dict[str, list[str]] = {}",
]


@pytest.fixture(scope="module")
def mypy_report(tmp_path_factory):
    """mypy's messages on the program made of USES, by index into USES."""
    folder = tmp_path_factory.mktemp("typing")
    (folder / "uses.py").write_text("\n".join(HEADER + [line for line, _ in USES]) + "\n")
    result = run_mypy(["mypy", "--no-incremental", "--cache-dir=/dev/null", "uses.py"], folder)
    messages = {}
    for line in result.stdout.splitlines():
        if line.startswith("uses.py:"):
            _, number, text = line.split(":", 2)
            messages.setdefault(int(number) - len(HEADER) - 1, []).append(text.strip())
    return messages


def test_type_checker_reports_nothing_else(mypy_report):
    assert set(mypy_report) <= {index for index, (_, expected) in enumerate(USES) if expected}


@pytest.mark.parametrize("index", range(len(USES)), ids=[line for line, _ in USES])
def test_type_checker_sees_the_interface(mypy_report, index):
    expected = USES[index][1]
    reported = mypy_report.get(index, [])
    if expected is None:
        assert reported == []
    else:
        assert any(expected in text for text in reported), reported
