"""The hash of a VarAccess, checked against the interpreter's own SipHash-1-3.

With PYTHONHASHSEED=0 CPython hashes a non-empty bytes object with SipHash-1-3 under the
all-zero key (and maps -1 to -2), so hashing the accessor's fields laid out as bytes in such an
interpreter gives the value that the accessor's hash must have.
"""

import os
import struct
import subprocess
import sys

import pytest

from tovrin import VarAccess

pytestmark = pytest.mark.skipif(
    sys.hash_info.algorithm != "siphash13", reason="the reference needs CPython's SipHash-1-3"
)


def word(n):
    return struct.pack("<I", n)


def hashed_fields(segments):
    """The count, then per segment the name's UTF-8 bytes, 0xff, presence word, index."""
    data = word(len(segments))
    for name, index in segments:
        data += name.encode() + b"\xff"
        data += word(0) if index is None else word(1) + word(index)
    return data


def reference_hashes(byte_strings):
    script = "import sys\nfor line in sys.stdin:\n    print(hash(bytes.fromhex(line.strip())))\n"
    result = subprocess.run(
        [sys.executable, "-c", script],
        input="".join(data.hex() + "\n" for data in byte_strings),
        capture_output=True,
        text=True,
        check=True,
        env={**os.environ, "PYTHONHASHSEED": "0"},
    )
    return [int(line) for line in result.stdout.split()]


CASES = [
    ("a", [("a", None)]),
    ("'a'", [("a", None)]),
    ("a[0]", [("a", 0)]),
    ("a[ 0 ]", [("a", 0)]),
    ("user_1.items[0].id", [("user_1", None), ("items", 0), ("id", None)]),
    ("a[4294967295]", [("a", 4294967295)]),
    ("'x.y'", [("x.y", None)]),
    ("x.y", [("x", None), ("y", None)]),
    ("'ключ'[3].\"a b\"", [("ключ", 3), ("a b", None)]),
    # Names of 7, 8 and 9 bytes put the 0xff and the words across SipHash's 8-byte blocks.
    ("abcdefg", [("abcdefg", None)]),
    ("abcdefgh[1]", [("abcdefgh", 1)]),
    ("abcdefghi.j", [("abcdefghi", None), ("j", None)]),
]


def test_hash_is_siphash13_of_the_fields_under_the_zero_key():
    expected = reference_hashes([hashed_fields(segments) for _, segments in CASES])
    actual = [hash(VarAccess(text)) for text, _ in CASES]
    assert actual == expected


def test_hash_is_the_same_in_every_process():
    script = "from tovrin import VarAccess\nprint(hash(VarAccess('a.b[2]')))\n"
    outputs = {
        subprocess.run(
            [sys.executable, "-c", script],
            capture_output=True,
            text=True,
            check=True,
            env={**os.environ, "PYTHONHASHSEED": seed},
        ).stdout
        for seed in ("0", "1", "random")
    }
    assert outputs == {f"{hash(VarAccess('a.b[2]'))}\n"}
