"""Objects whose own code changes what is being converted, while it is converted.

A mapping is read through the keys as they were listed when the read began, whatever its code
does to that list or to the keys meanwhile. The crash variants run in a child interpreter with
PYTHONMALLOC=debug, where reading freed memory shows as garbage or a crash.
"""

import textwrap

import pytest

from child_interpreter import run_with_debug_allocator
from tovrin import Exp, VarAccess

CHANGED_KEYS_LISTS = {
    "a value's __index__ empties the list that keys() returned": (
        """
        shared = ["a", "b", "c"]
        class D(dict):
            def keys(self):
                return shared
        class V:
            def __index__(self):
                shared.clear()
                return 1
        print(VarAccess("x").access({"x": D(a=V(), b=1, c=2)}))
        shared[:] = ["a", "b", "c"]
        print(Exp("x").eval({"x": D(a=V(), b=1, c=2)}))
        """,
        "{'a': 1, 'b': 1, 'c': 2}\n{'a': 1, 'b': 1, 'c': 2}\n",
    ),
    "the mapping's __getitem__ empties its own keys list": (
        """
        class D(dict):
            def __init__(self, **items):
                super().__init__(**items)
                self.listed = list(items)
            def keys(self):
                return self.listed
            def __getitem__(self, key):
                self.listed.clear()
                return super().__getitem__(key)
        print(VarAccess("x").access({"x": D(a=1, b=2, c=3)}))
        """,
        "{'a': 1, 'b': 2, 'c': 3}\n",
    ),
    "a value drops keys that only the list holds": (
        """
        # Made at run time, so that the list holds the only references to these key objects.
        shared = ["a", "".join(["b", "b", "x"]), "".join(["c", "c"])]
        class D(dict):
            def keys(self):
                return shared
        class V:
            def __index__(self):
                del shared[1:]
                return 1
        print(VarAccess("x").access({"x": D(a=V(), bbx=5, cc=2)}))
        """,
        "{'a': 1, 'bbx': 5, 'cc': 2}\n",
    ),
    "a str-subclass key's __hash__ drops the list's reference to it": (
        """
        shared = []
        class K(str):
            def __hash__(self):
                shared.clear()
                return str.__hash__(self)
        class D(dict):
            def keys(self):
                return shared
        d = D()
        d["key" + "x" * 20] = 1
        shared.append(K("key" + "x" * 20))
        print(VarAccess("x").access({"x": d}))
        """,
        "{'keyxxxxxxxxxxxxxxxxxxxx': 1}\n",
    ),
}


@pytest.mark.parametrize("code, expected", CHANGED_KEYS_LISTS.values(), ids=CHANGED_KEYS_LISTS)
def test_a_keys_list_changed_during_the_read_is_read_as_it_was(code, expected):
    child = run_with_debug_allocator("from tovrin import Exp, VarAccess\n" + textwrap.dedent(code))
    assert (child.returncode, child.stdout) == (0, expected), child.stderr


class Swapping:
    """Replaces the key `gone` of `bindings` with the key `new` when its value is taken."""

    def __init__(self, bindings, gone, new):
        self.bindings, self.gone, self.new = bindings, gone, new

    def __index__(self):
        del self.bindings[self.gone]
        self.bindings[self.new] = 3
        return 1


# As the dict's own iteration: more items than the dict held at the start is an error, while a
# swap that keeps the count is read as the dict is.
def test_bindings_whose_keys_change_but_not_their_number_are_caught_like_iteration():
    bindings = {"a": 1, "b": None}
    bindings["b"] = Swapping(bindings, "a", "c")
    with pytest.raises(RuntimeError, match="^dictionary keys changed during iteration$"):
        Exp("b").eval(bindings)

    bindings = {"a": None, "b": 2}
    bindings["a"] = Swapping(bindings, "b", "c")
    assert Exp("[a, c]").eval(bindings) == [1, 3]

