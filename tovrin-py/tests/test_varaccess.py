"""The VarAccess class: compiling accessors, comparing them, and what the class allows."""

import inspect

import pytest

from tovrin import VarAccess

ACCESS_DOC = (
    "Access the variable specified by this `PyVarAccess` from the given JSON value.\n\n"
    "# Arguments\n\n"
    "- `value`: The JSON value from which to access the variable specified by this "
    "`PyVarAccess`.\n\n"
    "# Returns\n\n"
    "- A `PyJsonValue` representing the value accessed from the provided JSON value according "
    "to the variable access specified by this `PyVarAccess`.\n\n"
    "# Errors\n\n"
    "- If there is an error during the variable access (e.g., variable not found, type "
    "mismatch), a `ValueError` will be raised with a message describing the error."
)
REPLACE_DOC = (
    "Replace the variable specified by this `PyVarAccess` in the given JSON value with a new "
    "value.\n\n"
    "# Arguments\n\n"
    "- `value`: The JSON value in which to replace the variable specified by this "
    "`PyVarAccess`.\n"
    "- `replacement`: The new value to replace the variable with.\n\n"
    "# Returns\n\n"
    "The updated mapping after the replacement has been made, represented as a "
    "`PyJsonValue`.\n\n"
    "# Errors\n\n"
    "If the variable access failed, a `ValueError` will be raised with a message describing "
    "the error."
)
ACCESS_FROM_BINDINGS_DOC = (
    "Access the variable specified by this `PyVarAccess` from the given variable bindings.\n\n"
    "# Arguments\n\n"
    "- `bindings`: A mapping containing variable bindings, where keys are variable names and "
    "values are their corresponding JSON values.\n\n"
    "# Returns\n\n"
    "- A `PyJsonValue` representing the value accessed from the provided variable bindings "
    "according to the variable access specified by this `PyVarAccess`.\n\n"
    "# Errors\n\n"
    "- If there is an error during the variable access (e.g., variable not found, type "
    "mismatch), a `ValueError` will be raised with a message describing the error."
)


@pytest.mark.parametrize(
    "method, doc, text_signature, signature",
    [
        (VarAccess.access, ACCESS_DOC, "($self, value, /)", "(self, value, /)"),
        (
            VarAccess.replace,
            REPLACE_DOC,
            "($self, value, replacement, /)",
            "(self, value, replacement, /)",
        ),
        (
            VarAccess.access_from_bindings,
            ACCESS_FROM_BINDINGS_DOC,
            "($self, bindings, /)",
            "(self, bindings, /)",
        ),
    ],
)
def test_method_docs_and_signatures(method, doc, text_signature, signature):
    assert method.__doc__ == doc
    assert method.__text_signature__ == text_signature
    assert str(inspect.signature(method)) == signature


def test_class_doc_is_its_signature_only():
    assert VarAccess.__doc__ == ""
    assert VarAccess.__text_signature__ == "(accessor, /)"
    assert str(inspect.signature(VarAccess)) == "(accessor, /)"


def test_the_class_has_only_its_own_members():
    own = {name for name in vars(VarAccess) if name not in ("__doc__", "__module__")}
    assert own == {"__new__", "access", "replace", "access_from_bindings", "__eq__", "__ne__",
                   "__lt__", "__le__", "__gt__", "__ge__", "__hash__"}


def test_not_subclassable():
    with pytest.raises(TypeError):

        class Sub(VarAccess):
            pass


def test_instances_cannot_be_made_without_the_constructor():
    with pytest.raises(TypeError):
        object.__new__(VarAccess)


@pytest.mark.parametrize(
    "text, message",
    [
        # Nothing is trimmed: a blank, any whitespace at all, is left over.
        ("a ", "error Eof at:  "),
        ("a.b\n", "error Eof at: \n"),
        ("a\u3000", "error Eof at: \u3000"),
        ("a .b", "error Eof at:  .b"),
        ("a. b", "error Eof at: . b"),
        ("a.", "error Eof at: ."),
        ("a[0][1]", "error Eof at: [1]"),
        ("a[-1]", "error Eof at: [-1]"),
        ("a [0]", "error Eof at:  [0]"),
        ("a.r'x'", "error Eof at: 'x'"),
        ("a.true", "error Eof at: .true"),
        # Failures of the accessor itself carry what the parser carried.
        ("1a", "error Digit at: "),
        ("a.1b c", "error Digit at:  c"),
        ("", "error Char at: "),
        (" a", "error Char at:  a"),
        ("true", "error Char at: true"),
        ("[0]", "error Char at: [0]"),
        ("''", "error MapRes at: "),
        ("a[4294967296]", "error MapRes at: "),
    ],
)
def test_texts_that_are_not_exactly_one_accessor(text, message):
    with pytest.raises(ValueError) as info:
        VarAccess(text)
    assert type(info.value) is ValueError
    assert info.value.args == (message,)


@pytest.mark.parametrize(
    "text, value, expected",
    [
        # The blanks after `]` belong to the index.
        ("a[0] ", {"a": [7]}, 7),
        ("a[ 1 ]\t", {"a": [7, 8]}, 8),
        ("a[0] .b", {"a": [{"b": 3}]}, 3),
        ("'a b'.c", {"a b": {"c": 4}}, 4),
        ("a.'x.y'", {"a": {"x.y": 5}}, 5),
        ('a."q\\"r"', {"a": {'q"r': 6}}, 6),
    ],
)
def test_accepted_texts(text, value, expected):
    assert VarAccess(text).access(value) == expected


def test_the_largest_index_is_kept_in_full():
    with pytest.raises(NameError) as info:
        VarAccess("a[4294967295]").access({"a": []})
    assert str(info.value) == (
        "Index out of bounds: Index out of bounds at '<root>' (index: 4294967295, length: 0)"
    )


def test_str_subclass_is_accepted_and_lone_surrogates_fail_unchanged():
    class Text(str):
        pass

    assert VarAccess(Text("a")) == VarAccess("a")
    with pytest.raises(UnicodeEncodeError):
        VarAccess("a\ud800")


@pytest.mark.parametrize(
    "first, second",
    [
        ("a", "'a'"),
        ("a", '"a"'),
        ("a[0]", "a[ 0 ]"),
        ("a[0]", "a[0] "),
        ("a[7]", "a[007]"),
        ("a.b[1].c", "'a'.\"b\"[1].'c'"),
    ],
)
def test_equal_accessors_hash_equal(first, second):
    a, b = VarAccess(first), VarAccess(second)
    assert a == b
    assert not a != b
    assert hash(a) == hash(b)


@pytest.mark.parametrize(
    "first, second",
    [("a", "a[0]"), ("a[0]", "a[1]"), ("a.b", "a"), ("a.b", "b.a"), ("x.y", "'x.y'")],
)
def test_unequal_accessors(first, second):
    a, b = VarAccess(first), VarAccess(second)
    assert a != b
    assert not a == b


def test_comparison_with_other_types_and_ordering():
    assert (VarAccess("a") == "a") is False
    assert (VarAccess("a") != "a") is True
    for compare in (
        lambda x, y: x < y,
        lambda x, y: x <= y,
        lambda x, y: x > y,
        lambda x, y: x >= y,
    ):
        with pytest.raises(TypeError):
            compare(VarAccess("a"), VarAccess("b"))


def test_unsupported_comparisons_are_left_to_the_other_operand():
    a = VarAccess("a")
    assert a.__eq__("a") is NotImplemented
    assert a.__ne__(None) is NotImplemented
    assert a.__lt__(VarAccess("b")) is NotImplemented
    assert a.__ge__(VarAccess("a")) is NotImplemented


def test_usable_as_dict_key_and_set_member():
    table = {VarAccess("user.name"): 1, VarAccess("user.tags[0]"): 2}
    assert table[VarAccess("'user'.name")] == 1
    assert table[VarAccess("user.tags[ 0 ]")] == 2
    assert VarAccess("user") not in table
    members = {VarAccess("a"), VarAccess("'a'"), VarAccess("a[0]"), VarAccess("a[ 0 ]")}
    assert members == {VarAccess("a"), VarAccess("a[0]")}
