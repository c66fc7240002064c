"""Python objects into JSON values, observed through a variable that returns its binding.

Values pass the engine on the way back, so non-negative integers above 2**63 - 1 return as
floats and objects return with sorted keys.
"""

import collections.abc
import decimal
import enum
import math
import sys
import threading

import pytest

from tovrin import Exp

IDENTITY = Exp("x")


def roundtrip(value):
    return IDENTITY.eval({"x": value})


def conversion_error(value):
    with pytest.raises(Exception) as info:
        roundtrip(value)
    return info.value


class Index:
    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


class Floating:
    def __float__(self):
        return 2.5


class Color(enum.IntEnum):
    RED = 3


class Text(str):
    pass


@pytest.mark.parametrize(
    "value, expected",
    [
        (None, None),
        (True, True),
        (False, False),
        (0, 0),
        (1, 1),
        (-1, -1),
        (2**63 - 1, 2**63 - 1),
        (-(2**63), -(2**63)),
        (2**63, 9.223372036854776e18),
        (2**64 - 1, 1.8446744073709552e19),
        (2**64, 1.8446744073709552e19),
        (-(2**63) - 1, -9.223372036854776e18),
        (2**70, 1.1805916207174113e21),
        (1.0, 1.0),
        (-0.0, -0.0),
        (math.inf, math.inf),
        (Index(7), 7),
        (Index(-7), -7),
        (Floating(), 2.5),
        (Color.RED, 3),
        (decimal.Decimal("1.5"), 1.5),
        ("abc", "abc"),
        ("caf\u00e9 \U0001f600", "caf\u00e9 \U0001f600"),
        (Text("sub"), "sub"),
        ((1, 2), [1, 2]),
        (range(3), [0, 1, 2]),
        ([], []),
        (b"AB", [65, 66]),
        (bytearray(b"\x00\xff"), [0, 255]),
        ({"a": [1, {"b": None}]}, {"a": [1, {"b": None}]}),
        ({}, {}),
    ],
)
def test_values_convert(value, expected):
    result = roundtrip(value)
    assert result == expected
    assert type(result) is type(expected)
    if isinstance(expected, float):
        assert math.copysign(1.0, result) == math.copysign(1.0, expected)


def test_nan_converts_to_nan():
    assert math.isnan(roundtrip(math.nan))


def test_bool_is_not_taken_for_an_int():
    assert roundtrip([True, 1]) == [True, 1]
    assert [type(v) for v in roundtrip([True, 1])] == [bool, int]


@pytest.mark.parametrize(
    "value, message",
    [
        (10**400, "Unsupported type for JSON value: int"),
        (-(10**400), "Unsupported type for JSON value: int"),
        (1j, "Unsupported type for JSON value: complex"),
        ({1}, "Unsupported type for JSON value: set"),
        (object(), "Unsupported type for JSON value: object"),
        ((i for i in range(2)), "Unsupported type for JSON value: generator"),
        ("\ud800", "Unsupported type for JSON value: str"),
        ([1, {2}], "Unsupported type for JSON value: set"),
        ({"a": {"b": {2}}}, "Unsupported type for JSON value: set"),
        ({1: 2}, "'int' object is not an instance of 'str'"),
        ({"a": {None: 2}}, "'None' is not an instance of 'str'"),
    ],
)
def test_unconvertible_values(value, message):
    error = conversion_error(value)
    assert type(error) is TypeError
    assert str(error) == f"argument 'bindings': {message}"


def test_unsupported_type_shows_the_plain_name():
    class Outer:
        class Inner:
            pass

    assert str(conversion_error(Outer.Inner())).endswith(
        "Unsupported type for JSON value: Inner"
    )


def test_failed_tentative_attempts_leave_no_error_behind():
    class Awkward:
        def __index__(self):
            raise ZeroDivisionError("not an index")

        def __float__(self):
            return 0.5

    assert roundtrip([Awkward(), 1]) == [0.5, 1]


class Abort(BaseException):
    pass


def raising(exception):
    def method(*args):
        raise exception

    return method


class RaisingModule(type):
    @property
    def __module__(cls):
        raise KeyboardInterrupt


class ClassIsHidden:
    __class__ = property(raising(KeyboardInterrupt))


@pytest.mark.parametrize(
    "value, exception",
    [
        (type("I", (), {"__index__": raising(KeyboardInterrupt)})(), KeyboardInterrupt),
        (type("I", (), {"__index__": raising(SystemExit(3))})(), SystemExit),
        (type("I", (), {"__index__": raising(Abort)})(), Abort),
        (type("F", (), {"__float__": raising(MemoryError)})(), MemoryError),
        (type("L", (list,), {"__len__": raising(KeyboardInterrupt)})([1]), KeyboardInterrupt),
        (ClassIsHidden(), KeyboardInterrupt),
        (RaisingModule("M", (), {})(), KeyboardInterrupt),
    ],
    ids=["index", "exit", "base-exception", "memory", "len", "isinstance", "type-module"],
)
def test_interrupts_and_memory_errors_in_tentative_attempts_end_the_call(value, exception):
    converted_after = []

    class Later:
        def __index__(self):
            converted_after.append(self)
            return 1

    with pytest.raises(exception):
        roundtrip([value, Later()])
    assert converted_after == []
    assert roundtrip([1]) == [1]


def test_index_is_asked_again_for_negative_values():
    calls = []

    class Counting:
        def __index__(self):
            calls.append(1)
            return -5

    assert roundtrip(Counting()) == -5
    assert len(calls) == 2


class FakeNumpyBool:
    """Stands for numpy's boolean scalar, which is recognised by its type's module and name."""

    def __init__(self, truth):
        self.truth = truth

    def __bool__(self):
        return self.truth

    def __float__(self):
        raise AssertionError("a numpy boolean is taken before any number")


FakeNumpyBool.__module__ = "numpy"
FakeNumpyBool.__name__ = "bool_"


def test_numpy_booleans_by_module_and_name():
    assert roundtrip([FakeNumpyBool(True), FakeNumpyBool(False)]) == [True, False]


def test_numpy_scalars():
    numpy = pytest.importorskip("numpy")
    assert roundtrip([numpy.bool_(True), numpy.bool_(False)]) == [True, False]
    assert roundtrip([numpy.int64(-3), numpy.uint8(7), numpy.float32(0.5)]) == [-3, 7, 0.5]


class ReadOnlyMapping(collections.abc.Mapping):
    def __init__(self, data):
        self.data = data

    def __getitem__(self, key):
        return self.data[key]

    def __iter__(self):
        return iter(self.data)

    def __len__(self):
        return len(self.data)


class Pair(collections.abc.Sequence):
    def __getitem__(self, index):
        if index >= 2:
            raise IndexError(index)
        return index * 10

    def __len__(self):
        return 2


def test_abstract_sequences_and_mappings():
    assert roundtrip(Pair()) == [0, 10]
    assert roundtrip(ReadOnlyMapping({"b": 1, "a": Pair()})) == {"a": [0, 10], "b": 1}


def test_dict_subclass_is_read_through_its_keys_and_getitem():
    class Shown(dict):
        def keys(self):
            return ["shown", "again"]

        def __getitem__(self, key):
            return key.upper()

    assert roundtrip(Shown(hidden=1)) == {"again": "AGAIN", "shown": "SHOWN"}


def test_duplicate_keys_from_keys_keep_the_last_value():
    class Twice(dict):
        calls = 0

        def keys(self):
            return ["k", "k"]

        def __getitem__(self, key):
            Twice.calls += 1
            return Twice.calls

    assert roundtrip(Twice()) == {"k": 2}


def test_missing_item_of_a_mapping_fails_with_its_error():
    class Liar(dict):
        def keys(self):
            return ["absent"]

    with pytest.raises(KeyError):
        roundtrip(Liar())


def test_sequence_whose_iterator_raises_midway():
    class Breaking(list):
        def __iter__(self):
            yield 1
            raise ValueError("broken midway")

    with pytest.raises(ValueError, match="^broken midway$"):
        roundtrip(Breaking())


def test_sequence_whose_len_raises_or_lies():
    class NoLength(list):
        def __len__(self):
            raise RuntimeError("no length")

    class HugeLength(list):
        def __len__(self):
            return sys.maxsize

    assert roundtrip(NoLength([1, 2])) == [1, 2]
    assert roundtrip(HugeLength([1, 2, 3])) == [1, 2, 3]


def test_a_tuple_subclass_is_read_through_its_iterator():
    class Reversed(tuple):
        def __iter__(self):
            return reversed(tuple(super().__iter__()))

    assert roundtrip(Reversed((1, 2, 3))) == [3, 2, 1]


def test_a_list_changed_while_its_items_convert_is_read_safely():
    items = []

    class Shrinking:
        def __index__(self):
            items.clear()
            return 1

    items.extend([Shrinking(), 2, 3])
    assert roundtrip(items) == [1]


def debug_form(value):
    """The converted value's debug form, which keeps the entries in their converted order."""
    with pytest.raises(NameError) as info:
        Exp("x[0]").eval({"x": value})
    return str(info.value).split("found ", 1)[1]


class Meddling:
    """Runs `change` when its value is taken, then converts to 0."""

    def __init__(self, change):
        self.change = change

    def __index__(self):
        self.change()
        return 0


def test_a_dict_changed_while_its_values_convert_is_read_by_its_keys_at_the_start():
    data = {"a": 1, "m": None, "b": 2, "c": 3}
    data["m"] = Meddling(lambda: (data.update(b="new", z=9), data.pop("a")))
    # "a" was read before the change; "b" is read as it is now; "z" came later.
    assert debug_form(data) == 'Object({"a": UInt(1), "m": UInt(0), "b": String("new"), "c": UInt(3)})'

    data = {"m": None, "gone": 1}
    data["m"] = Meddling(lambda: data.pop("gone"))
    with pytest.raises(KeyError, match="gone"):
        roundtrip(data)


def test_changes_below_reach_the_dicts_above():
    outer = {"first": {"inner": None}, "later": 1, "last": 2}
    outer["first"]["inner"] = Meddling(lambda: (outer.pop("later"), outer.update(last="changed")))
    with pytest.raises(KeyError, match="later"):
        roundtrip(outer)

    outer = {"first": [{"inner": None}], "last": 2}
    outer["first"][0]["inner"] = Meddling(lambda: outer.update(last="changed", extra=1))
    assert roundtrip(outer) == {"first": [{"inner": 0}], "last": "changed"}


class Key(str):
    """A str key that is never the same dict key as a plain str of the same text."""

    looked_up = 0

    def __hash__(self):
        Key.looked_up += 1
        return 1

    def __eq__(self, other):
        return type(other) is Key and str.__eq__(self, other)


def test_str_subclass_keys_of_a_dict_are_looked_up():
    data = {"a": 1, Key("a"): 2, "b": 3}
    Key.looked_up = 0
    # The same text twice: the later value in the first place.
    assert debug_form(data) == 'Object({"a": UInt(2), "b": UInt(3)})'
    assert Key.looked_up == 1


@pytest.mark.parametrize("padding", [0, 20])
def test_the_later_of_two_bindings_with_one_text_wins(padding):
    bindings = {f"pad{i}": i for i in range(padding)}
    bindings.update({Key("a"): "subclass key", "a": "plain key", Key("b"): 1})
    bindings["b"] = 2
    assert Exp("[a, b]").eval(bindings) == ["plain key", 2]
    reverse = {"a": "plain key", Key("a"): "subclass key"}
    assert Exp("a").eval(reverse) == "subclass key"


def test_isinstance_errors_go_to_the_unraisable_hook(monkeypatch):
    class Shifty:
        @property
        def __class__(self):
            raise RuntimeError("no class today")

    seen = []
    monkeypatch.setattr(sys, "unraisablehook", lambda info: seen.append(info))
    error = conversion_error(Shifty())
    assert str(error) == "argument 'bindings': Unsupported type for JSON value: Shifty"
    assert [type(info.exc_value) for info in seen] == [RuntimeError, RuntimeError]
    assert all(type(info.object) is Shifty for info in seen)


@pytest.mark.parametrize(
    "make",
    [
        lambda: (lambda a: (a.append(a), a)[1])([]),
        lambda: (lambda d: (d.__setitem__("self", d), d)[1])({}),
        lambda: (lambda a: (a.append({"inner": [a]}), a)[1])([1]),
    ],
    ids=["list", "dict", "through-other-containers"],
)
def test_self_containing_containers_are_refused(make):
    with pytest.raises(ValueError, match="^Circular reference detected$"):
        roundtrip(make())


def test_shared_containers_are_not_cycles():
    shared = [1]
    assert roundtrip([shared, shared, {"a": shared}]) == [[1], [1], {"a": [1]}]


def nested_lists(depth):
    value = []
    for _ in range(depth):
        value = [value]
    return value


def test_moderate_nesting_converts():
    value = nested_lists(200)
    result = roundtrip(value)
    for _ in range(200):
        result = result[0]
    assert result == []


def test_nesting_beyond_the_recursion_limit_raises_recursion_error():
    with pytest.raises(RecursionError):
        roundtrip(nested_lists(100_000))


def test_nesting_is_bounded_even_with_a_raised_recursion_limit():
    limit = sys.getrecursionlimit()
    sys.setrecursionlimit(1_000_000)
    try:
        with pytest.raises(RecursionError):
            roundtrip(nested_lists(10_001))
        assert roundtrip(nested_lists(9_000)) is not None
    finally:
        sys.setrecursionlimit(limit)


def in_thread_with_stack(kib, work):
    """What `work` returns or raises in a new thread whose stack is `kib` KiB."""
    outcome = {}

    def run():
        try:
            outcome["value"] = work()
        except BaseException as error:
            outcome["error"] = error

    previous = threading.stack_size(kib * 1024)
    try:
        thread = threading.Thread(target=run)
        thread.start()
    finally:
        threading.stack_size(previous)
    thread.join()
    return outcome


class Bindings(dict):
    """Bindings that are converted rather than read in place."""


@pytest.mark.parametrize("make", [lambda v: [v], lambda v: {"k": v}], ids=["lists", "dicts"])
def test_nesting_is_bounded_by_the_stack_of_a_small_thread(make):
    # 256 KiB holds fewer levels than the default recursion limit allows: the conversion stops
    # with RecursionError before the stack runs out, and the thread goes on.
    deep = 1
    for _ in range(sys.getrecursionlimit() - 20):
        deep = make(deep)
    outcome = in_thread_with_stack(256, lambda: IDENTITY.eval(Bindings(x=deep)))
    assert isinstance(outcome.get("error"), RecursionError) or outcome.get("value") == deep
    shallow = make(make(1))
    assert in_thread_with_stack(256, lambda: IDENTITY.eval(Bindings(x=shallow))) == {
        "value": shallow
    }
