"""How Exp's constructor and eval take their arguments, and the messages when they do not fit."""

import pytest

from tovrin import Exp

NEW = "Exp.__new__()"
EVAL = "Exp.eval()"


@pytest.mark.parametrize(
    "args, kwargs, message",
    [
        ((), {}, f"{NEW} missing 1 required positional argument: 'exp'"),
        (
            (),
            {"exp": "1"},
            f"{NEW} got some positional-only arguments passed as keyword arguments: 'exp'",
        ),
        (
            ("1",),
            {"exp": "1"},
            f"{NEW} got some positional-only arguments passed as keyword arguments: 'exp'",
        ),
        (("1", "2"), {}, f"{NEW} takes 1 positional arguments but 2 were given"),
        (("1", "2", "3"), {"x": 1}, f"{NEW} takes 1 positional arguments but 3 were given"),
        (("1",), {"x": 1}, f"{NEW} got an unexpected keyword argument 'x'"),
        # Keywords are checked in the order given: the unknown one comes first here.
        ((), {"x": 1, "exp": "1"}, f"{NEW} got an unexpected keyword argument 'x'"),
        (
            (),
            {"exp": "1", "x": 1},
            f"{NEW} got an unexpected keyword argument 'x'",
        ),
        ((5,), {}, "argument 'exp': 'int' object is not an instance of 'str'"),
        ((None,), {}, "argument 'exp': 'None' is not an instance of 'str'"),
        ((b"1",), {}, "argument 'exp': 'bytes' object is not an instance of 'str'"),
    ],
)
def test_constructor_argument_errors(args, kwargs, message):
    with pytest.raises(TypeError) as info:
        Exp(*args, **kwargs)
    assert str(info.value) == message


@pytest.mark.parametrize(
    "args, kwargs, message",
    [
        ((), {}, f"{EVAL} missing 1 required positional argument: 'bindings'"),
        (({}, {}), {}, f"{EVAL} takes 1 positional arguments but 2 were given"),
        (({},), {"bindings": {}}, f"{EVAL} got multiple values for argument 'bindings'"),
        ((), {"binding": {}}, f"{EVAL} got an unexpected keyword argument 'binding'"),
        (([],), {}, "argument 'bindings': 'list' object is not an instance of 'dict'"),
        ((None,), {}, "argument 'bindings': 'None' is not an instance of 'dict'"),
        (({1: 2},), {}, "argument 'bindings': 'int' object is not an instance of 'str'"),
        (({None: 2},), {}, "argument 'bindings': 'None' is not an instance of 'str'"),
        (({"a": {1}},), {}, "argument 'bindings': Unsupported type for JSON value: set"),
    ],
)
def test_eval_argument_errors(args, kwargs, message):
    exp = Exp("1")
    with pytest.raises(TypeError) as info:
        exp.eval(*args, **kwargs)
    assert str(info.value) == message


def test_eval_takes_bindings_by_keyword():
    assert Exp("1").eval(bindings={}) == 1


def test_qualified_type_name_in_type_test_message():
    class Outer:
        class Inner:
            pass

    with pytest.raises(TypeError) as info:
        Exp(Outer.Inner())
    assert str(info.value) == (
        "argument 'exp': 'test_qualified_type_name_in_type_test_message.<locals>.Outer.Inner'"
        " object is not an instance of 'str'"
    )


def test_subclasses_of_str_and_dict_are_accepted():
    class Text(str):
        pass

    class Bindings(dict):
        pass

    assert Exp(Text("x")).eval(Bindings(x=3)) == 3


def test_mappings_other_than_dict_are_refused_as_bindings():
    import types

    with pytest.raises(TypeError) as info:
        Exp("1").eval(types.MappingProxyType({}))
    assert str(info.value) == (
        "argument 'bindings': 'mappingproxy' object is not an instance of 'dict'"
    )


def test_reworded_type_error_keeps_the_cause_of_the_original():
    root = KeyError("root cause")

    class Keys(dict):
        def keys(self):
            raise TypeError("no keys") from root

    with pytest.raises(TypeError) as info:
        Exp("1").eval({"a": Keys()})
    assert str(info.value) == "argument 'bindings': no keys"
    assert info.value.__cause__ is root


def test_errors_other_than_type_errors_pass_unchanged():
    class Keys(dict):
        def keys(self):
            raise LookupError("no keys")

    with pytest.raises(LookupError) as info:
        Exp("1").eval({"a": Keys()})
    assert type(info.value) is LookupError
    assert str(info.value) == "no keys"


def test_type_error_subclasses_are_not_reworded():
    class Special(TypeError):
        pass

    class Keys(dict):
        def keys(self):
            raise Special("no keys")

    with pytest.raises(Special) as info:
        Exp("1").eval({"a": Keys()})
    assert str(info.value) == "no keys"


def test_text_without_utf8_form_raises_the_encoding_error():
    with pytest.raises(UnicodeEncodeError):
        Exp("\ud800")
    with pytest.raises(UnicodeEncodeError):
        Exp("1").eval({"\udc00": 1})


def test_a_bindings_dict_changed_during_conversion_is_refused():
    bindings = {}

    class Growing:
        def __index__(self):
            bindings["later"] = 1
            return 1

    bindings["grows"] = Growing()
    with pytest.raises(RuntimeError, match="dictionary changed size during iteration"):
        Exp("1").eval(bindings)
