"""Repeated VarAccess calls must not leave Python objects or memory behind."""

import pytest

from leak_checks import memory_left_behind, objects_left_behind
from tovrin import VarAccess

VALUE = {"user": {"name": "Ada", "tags": ["a", "b"], "big": 2**64 - 1}, "items": (1, [2])}


def successful_calls():
    accessor = VarAccess("user.tags[1]")
    accessor.access(VALUE)
    accessor.replace(VALUE, {"new": [1, 2]})
    accessor.access_from_bindings(VALUE)
    VarAccess("user").access(VALUE)
    _ = hash(accessor), accessor == VarAccess("'user'.tags[1]")


def failing_calls():
    accessor = VarAccess("user.tags[5]")
    for call in (
        lambda: accessor.access(VALUE),
        lambda: accessor.replace(VALUE, 1),
        lambda: accessor.replace(VALUE, {1}),
        lambda: accessor.access_from_bindings({"user": 1, "other": {1}}),
        lambda: accessor.access_from_bindings({}),
        lambda: accessor.replace(),
        lambda: VarAccess("a "),
        lambda: VarAccess("1a"),
        lambda: VarAccess(5),
    ):
        try:
            call()
        except (TypeError, ValueError, NameError):
            pass


@pytest.mark.parametrize("calls", [successful_calls, failing_calls])
def test_repeated_calls_leak_no_objects(calls):
    assert objects_left_behind(calls) <= 10


@pytest.mark.parametrize("calls", [successful_calls, failing_calls])
def test_repeated_calls_leak_no_memory(calls):
    # One object leaked per call would show as tens of kilobytes.
    assert memory_left_behind(calls) < 16 * 1024
