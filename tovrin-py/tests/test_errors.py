"""Every kind of failure reaches Python as its own exception type and message."""

import pytest

from tovrin import Exp


@pytest.mark.parametrize(
    "text, bindings, exception, message",
    [
        ("x", {}, NameError, "Variable not found: x"),
        ("x.y", {"x": {"z": 1}}, NameError, "Object 'x' does not contain key 'y'"),
        (
            "x[2]",
            {"x": [1, 2]},
            NameError,
            "Index out of bounds: Index out of bounds at 'x[2]' (index: 2, length: 2)",
        ),
        (
            "x[0]",
            {"x": "s"},
            NameError,
            "Type error: Expected array at 'x[0]', found String(\"s\")",
        ),
        ("foo(1)", {}, NameError, "Undefined function: foo"),
        ("len(1, 2)", {}, ValueError, "Expected 1 arguments, got 2"),
        ("1 < 'a'", {}, TypeError, "Cannot compare values of different types: int and string"),
        ("len(len(len(1, 2)))", {}, ValueError, "Expected 1 arguments, got 2"),
        ("len(string(foo()))", {}, NameError, "Undefined function: foo"),
        # A float halfway between two shortest forms shows the one farther from zero.
        (
            "int([x])",
            {"x": 1125899906842624.25},
            TypeError,
            "Expected a value that can be converted to 'i64', "
            "got 'Array([Float(1125899906842624.3)])'",
        ),
    ],
)
def test_error_table(text, bindings, exception, message):
    with pytest.raises(Exception) as info:
        Exp(text).eval(bindings)
    assert type(info.value) is exception
    assert str(info.value) == message
    assert info.value.args == (message,)


def test_a_pattern_that_does_not_compile_is_a_value_error():
    with pytest.raises(ValueError) as info:
        Exp("matches('a', '(')").eval({})
    assert type(info.value) is ValueError
    assert str(info.value).startswith("Invalid regex pattern: '")


# A pattern whose language is a small set of literal strings is searched for those strings, so
# a part of it that can never match does not count against the compile size limit.
@pytest.mark.parametrize(
    "pattern, text, expected",
    [
        ("[a&&b]\\w{1000}|b", "b", True),
        ("b(?:[^\\s\\S]\\w{1000})?", "b", True),
        ("(?:[a&&b]\\w{1000}|b)c", "bc", True),
        ("(?:[a&&b]\\w{1000}|b)c", "b", False),
        ("([a&&b]\\w{1000})|b", "b", None),
        ("^(?:[a&&b]\\w{1000}|b)", "b", None),
        ("[a&&b]\\w{1000}", "b", None),
    ],
)
def test_the_size_limit_where_a_literal_search_answers(pattern, text, expected):
    call = Exp("matches(text, pattern)")
    bindings = {"text": text, "pattern": pattern}
    if expected is not None:
        assert call.eval(bindings) is expected
        return
    with pytest.raises(ValueError) as info:
        call.eval(bindings)
    assert str(info.value) == (
        "Invalid regex pattern: 'Compiled regex exceeds size limit of 10485760 bytes.'"
    )


def test_a_failed_call_is_reported_as_its_inner_error_only():
    with pytest.raises(TypeError) as info:
        Exp("startsWith(1, 'a')").eval({})
    assert "startsWith" not in str(info.value)
    assert not str(info.value).startswith("Type Error: ")


@pytest.mark.parametrize(
    "text, message",
    [
        ("1)", "error Eof at: )"),
        ("1 +", "error Eof at: +"),
        ("(1", "error Char at: "),
        ("", "error Char at: "),
        ("1 == 2 == 3", "error Count at: "),
        ("a ||", "error Char at: "),
    ],
)
def test_parse_failures(text, message):
    with pytest.raises(ValueError) as info:
        Exp(text)
    assert type(info.value) is ValueError
    assert str(info.value) == message


def test_text_nested_too_deeply_is_a_parse_failure():
    deepest = "[" * 256 + "]" * 256
    result = Exp(deepest).eval({})
    for _ in range(255):
        result = result[0]
    assert result == []
    with pytest.raises(ValueError) as info:
        Exp("[" + deepest + "]")
    assert str(info.value).startswith("error TooLarge at: [")
