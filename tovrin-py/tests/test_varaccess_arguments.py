"""How VarAccess's constructor and methods take their arguments, and the messages otherwise."""

import pytest

from tovrin import VarAccess

NEW = "VarAccess.__new__()"
ACCESS = "VarAccess.access()"
REPLACE = "VarAccess.replace()"
FROM_BINDINGS = "VarAccess.access_from_bindings()"


@pytest.mark.parametrize(
    "args, kwargs, message",
    [
        ((), {}, f"{NEW} missing 1 required positional argument: 'accessor'"),
        (
            (),
            {"accessor": "a"},
            f"{NEW} got some positional-only arguments passed as keyword arguments: 'accessor'",
        ),
        (("a", "b"), {}, f"{NEW} takes 1 positional arguments but 2 were given"),
        (("a",), {"x": 1}, f"{NEW} got an unexpected keyword argument 'x'"),
        ((5,), {}, "argument 'accessor': 'int' object is not an instance of 'str'"),
        ((None,), {}, "argument 'accessor': 'None' is not an instance of 'str'"),
    ],
)
def test_constructor_argument_errors(args, kwargs, message):
    with pytest.raises(TypeError) as info:
        VarAccess(*args, **kwargs)
    assert str(info.value) == message


@pytest.mark.parametrize(
    "method, args, kwargs, message",
    [
        ("access", (), {}, f"{ACCESS} missing 1 required positional argument: 'value'"),
        ("access", (1, 2), {}, f"{ACCESS} takes 1 positional arguments but 2 were given"),
        (
            "access",
            (),
            {"value": {}},
            f"{ACCESS} got some positional-only arguments passed as keyword arguments: 'value'",
        ),
        ("access", ({1: 2},), {}, "argument 'value': 'int' object is not an instance of 'str'"),
        ("access", ({1},), {}, "argument 'value': Unsupported type for JSON value: set"),
        (
            "replace",
            (),
            {},
            f"{REPLACE} missing 2 required positional arguments: 'value' and 'replacement'",
        ),
        (
            "replace",
            ({},),
            {},
            f"{REPLACE} missing 1 required positional argument: 'replacement'",
        ),
        ("replace", (1, 2, 3), {}, f"{REPLACE} takes 2 positional arguments but 3 were given"),
        (
            "replace",
            (),
            {"value": {}, "replacement": 1},
            f"{REPLACE} got some positional-only arguments passed as keyword arguments: "
            "'value' and 'replacement'",
        ),
        ("replace", ({}, 1), {"other": 1}, f"{REPLACE} got an unexpected keyword argument 'other'"),
        (
            "access_from_bindings",
            (),
            {},
            f"{FROM_BINDINGS} missing 1 required positional argument: 'bindings'",
        ),
        (
            "access_from_bindings",
            (),
            {"bindings": {}},
            f"{FROM_BINDINGS} got some positional-only arguments passed as keyword arguments: "
            "'bindings'",
        ),
        (
            "access_from_bindings",
            ([],),
            {},
            "argument 'bindings': 'list' object is not an instance of 'dict'",
        ),
        (
            "access_from_bindings",
            ({1: 2},),
            {},
            "argument 'bindings': 'int' object is not an instance of 'str'",
        ),
    ],
)
def test_method_argument_errors(method, args, kwargs, message):
    accessor = VarAccess("a")
    with pytest.raises(TypeError) as info:
        getattr(accessor, method)(*args, **kwargs)
    assert str(info.value) == message


def test_bindings_may_be_a_dict_subclass_but_no_other_mapping():
    import types

    class Bindings(dict):
        pass

    assert VarAccess("a").access_from_bindings(Bindings(a=1)) == 1
    with pytest.raises(TypeError) as info:
        VarAccess("a").access_from_bindings(types.MappingProxyType({"a": 1}))
    assert str(info.value) == (
        "argument 'bindings': 'mappingproxy' object is not an instance of 'dict'"
    )
    # A value to walk may be any mapping.
    assert VarAccess("a").access(types.MappingProxyType({"a": 1})) == 1
