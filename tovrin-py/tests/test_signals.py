"""Signals reach their handlers while a call runs, and a handler's exception ends the call.

Every call below would run for many seconds if nothing stopped it (sized so that even then it
ends, within a few GB of memory). A timer signal arrives shortly after the call starts; its
handler's exception must come out of the call within a generous bound (the sanitizer build runs
several times slower), and the module must stay usable afterwards.
"""

import contextlib
import random
import signal
import sys
import time

import pytest

from tovrin import Exp, VarAccess

DELAY = 0.05  # seconds from the start of a call to its signal
BOUND = 1.0  # seconds from the signal to the exception leaving the call


class Alarm(Exception):
    pass


def raise_alarm(signum, frame):
    raise Alarm()


@contextlib.contextmanager
def signal_after(delay, handler):
    previous = signal.signal(signal.SIGALRM, handler)
    signal.setitimer(signal.ITIMER_REAL, delay)
    try:
        yield time.perf_counter() + delay
    finally:
        signal.setitimer(signal.ITIMER_REAL, 0)
        signal.signal(signal.SIGALRM, previous)


def shared_levels(levels, leaf=1):
    """A list of two references to one list, `levels` deep: few objects, 2**levels leaves."""
    value = leaf
    for _ in range(levels):
        value = [value, value]
    return value


def random_letters(count):
    table = bytes(ord("a") + byte % 20 for byte in range(256))
    return random.Random(1).randbytes(count).translate(table).decode()


def endless_calls():
    """Calls that a signal must cut short, by what runs long in each. Their inputs are made
    here, so that the signal arrives while the call itself runs."""
    expanding = shared_levels(24)
    huge_text = "[" + "1, " * 10_000_000 + "1]"
    chain = Exp("x" + " && x" * 10_000)
    numbers = list(range(100_000))
    non_ascii = "\u00e9" * 200_000 + "Z"
    letters = random_letters(1_000_000)
    return {
        "converting the bindings": lambda: Exp("1").eval({"x": expanding}),
        "converting a value to access": lambda: VarAccess("x").access({"x": expanding}),
        "converting a replacement": lambda: VarAccess("a").replace({"a": 1}, expanding),
        "converting bindings to access": lambda: VarAccess("x").access_from_bindings(
            {"x": expanding}
        ),
        "parsing an expression": lambda: Exp(huge_text),
        "evaluating": lambda: chain.eval({"x": numbers}),
        "matching on the own matcher": lambda: Exp(r"matches(t, '.{10000}\\bZ')").eval(
            {"t": non_ascii}
        ),
        "matching with RE2 in windows": lambda: Exp(r"matches(t, '[a-q][^u-z]{100}x')").eval(
            {"t": letters}
        ),
    }


CALLS = endless_calls()


@pytest.mark.parametrize("call", CALLS.values(), ids=CALLS)
def test_a_signal_handler_exception_ends_the_call(call):
    with signal_after(DELAY, raise_alarm) as signalled:
        with pytest.raises(Alarm) as raised:
            call()
        ended = time.perf_counter()
    assert ended - signalled < BOUND
    # Raised by the handler, run from inside the call.
    assert raised.traceback[-1].name == "raise_alarm"
    assert Exp("len(x)").eval({"x": [1, 2, 3]}) == 3


def test_ctrl_c_raises_keyboard_interrupt_out_of_the_call():
    with signal_after(DELAY, signal.default_int_handler) as signalled:
        with pytest.raises(KeyboardInterrupt):
            CALLS["converting the bindings"]()
        assert time.perf_counter() - signalled < BOUND


def test_handlers_that_return_let_the_call_go_on():
    handled = []

    def note(signum, frame):
        handled.append(time.perf_counter())
        signal.setitimer(signal.ITIMER_REAL, 0.01)

    text = "\u00e9" * 20_000 + " Z"
    with signal_after(0.01, note):
        started = time.perf_counter()
        assert Exp(r"matches(t, '.{1000}\\bZ')").eval({"t": text}) is True
        finished = time.perf_counter()
    # Run again and again while the call went on, not once after it.
    assert sum(started < at < finished for at in handled) >= 2


def test_an_interrupted_conversion_keeps_no_reference():
    leaf = "".join(["le", "af"])
    before = sys.getrefcount(leaf)
    for _ in range(3):
        with signal_after(DELAY, raise_alarm):
            with pytest.raises(Alarm):
                VarAccess("x").access({"x": shared_levels(24, leaf)})
    assert sys.getrefcount(leaf) == before


def test_a_handler_that_changes_a_dict_being_read_is_caught():
    row = [0] * 20
    table = {str(i): row for i in range(200_000)}

    def grow(signum, frame):
        table["new"] = row

    with signal_after(0.01, grow):
        with pytest.raises(RuntimeError, match="^dictionary changed size during iteration$"):
            Exp("1").eval({"table": table})
