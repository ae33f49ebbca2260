#!/usr/bin/env python3
"""Writes vorlane.pyi, the type stub of the built `vorlane` module, for
editors: its functions with their signatures, its classes, and the type
library's enumerations with their members. The members of an automation
object are found at run time (help(obj) lists them), so Object takes any
attribute.

    PYTHONPATH=build/python scripts/make_python_stub.py build/python/vorlane.pyi
"""
import enum
import re
import sys

import vorlane

HEAD = '''# The type stub of the vorlane module, generated from the built module by
# scripts/make_python_stub.py.
import enum
import os
from typing import Any, Iterator, Optional, Union

__version__: str

class ComError(Exception):
    hresult: int
    source: str
    description: str
    def __init__(self, hresult: int, source: Optional[str] = ..., description: Optional[str] = ...) -> None: ...

class ComIndexError(ComError, IndexError): ...
class ComKeyError(ComError, KeyError): ...

class NullType: ...

Null: NullType

class UpdateBracket:
    def __enter__(self) -> "Object": ...
    def __exit__(self, *exc: Any) -> bool: ...

class Object:
    """An automation object: its members are attributes, found by name at run time."""
    def __getattr__(self, name: str) -> Any: ...
    def __setattr__(self, name: str, value: Any) -> None: ...
    def __call__(self, *args: Any, **kwargs: Any) -> Any: ...
    def __getitem__(self, index: Any) -> Any: ...
    def __setitem__(self, index: Any, value: Any) -> None: ...
    def __iter__(self) -> Iterator[Any]: ...
    def __len__(self) -> int: ...
    def Update(self) -> UpdateBracket: ...

class Method:
    def __call__(self, *args: Any, **kwargs: Any) -> Any: ...

class Store:
    path: Optional[str]
    def open_session(self, account: str = ..., locale: int = ..., client_version: int = ...,
                     groups: list[str] = ...) -> Object: ...
'''

# pybind11's signature line, e.g. "create(progid: str) -> object".
SIGNATURE = re.compile(r"^(\w+)\((.*)\) -> (.+)$")
TYPES = {"object": "Any", "vorlane.Store": "Store", "vorlane.Object": "Object", "handle": "Any", "List[str]": "list[str]",
         "Optional[str]": "Optional[str]"}


def parameter(text):
    name, _, rest = text.partition(":")
    kind, _, default = rest.partition("=")
    kind = TYPES.get(kind.strip(), kind.strip() or "Any")
    if name.strip() in ("path",):
        kind = "Union[str, os.PathLike[str], None]" if default else "Union[str, os.PathLike[str]]"
    return f"{name.strip()}: {kind}" + (" = ..." if default else "")


def function(name, f):
    first = (f.__doc__ or "").splitlines()[0] if f.__doc__ else ""
    match = SIGNATURE.match(first)
    if not match:
        return f"def {name}(*args: Any, **kwargs: Any) -> Any: ...\n"
    params = [p for p in re.split(r",\s*(?![^\[]*\])", match.group(2)) if p.strip()]
    result = match.group(3).strip()
    result = TYPES.get(result, result if result in ("int", "str", "bool", "float", "None") else "Any")
    if name in ("create", "Collection"):
        result = "Object"
    return f"def {name}({', '.join(parameter(p) for p in params)}) -> {result}: ...\n"


def main():
    out = [HEAD]
    for name in sorted(dir(vorlane)):
        value = getattr(vorlane, name)
        if isinstance(value, type) and issubclass(value, enum.IntEnum):
            out.append(f"\nclass {name}(enum.IntEnum):\n")
            out.extend(f"    {m.name}: int\n" if m.name != "None" else "    # None: int  (vorlane.LoggingLevelEnum['None'])\n"
                       for m in value)
    out.append("\n")
    for name in sorted(dir(vorlane)):
        value = getattr(vorlane, name)
        if callable(value) and type(value).__name__ == "builtin_function_or_method":
            out.append(function(name, value))
    with open(sys.argv[1], "w", encoding="utf-8") as f:
        f.write("".join(out))


if __name__ == "__main__":
    main()
