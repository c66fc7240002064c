"""JSON values back into Python objects."""

import math
import struct

from tovrin import Exp

IDENTITY = Exp("x")


def roundtrip(value):
    return IDENTITY.eval({"x": value})


def test_containers_are_new_objects_of_the_plain_types():
    class Mapping(dict):
        pass

    class Items(list):
        pass

    inner = [1]
    value = {"list": inner, "sub": Mapping(a=Items([2]))}
    result = roundtrip(value)
    assert result == value
    assert result is not value
    assert result["list"] is not inner
    assert type(result["sub"]) is dict
    assert type(result["sub"]["a"]) is list


def test_singletons_come_back_as_themselves():
    assert roundtrip([None, True, False]) == [None, True, False]
    assert all(a is b for a, b in zip(roundtrip([None, True, False]), [None, True, False]))


def test_floats_keep_their_bits():
    for value in [-0.0, math.inf, -math.inf, 5e-324, 1.7976931348623157e308]:
        assert struct.pack("<d", roundtrip(value)) == struct.pack("<d", value)
    assert math.isnan(roundtrip(float("nan")))


def test_integer_extremes():
    assert roundtrip(-(2**63)) == -(2**63)
    assert roundtrip(2**63 - 1) == 2**63 - 1
    assert type(roundtrip(5)) is int


def test_text_survives_the_round_trip():
    text = "a\u0000b\u00e9\U0010ffff"
    assert roundtrip(text) == text
    assert roundtrip({text: text}) == {text: text}
