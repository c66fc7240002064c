"""VarAccess.access, replace and access_from_bindings: what they find, build and report."""

import copy

import pytest

from tovrin import Exp, VarAccess


def walk_error(call):
    with pytest.raises(NameError) as info:
        call()
    assert type(info.value) is NameError
    return str(info.value)


@pytest.mark.parametrize(
    "text, value, message",
    [
        ("a", 5, "Object '<root>' does not contain key 'a'"),
        ("a", {"b": 1}, "Object '<root>' does not contain key 'a'"),
        ("a", [1], "Object '<root>' does not contain key 'a'"),
        ("a", "a", "Object '<root>' does not contain key 'a'"),
        ("a.b", {"a": 5}, "Object 'a' does not contain key 'b'"),
        ("a[1].b.c", {"a": [0, {"b": 2}]}, "Object 'a[1].b' does not contain key 'c'"),
        ("'x.y'.z", {"x.y": {}}, "Object 'x.y' does not contain key 'z'"),
        (
            "a[5]",
            {"a": [1, 2]},
            "Index out of bounds: Index out of bounds at '<root>' (index: 5, length: 2)",
        ),
        (
            "a[0]",
            {"a": []},
            "Index out of bounds: Index out of bounds at '<root>' (index: 0, length: 0)",
        ),
        ("x.a[0]", {"x": {"a": "s"}}, "Type error: Expected array at 'x', found String(\"s\")"),
        # An object is no array, even with a key named 0.
        ("a[0]", {"a": {"0": 1}}, "Type error: Expected array at '<root>', found Object({\"0\": UInt(1)})"),
        (
            "a[0]",
            {"a": 1125899906842624.25},
            "Type error: Expected array at '<root>', found Float(1125899906842624.3)",
        ),
    ],
)
def test_access_failures(text, value, message):
    assert walk_error(lambda: VarAccess(text).access(value)) == message


@pytest.mark.parametrize(
    "text, value, expected",
    [
        ("a.b", {"a": {"b": 1}}, 1),
        ("a[1]", {"a": (10, 20)}, 20),
        ("a[0].b", {"a": [{"b": None}]}, None),
        ("a", {"a": True}, True),
        ("a", {"a": -(2**63)}, -(2**63)),
        ("a", {"a": 1.5}, 1.5),
        ("a", {"a": range(3)}, [0, 1, 2]),
    ],
)
def test_access_finds_the_part(text, value, expected):
    result = VarAccess(text).access(value)
    assert result == expected
    assert type(result) is type(expected)


def test_unsigned_integers_come_back_exactly():
    # Exp.eval turns these into floats; the accessor methods do not.
    big = 2**64 - 1
    assert VarAccess("a").access({"a": big}) == big
    assert type(VarAccess("a").access({"a": 2**63})) is int
    assert VarAccess("a").access_from_bindings({"a": big}) == big
    assert VarAccess("a").replace({"a": 1}, big) == {"a": big}
    assert Exp("a").eval({"a": big}) == float(big)


def test_dicts_found_keep_the_input_order():
    value = {"a": {"z": 1, "b": {"y": 2, "x": 3}, "a": 4}}
    found = VarAccess("a").access(value)
    assert list(found) == ["z", "b", "a"]
    assert list(found["b"]) == ["y", "x"]
    assert list(VarAccess("a").access_from_bindings(value)) == ["z", "b", "a"]


def test_results_are_new_containers():
    inner = {"list": [1, [2]], "dict": {"k": "v"}}
    value = {"a": inner}
    found = VarAccess("a").access(value)
    assert found == inner
    assert found is not inner
    assert found["list"] is not inner["list"]
    assert found["list"][1] is not inner["list"][1]
    assert found["dict"] is not inner["dict"]
    from_bindings = VarAccess("a").access_from_bindings(value)
    assert from_bindings == inner and from_bindings is not inner
    replacement = {"r": [1]}
    replaced = VarAccess("a").replace(value, replacement)
    assert replaced["a"] == replacement and replaced["a"] is not replacement


def test_replace_builds_a_new_value_and_leaves_the_input_alone():
    value = {"a": {"b": [1, 2]}, "c": "kept"}
    before = copy.deepcopy(value)
    assert VarAccess("a.b[1]").replace(value, 9) == {"a": {"b": [1, 9]}, "c": "kept"}
    assert value == before


def test_a_replaced_entry_keeps_its_position():
    value = {"x": 1, "y": {"q": 1, "p": 2, "o": 3}, "z": 3}
    result = VarAccess("y.p").replace(value, [])
    assert list(result) == ["x", "y", "z"]
    assert list(result["y"]) == ["q", "p", "o"]
    assert result["y"]["p"] == []


@pytest.mark.parametrize(
    "text, value, message",
    [
        # No key is created and no element appended.
        ("a.c", {"a": {"b": 1}}, "Object 'a' does not contain key 'c'"),
        ("x", [1, 2], "Object '<root>' does not contain key 'x'"),
        ("x", None, "Object '<root>' does not contain key 'x'"),
        ("a.b", {"a": 5}, "Object 'a' does not contain key 'b'"),
        # Unlike the read walk, the message does not name the value found.
        ("a[0]", {"a": "s"}, "Type error: Expected array at '<root>'"),
        ("x.a[0]", {"x": {"a": "s"}}, "Type error: Expected array at 'x'"),
        ("a[0]", {"a": {"0": 1}}, "Type error: Expected array at '<root>'"),
        (
            "a[5]",
            {"a": [1, 2]},
            "Index out of bounds: Index out of bounds at '<root>' (index: 5, length: 2)",
        ),
        (
            "a[2]",
            {"a": [1, 2]},
            "Index out of bounds: Index out of bounds at '<root>' (index: 2, length: 2)",
        ),
        (
            "a[0].b[3]",
            {"a": [{"b": []}]},
            "Index out of bounds: Index out of bounds at 'a[0]' (index: 3, length: 0)",
        ),
    ],
)
def test_replace_failures(text, value, message):
    before = copy.deepcopy(value)
    assert walk_error(lambda: VarAccess(text).replace(value, 0)) == message
    assert value == before


def test_both_values_are_converted_before_the_walk():
    # The path would fail too; the replacement's conversion fails first.
    with pytest.raises(TypeError) as info:
        VarAccess("x").replace([1], {1, 2})
    assert str(info.value) == "argument 'replacement': Unsupported type for JSON value: set"
    with pytest.raises(TypeError) as info:
        VarAccess("a").replace({"a": {1}}, {2})
    assert str(info.value) == "argument 'value': Unsupported type for JSON value: set"


def test_other_conversion_errors_pass_unchanged():
    looped = []
    looped.append(looped)
    with pytest.raises(ValueError, match="Circular reference detected"):
        VarAccess("a").replace({"a": 1}, looped)
    with pytest.raises(ValueError, match="Circular reference detected"):
        VarAccess("a").access(looped)


@pytest.mark.parametrize(
    "text, bindings, message",
    [
        ("a", {}, "Variable not found: a"),
        ("a[0].b", {"b": 1}, "Variable not found: a"),
        (
            "a[5]",
            {"a": [1, 2]},
            "Index out of bounds: Index out of bounds at 'a[5]' (index: 5, length: 2)",
        ),
        ("a[0]", {"a": 5}, "Type error: Expected array at 'a[0]', found UInt(5)"),
        ("a.b.c", {"a": {"b": {}}}, "Object 'a.b' does not contain key 'c'"),
        ("a[0].c", {"a": [{"b": 1}]}, "Object 'a[0]' does not contain key 'c'"),
    ],
)
def test_access_from_bindings_failures(text, bindings, message):
    assert walk_error(lambda: VarAccess(text).access_from_bindings(bindings)) == message


def test_access_from_bindings_reads_like_an_expression():
    bindings = {"a": [{"b": 1}], "c": {"d": "e"}}
    for text in ("a[0].b", "c.d", "c", "a"):
        assert VarAccess(text).access_from_bindings(bindings) == Exp(text).eval(bindings)


def test_access_from_bindings_converts_every_binding():
    with pytest.raises(TypeError) as info:
        VarAccess("a").access_from_bindings({"a": 1, "b": {1}})
    assert str(info.value) == "argument 'bindings': Unsupported type for JSON value: set"


def test_failed_calls_leave_the_accessor_usable():
    accessor = VarAccess("a.b")
    with pytest.raises(NameError):
        accessor.access({})
    with pytest.raises(TypeError):
        accessor.replace({}, {1})
    assert accessor.access({"a": {"b": 2}}) == 2
    assert accessor.access_from_bindings({"a": {"b": 3}}) == 3
