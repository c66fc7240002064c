"""The Exp class: compiling, evaluating, comparing, and what the class allows."""

import inspect

import pytest

from tovrin import Exp

EVAL_DOC = (
    "Evaluate the expression with the given variable bindings.\n\n"
    "# Arguments\n\n"
    "- `bindings`: A mapping containing variable bindings, where keys are variable names and "
    "values are their corresponding JSON values.\n\n"
    "# Returns\n\n"
    "The result of evaluating the expression, represented as a `PyJsonValue`.\n\n"
    "# Errors\n\n"
    "If there is an error during evaluation (e.g., undefined variable, type error), a "
    "`ValueError` will be raised with a message describing the evaluation error."
)


def test_eval_doc_and_signature():
    assert Exp.eval.__doc__ == EVAL_DOC
    assert Exp.eval.__text_signature__ == "($self, bindings)"
    assert str(inspect.signature(Exp.eval)) == "(self, /, bindings)"


def test_the_class_has_only_its_own_members():
    own = {name for name in vars(Exp) if name not in ("__doc__", "__module__")}
    assert own == {"__new__", "eval", "__eq__", "__ne__", "__lt__", "__le__", "__gt__",
                   "__ge__", "__hash__"}


@pytest.mark.parametrize(
    "first, second",
    [("1", " 1 "), ("(1)", "1"), ("1", "1\u3000"), ("1", "\u00a01\u00a0"), ("a.b", "a.b")],
)
def test_equal_trees(first, second):
    assert Exp(first) == Exp(second)
    assert not Exp(first) != Exp(second)


def test_unequal_trees():
    assert Exp("1") != Exp("1.0")
    assert not Exp("1") == Exp("1.0")


def test_comparison_with_other_types():
    assert (Exp("1") == "1") is False
    assert (Exp("1") != "1") is True
    with pytest.raises(TypeError):
        Exp("1") < Exp("2")
    with pytest.raises(TypeError):
        Exp("1") >= Exp("2")


def test_other_operand_may_take_over_comparisons():
    class Greedy:
        def __eq__(self, other):
            return "greedy"

        def __gt__(self, other):
            return "greater"

    assert (Exp("1") == Greedy()) == "greedy"
    assert (Exp("1") < Greedy()) == "greater"


def test_not_hashable():
    with pytest.raises(TypeError, match="unhashable type"):
        hash(Exp("1"))
    assert Exp.__hash__ is None


def test_not_subclassable():
    with pytest.raises(TypeError):

        class Sub(Exp):
            pass


def test_instances_cannot_be_made_without_the_constructor():
    with pytest.raises(TypeError):
        object.__new__(Exp)


def test_calls_share_no_state():
    exp = Exp("x")
    with pytest.raises(NameError, match="Variable not found: x"):
        exp.eval({})
    assert exp.eval({"x": 2}) == 2
    with pytest.raises(NameError):
        exp.eval({"y": 2})


def test_unused_bindings_are_converted_too():
    with pytest.raises(TypeError, match="Unsupported type for JSON value: set"):
        Exp("1").eval({"unused": {1, 2}})


def test_objects_come_back_with_sorted_keys():
    result = Exp("x").eval({"x": {"b": 1, "a": 2, "c": {"z": 1, "y": 2}}})
    assert list(result) == ["a", "b", "c"]
    assert list(result["c"]) == ["y", "z"]


@pytest.mark.parametrize(
    "text, bindings, expected",
    [
        ("string(1125899906842624.25)", {}, "1125899906842624.3"),
        ("string(x)", {"x": -133248895781108.625}, "-133248895781108.63"),
        ("string([x])", {"x": 1165918887683901.75}, "[1165918887683901.8]"),
        ("string(x)", {"x": 2251799813685248.5}, "2251799813685248.5"),
    ],
)
def test_floats_halfway_between_two_shortest_forms_take_the_one_farther_from_zero(
    text, bindings, expected
):
    assert Exp(text).eval(bindings) == expected


def test_object_literals_come_back_as_new_dicts_on_every_call():
    exp = Exp("{'b': {'\u00e9': 1, 'a': [{'z': x}]}, 'a': x, 'x': [x]}")
    bound = {"b": 2, "a": {"x": 3}}
    first = exp.eval({"x": bound})
    second = exp.eval({"x": bound})
    expected = {"a": {"a": {"x": 3}, "b": 2}, "b": {"a": [{"z": {"a": {"x": 3}, "b": 2}}],
                                                   "\u00e9": 1}, "x": [{"a": {"x": 3}, "b": 2}]}
    assert first == second == expected
    assert first is not second and first["b"] is not second["b"]
    assert list(first) == ["a", "b", "x"] and list(first["b"]) == ["a", "\u00e9"]
    assert list(first["a"]) == ["a", "b"]
    assert all(type(key) is str for key in first)


def test_leftover_text_is_reported_with_the_whole_rest():
    with pytest.raises(ValueError) as info:
        Exp("1 ) \u3000")
    assert str(info.value) == "error Eof at: ) \u3000"


def test_parse_failure_message():
    with pytest.raises(ValueError) as info:
        Exp("1)")
    assert str(info.value) == "error Eof at: )"
    assert info.value.args == ("error Eof at: )",)
    with pytest.raises(ValueError) as info:
        Exp("(1")
    assert str(info.value) == "error Char at: "
