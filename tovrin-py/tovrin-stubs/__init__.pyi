# Type information for the extension module `tovrin`, installed beside it as a stub-only package.
from collections.abc import Mapping, Sequence
from typing import ClassVar, SupportsFloat, SupportsIndex, TypeAlias, TypeVar, final

__all__ = ["Exp", "VarAccess"]

# What the module accepts as a JSON-like value: integers and anything with __index__, floats and
# anything with __float__, text, sequences and mappings with str keys.
_JsonInput: TypeAlias = (
    None
    | bool
    | SupportsIndex
    | SupportsFloat
    | str
    | Sequence[_JsonInput]
    | Mapping[str, _JsonInput]
)
# The value type of a bindings dict: any JSON-like input type (dict is invariant in its values, so
# a dict[str, int] is not a dict[str, _JsonInput]).
_Bound = TypeVar("_Bound", bound=_JsonInput)

# What the module returns: always new objects of these exact types.
_JsonValue: TypeAlias = None | bool | int | float | str | list[_JsonValue] | dict[str, _JsonValue]

@final
class Exp:
    __hash__: ClassVar[None]  # type: ignore[assignment]
    def __new__(cls, exp: str, /) -> Exp: ...
    def eval(self, bindings: dict[str, _Bound]) -> _JsonValue: ...
    def __eq__(self, value: object, /) -> bool: ...
    def __ne__(self, value: object, /) -> bool: ...

@final
class VarAccess:
    def __new__(cls, accessor: str, /) -> VarAccess: ...
    def access(self, value: _JsonInput, /) -> _JsonValue: ...
    def replace(self, value: _JsonInput, replacement: _JsonInput, /) -> _JsonValue: ...
    def access_from_bindings(self, bindings: dict[str, _Bound], /) -> _JsonValue: ...
    def __eq__(self, value: object, /) -> bool: ...
    def __ne__(self, value: object, /) -> bool: ...
    def __hash__(self) -> int: ...
