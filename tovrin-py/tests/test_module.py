"""Start-up of the module: what it holds, how it names its classes, what it exports."""

import inspect
import shutil
import subprocess

import pytest

import tovrin


def test_all_lists_the_two_classes_in_order():
    assert tovrin.__all__ == ["Exp", "VarAccess"]


def test_module_doc_is_empty():
    assert tovrin.__doc__ == ""


def test_module_holds_nothing_else():
    own = {name for name in vars(tovrin) if not name.startswith("__")}
    assert own == {"Exp", "VarAccess"}


@pytest.mark.parametrize(
    "cls, name, signature",
    [(tovrin.Exp, "Exp", "(exp, /)"), (tovrin.VarAccess, "VarAccess", "(accessor, /)")],
)
def test_classes_are_named_as_builtins_with_signature_only_docs(cls, name, signature):
    assert cls.__name__ == name
    assert cls.__qualname__ == name
    assert cls.__module__ == "builtins"
    assert cls.__doc__ == ""
    assert cls.__text_signature__ == signature


def test_class_signature_is_what_inspect_and_help_show():
    assert str(inspect.signature(tovrin.Exp)) == "(exp, /)"
    assert "Exp(exp, /)" in pydoc_text(tovrin.Exp)


def pydoc_text(thing):
    import pydoc

    return pydoc.render_doc(thing, renderer=pydoc.plaintext)


def test_the_shared_object_exports_only_its_entry():
    if shutil.which("nm") is None:
        pytest.skip("nm is not installed")
    result = subprocess.run(
        ["nm", "-D", "--defined-only", tovrin.__file__],
        check=True,
        capture_output=True,
        text=True,
    )
    symbols = [line.split()[-1] for line in result.stdout.splitlines() if line.strip()]
    assert symbols == ["PyInit_tovrin"]


def test_module_file_carries_the_interpreters_suffix():
    import sysconfig

    assert tovrin.__file__.endswith("tovrin" + sysconfig.get_config_var("EXT_SUFFIX"))
