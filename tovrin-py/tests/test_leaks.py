"""Repeated calls must not leave Python objects or memory behind."""

import pytest

from leak_checks import memory_left_behind, objects_left_behind
from tovrin import Exp

BINDINGS = {
    "user": {"name": "Ada", "tags": ["a", "b"], "age": 36, "score": 1.5},
    "big": 2**64 - 1,
    "items": (1, [2, {"k": None}], b"xy"),
}


def failing_calls():
    exp = Exp("user.name")
    for bad in ({"user": {1, 2}}, {"user": [1, {3: 4}]}, [], {}):
        try:
            exp.eval(bad)
        except (TypeError, NameError):
            pass
    for text in ("1)", "(", 5):
        try:
            Exp(text)
        except (TypeError, ValueError):
            pass


def successful_calls():
    exp = Exp("user")
    exp.eval(BINDINGS)
    Exp("items").eval(BINDINGS)
    Exp("big").eval(bindings=BINDINGS)
    _ = exp == Exp("user")


@pytest.mark.parametrize("calls", [successful_calls, failing_calls])
def test_repeated_calls_leak_no_objects(calls):
    assert objects_left_behind(calls) <= 10


@pytest.mark.parametrize("calls", [successful_calls, failing_calls])
def test_repeated_calls_leak_no_memory(calls):
    # One object leaked per call would show as tens of kilobytes.
    assert memory_left_behind(calls) < 16 * 1024
