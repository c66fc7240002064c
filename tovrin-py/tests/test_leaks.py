"""Repeated calls must not leave Python objects or memory behind."""

import gc
import tracemalloc

import pytest

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
    for _ in range(50):
        calls()
    gc.collect()
    before = len(gc.get_objects())
    for _ in range(2000):
        calls()
    gc.collect()
    assert len(gc.get_objects()) - before <= 10


@pytest.mark.parametrize("calls", [successful_calls, failing_calls])
def test_repeated_calls_leak_no_memory(calls):
    for _ in range(50):
        calls()
    gc.collect()
    tracemalloc.start()
    try:
        for _ in range(200):
            calls()
        gc.collect()
        first, _ = tracemalloc.get_traced_memory()
        for _ in range(2000):
            calls()
        gc.collect()
        second, _ = tracemalloc.get_traced_memory()
    finally:
        tracemalloc.stop()
    # One object leaked per call would show as tens of kilobytes.
    assert second - first < 16 * 1024
