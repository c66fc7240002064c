"""Bindings read in place give exactly what converted bindings give.

Bindings made of exact built-ins are read in place; anything else is converted first. Every call
here runs twice: once as given, and once with the same items in a dict subclass (a value argument
wrapped the same way), which is never read in place, so that the call converts every value
before it reads any. Both must return equal results (types, values and key order alike) or raise
the same exception class with the same message.
"""

import decimal
import enum
import gc
import math
import random
import signal
import sys

import pytest

from child_interpreter import run_with_debug_allocator
from tovrin import Exp, VarAccess


class Converted(dict):
    pass


class ConvertedList(list):
    pass


class ConvertedTuple(tuple):
    pass


def converted(value):
    """The same value, which the in-place reading refuses at its outermost level."""
    if type(value) is dict:
        return Converted(value)
    if type(value) is list:
        return ConvertedList(value)
    if type(value) is tuple:
        return ConvertedTuple(value)
    return value


def canonical(value):
    """The value with every type and every float's bits spelled out, dict order included."""
    kind = type(value)
    if kind is float:
        return ("float", "nan" if math.isnan(value) else value.hex())
    if kind is list:
        return ("list", [canonical(item) for item in value])
    if kind is dict:
        return ("dict", [(key, canonical(item)) for key, item in value.items()])
    return (kind.__name__, value)


def outcome(call):
    try:
        return ("value", canonical(call()))
    except Exception as error:  # the exception itself is what is compared
        return ("raised", type(error), str(error))


def expect_same(call, argument, case):
    in_place = outcome(lambda: call(argument))
    converting = outcome(lambda: call(converted(argument)))
    assert in_place == converting, case


# Values that the conversion accepts or refuses for every reason it has.
class Text(str):
    pass


class Number(int):
    pass


class Color(enum.IntEnum):
    RED = 3


class Index:
    def __index__(self):
        return 5


class Floating:
    def __float__(self):
        return 2.5


SCALARS = [
    None, True, False, 0, 1, -1, 7, 300, 2**31, 2**62, 2**63 - 1, -(2**63), 2**63, 2**64 - 1,
    2**64, -(2**63) - 1, 0.0, -0.0, 1.5, -2.25, math.nan, math.inf, "", "a", "A", "eu", "Alice",
    "a,b,c", "é", "日本", "\U0001f600", "x" * 40,
]
REFUSED_SCALARS = [10**400, "\ud800"]


def odd_value(rng):
    makers = [
        lambda: Text("sub"), lambda: Number(4), lambda: Color.RED, Index, Floating,
        lambda: decimal.Decimal("1.5"), lambda: {1, 2}, object, lambda: 1j, lambda: b"ab",
        lambda: range(3), lambda: {1: "a"}, lambda: {None: 1}, lambda: {Text("k"): 1},
    ]
    try:
        import numpy

        makers += [lambda: numpy.bool_(True), lambda: numpy.int64(-5), lambda: numpy.float64(0.5)]
    except ImportError:
        pass
    return rng.choice(makers)()


KEYS = ["a", "b", "c", "k k", "é", "name", "tags"]
NAMES = ["a", "b", "c", "user", "tags", "x"]


def random_value(rng, depth=0):
    roll = rng.random()
    if roll < 0.02:
        return odd_value(rng)
    if roll < 0.025:
        return rng.choice(REFUSED_SCALARS)
    if roll < 0.03:
        return self_containing(rng)
    if depth >= 4 or roll < 0.5:
        return rng.choice(SCALARS)
    if roll < 0.72:
        items = [random_value(rng, depth + 1) for _ in range(rng.randrange(4))]
        return tuple(items) if rng.random() < 0.2 else items
    return {rng.choice(KEYS): random_value(rng, depth + 1) for _ in range(rng.randrange(4))}


def self_containing(rng):
    if rng.random() < 0.5:
        items = [1]
        items.append(items)
        return items
    mapping = {"a": 1}
    mapping["b"] = [mapping]
    return mapping


def random_bindings(rng):
    bindings = {name: random_value(rng) for name in rng.sample(NAMES, rng.randrange(len(NAMES)))}
    if rng.random() < 0.03:
        bindings[rng.choice([1, Text("a")])] = 1
    return bindings


def segment(key):
    return key if key.isidentifier() and key.isascii() else "'" + key + "'"


def random_path(rng, bindings):
    """Accessor text along keys and indexes that mostly exist."""
    if not bindings or rng.random() < 0.1:
        return rng.choice(NAMES)
    name = rng.choice(list(bindings))
    if not isinstance(name, str) or not name.isidentifier():
        return "a"
    text, value = name, bindings[name]
    for _ in range(3):
        # One index may follow each name.
        if type(value) in (list, tuple) and value and rng.random() < 0.7:
            index = rng.randrange(len(value) + 1)
            text += f"[{index}]"
            if index == len(value):
                break
            value = value[index]
        if type(value) is dict and rng.random() < 0.7:
            keys = [key for key in value if type(key) is str] + ["zz"]
            key = rng.choice(keys)
            text += "." + segment(key)
            if key not in value:
                break
            value = value[key]
        else:
            break
    return text


LITERALS = ["1", "0", "-3", "2.5", "'a'", "'eu'", "''", "true", "null", "[]", "{}", "[1, 'a']"]
FORMS = [
    "{} == {}", "{} != {}", "{} < {}", "{} >= {}", "{} && {}", "{} || {}", "!{}", "len({})",
    "string({})", "int({})", "float({})", "bool({})", "startsWith({}, {})", "contains({}, {})",
    "join({}, ', ')", "split({}, ',')", "[{}, {}]", "{{'k': {}, 'j': {}}}",
    "format('{{}}|{{}}', {}, {})", "matches({}, 'a')", "nosuch({})", "base64Encode({})",
    "replace({}, 'a', {})",
]


def random_expression(rng, bindings, depth=0):
    if depth >= 3 or rng.random() < 0.35:
        return random_path(rng, bindings) if rng.random() < 0.75 else rng.choice(LITERALS)
    form = rng.choice(FORMS)
    operands = [random_expression(rng, bindings, depth + 1) for _ in range(form.count("{}"))]
    return "(" + form.format(*operands) + ")"


def test_random_bindings_and_expressions():
    rng = random.Random(20261210)
    for case in range(1500):
        bindings = random_bindings(rng)
        text = random_expression(rng, bindings)
        expression = Exp(text)
        expect_same(expression.eval, bindings, (case, text, bindings))
        accessor = VarAccess(random_path(rng, bindings))
        expect_same(accessor.access_from_bindings, bindings, (case, accessor, bindings))
        expect_same(accessor.access, bindings, (case, accessor, bindings))


@pytest.mark.parametrize(
    "text, bindings",
    [
        # Integers above 2**63 - 1 are unsigned to the conversion: floats once read, named UInt.
        ("x", {"x": 2**63}),
        ("x == 9223372036854775808.0", {"x": 2**63}),
        ("x[0]", {"x": 2**64 - 1}),
        ("x[0]", {"x": -1}),
        ("x[0]", {"x": 1.0}),
        ("int(x)", {"x": [2**63, "é", None]}),
        # Debug forms list object entries in the order of the dict.
        ("x[0]", {"x": {"b": 1, "a": [-2, 2.5]}}),
        ("x.a[1]", {"x": {"a": ("s",)}}),
        ("x.c", {"x": {"a": 1}}),
        ("x[3]", {"x": [1, 2]}),
        ("y", {"x": 1}),
        # A failure in one binding comes first, whatever the expression reads.
        ("x", {"x": 1, "y": {1, 2}}),
        ("x", {"x": 1, "y": "\ud800"}),
        ("x", {"x": 1, "y": 10**400}),
        ("x", {"x": 1, "y": {"k": [{3: 1}]}}),
        ("x", {"x": 1, "y": {"k": Text("s")}}),
        # Results: sorted objects, lists for tuples, owned copies of bound strings.
        ("{'t': x, 'u': [x, y]}", {"x": ("é" * 30, 2**64 - 1), "y": {"b": 1, "a": "s" * 30}}),
        ("x", {"x": {"b": {"d": 1, "c": 2}, "a": 0}}),
    ],
)
def test_cases_where_the_conversion_has_its_say(text, bindings):
    expect_same(Exp(text).eval, bindings, text)
    accessor = VarAccess(text) if "(" not in text and "{" not in text and "=" not in text else None
    if accessor is not None:
        expect_same(accessor.access_from_bindings, bindings, text)
        expect_same(accessor.access, bindings, text)


def nested_lists(depth):
    value = []
    for _ in range(depth):
        value = [value]
    return value


def nested_dicts(depth):
    value = {}
    for _ in range(depth):
        value = {"k": value}
    return value


def room_for_nesting():
    """How many levels a conversion started from a function called here could enter."""
    depth = 0
    frame = sys._getframe()
    while frame is not None:
        depth += 1
        frame = frame.f_back
    return sys.getrecursionlimit() - depth


def test_nesting_around_the_recursion_limit():
    identity = Exp("x")
    room = room_for_nesting()
    for depth in range(max(room - 25, 1), room + 25):
        expect_same(identity.eval, {"x": nested_lists(depth)}, depth)


def test_nesting_around_the_depth_bound_with_a_raised_recursion_limit():
    limit = sys.getrecursionlimit()
    sys.setrecursionlimit(1_000_000)
    try:
        # Deep enough to exhaust an 8 MiB stack in a Debug build if any step followed the
        # nesting with calls the way the conversion itself does.
        for nested in (nested_lists, nested_dicts):
            for depth in (9_998, 9_999, 10_000):
                value = nested(depth)
                expect_same(Exp("x").eval, {"x": value}, depth)
                expect_same(Exp("x == [x]").eval, {"x": value}, depth)
                expect_same(VarAccess("x").access_from_bindings, {"x": value}, depth)
    finally:
        sys.setrecursionlimit(limit)


def test_the_same_container_twice_is_no_cycle():
    shared = {"a": [1, "s"]}
    bindings = {"x": [shared, shared], "y": shared}
    expect_same(Exp("[x, y.a[1]]").eval, bindings, "shared")


@pytest.mark.parametrize("count", [4, 5, 40])
def test_expressions_with_many_accessors(count):
    """Every accessor of an expression finds its own keys, however many the expression has."""
    names = [f"v{i}" for i in range(count)]
    bindings = {name: {"k": [i, str(i)]} for i, name in enumerate(names)}
    paths = [f"{name}.k[{i % 2}]" for i, name in enumerate(names)]
    text = "[" + ", ".join(paths + paths[::-1]) + "]"
    expected = [i if i % 2 == 0 else str(i) for i in range(count)]
    assert Exp(text).eval(bindings) == expected + expected[::-1]
    expect_same(Exp(text).eval, bindings, text)
    expect_same(Exp(text.replace(paths[-1], "nosuch.k[0]")).eval, bindings, text)


def test_many_bindings_beyond_one_budget():
    bindings = {f"v{i}": i if i % 3 else f"text {i}" for i in range(100_000)}
    expect_same(Exp("v99998 == v3").eval, bindings, "many")
    expect_same(Exp("[v5, v99999]").eval, bindings, "many")


def test_calls_read_in_place_keep_no_reference_to_what_they_read():
    text = "".join(["some ", "text"])
    number = 2**64 - 1
    tags = ["a", text]
    user = {"name": text, "tags": tags, "big": number, "ratio": 1.5}
    bindings = {"user": user, "text": text, "pair": (tags, user)}
    held = [text, number, tags, user]
    before = [sys.getrefcount(value) for value in held]
    calls = [
        lambda: Exp("[user, text, pair, {'t': user.tags}]").eval(bindings),
        lambda: Exp("user.name == text && user.ratio > 1.0").eval(bindings),
        lambda: Exp("user.nosuch").eval(bindings),
        lambda: VarAccess("user.tags").access(user | {"user": user}),
        lambda: VarAccess("user").access_from_bindings(bindings),
        lambda: VarAccess("pair[1]").access_from_bindings(bindings),
    ]
    for _ in range(100):
        for call in calls:
            try:
                call()
            except NameError:
                pass
    assert [sys.getrefcount(value) for value in held] == before


def test_a_signal_handler_that_changes_the_bindings_of_a_long_evaluation():
    """No handler runs while bindings are read in place; the call then converts the bindings as
    they are, before or after the handler changed them."""
    text = r"matches(t, '.{1000}\\bZ') && n == 1"
    for delay in (0.0005, 0.002, 0.01):
        bindings = {"t": "".join(["\u00e9" * 20_000, " Z"]), "n": 1}
        before = Converted(bindings)

        def rebind(signum, frame):
            bindings["t"] = None
            del bindings["n"]

        previous = signal.signal(signal.SIGALRM, rebind)
        signal.setitimer(signal.ITIMER_REAL, delay)
        try:
            result = outcome(lambda: Exp(text).eval(bindings))
        finally:
            signal.setitimer(signal.ITIMER_REAL, 0)
            signal.signal(signal.SIGALRM, previous)
        after = outcome(lambda: Exp(text).eval(Converted(bindings)))
        assert result in (outcome(lambda: Exp(text).eval(before)), after)


@pytest.mark.parametrize("enabled", [True, False])
def test_making_a_result_leaves_the_collector_as_it_was(enabled):
    """The collector pauses while a result read in place is made, and only then."""
    was_enabled = gc.isenabled()
    try:
        gc.enable() if enabled else gc.disable()
        assert Exp("[x, {'k': x}]").eval({"x": ["a", 1]}) == [["a", 1], {"k": ["a", 1]}]
        assert gc.isenabled() is enabled
        with pytest.raises(NameError):
            Exp("[x, y]").eval({"x": 1})
        assert gc.isenabled() is enabled
    finally:
        gc.enable() if was_enabled else gc.disable()


def test_finalizers_run_while_a_result_is_made_see_no_freed_text():
    """Making a result's lists can collect garbage; a finalizer may then replace the strings
    the result was read from. The result must hold what was read, not freed memory."""
    child = run_with_debug_allocator(
        """
        import gc
        from tovrin import Exp

        def fresh_tags():
            # New str objects, held by nothing but the list they are put in.
            return [f"tag number {i}{' ' * 30}" for i in range(50)]

        bindings = {"tags": fresh_tags()}
        expected = [fresh_tags() for _ in range(3)]

        class Replacer:
            def __del__(self):
                bindings["tags"][:] = ["x" * 40 for _ in range(50)]

        def make_garbage():
            item = Replacer()
            item.cycle = item

        # Bound once: calling it makes no object that could start a collection before the call.
        evaluate = Exp("[tags, tags, tags]").eval
        gc.set_threshold(1)
        for _ in range(200):
            bindings["tags"][:] = fresh_tags()
            make_garbage()
            assert evaluate(bindings) == expected
        print("ok")
        """
    )
    assert child.returncode == 0 and child.stdout == "ok\n", child.stdout + child.stderr
