"""The binding layer, driven through test_binding_probe.cpp, compiled here against the layer's sources."""

import gc
import importlib.util
import inspect
import os
import pathlib
import shutil
import subprocess
import sys
import sysconfig
import weakref

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]
# Under the sanitized run (make py-sanitize) the probe is checked by the same sanitizers as the module.
SANITIZE = (["-fsanitize=address,undefined", "-fno-sanitize-recover=all", "-fno-omit-frame-pointer"]
            if os.environ.get("QUORVANE_SANITIZE") == "1" else [])


@pytest.fixture(scope="module")
def probe(tmp_path_factory):
    compiler = shutil.which("g++")
    if compiler is None:
        pytest.skip("g++ is needed to build the probe module")
    target = tmp_path_factory.mktemp("probe") / "_binding_probe.abi3.so"
    sources = [ROOT / "tests/python/test_binding_probe.cpp", *sorted((ROOT / "src/quorvane_native/py").glob("*.cpp"))]
    subprocess.run(
        [compiler, "-std=c++23", "-shared", "-fPIC", "-O0", "-fvisibility=hidden", "-Wall", "-Wextra", "-Wpedantic",
         "-Werror", "-DPy_LIMITED_API=0x030B0000", f"-I{sysconfig.get_paths()['include']}", f"-I{ROOT / 'src'}",
         *SANITIZE, *map(str, sources), "-lfmt", "-o", str(target)],
        check=True,
    )
    spec = importlib.util.spec_from_file_location("_binding_probe", target)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def raises_exactly(error, message, call, *args, **kwargs):
    with pytest.raises(error) as raised:
        call(*args, **kwargs)
    assert type(raised.value) is error
    if message is not None:
        assert str(raised.value) == message


class Index:
    def __index__(self):
        return 3


class Bytes(bytes):
    pass


@pytest.mark.parametrize(
    ("call", "error", "message"),
    [
        # Binding, before any conversion.
        (lambda p: p.describe(), TypeError, "describe() missing 2 required positional arguments: 'text' and 'data'"),
        (lambda p: p.describe("a"), TypeError, "describe() missing 1 required positional argument: 'data'"),
        (lambda p: p.widths(), TypeError, "widths() missing 4 required positional arguments: 'a', 'b', 'c', and 'd'"),
        (lambda p: p.describe("a", b"", False, 1, 2), TypeError,
         "describe() takes from 2 to 4 positional arguments but 5 were given"),
        (lambda p: p.pairs([], []), TypeError, "pairs() takes 1 positional argument but 2 were given"),
        (lambda p: p.describe("a", b"", text="b"), TypeError, "describe() got multiple values for argument 'text'"),
        (lambda p: p.describe(1, data=2, colour=3), TypeError, "describe() got an unexpected keyword argument 'colour'"),
        (lambda p: p.invoice("s"), TypeError, "invoice() missing 1 required keyword argument: 'rechnungsnummer'"),
        (lambda p: p.invoice("s", "r"), TypeError, "invoice() takes 1 positional argument but 2 were given"),
        (lambda p: p.Item("a", [], 3), TypeError, "Item.__new__() takes from 1 to 2 positional arguments but 3 were given"),
        (lambda p: p.Item("a").describe(), TypeError, "Item.describe() missing 1 required positional argument: 'prefix'"),
        # Scalars. None is refused where the default is a value.
        (lambda p: p.describe(1, b""), TypeError, "argument 'text': 'int' object cannot be converted to 'str'"),
        (lambda p: p.describe("a", b"", label=None), TypeError,
         "argument 'label': 'NoneType' object cannot be converted to 'str'"),
        (lambda p: p.describe("a", "b"), TypeError, "argument 'data': 'str' object cannot be converted to 'bytes'"),
        (lambda p: p.describe("a", bytearray(b"b")), TypeError,
         "argument 'data': 'bytearray' object cannot be converted to 'bytes'"),
        (lambda p: p.describe("a", b"", 1), TypeError, "argument 'flag': 'int' object cannot be converted to 'bool'"),
        # A text without UTF-8 form keeps its UnicodeEncodeError and says which argument held it.
        (lambda p: p.describe("\ud800", b""), UnicodeEncodeError,
         "'utf-8' codec can't encode character '\\ud800' in position 0: surrogates not allowed in argument 'text'"),
        (lambda p: p.describe("a", b"", label="ab\udfff"), UnicodeEncodeError,
         "'utf-8' codec can't encode character '\\udfff' in position 2: surrogates not allowed in argument 'label'"),
        (lambda p: p.pairs([("a", "b"), ("\udc00", "b")]), UnicodeEncodeError,
         "'utf-8' codec can't encode character '\\udc00' in position 0: surrogates not allowed in argument 'items'"),
        # Integers.
        # Every conversion error names its argument, not only a TypeError.
        (lambda p: p.widths(0, 0, -1, 0), OverflowError, "argument 'c': out of range integral type conversion attempted"),
        (lambda p: p.widths(0, 0, 1.0, 0), TypeError, "argument 'c': 'float' object cannot be interpreted as an integer"),
        (lambda p: p.widths(0, 0, "1", 0), TypeError, "argument 'c': 'str' object cannot be interpreted as an integer"),
        (lambda p: p.widths(0, 0, 0, 1.0), TypeError, "argument 'd': 'float' object cannot be interpreted as an integer"),
        (lambda p: p.widths(0, 0, 2**70, 0), OverflowError, None),
        (lambda p: p.widths(0, 0, 0, -1), OverflowError, None),
        # Sequences.
        (lambda p: p.pairs("ab"), TypeError, "argument 'items': Can't extract `str` to `Vec`"),
        (lambda p: p.pairs(1), TypeError, "argument 'items': 'int' object cannot be converted to 'Sequence'"),
        (lambda p: p.pairs([["a", "b"]]), TypeError, "argument 'items': 'list' object cannot be converted to 'tuple'"),
        (lambda p: p.pairs([("a", 1)]), TypeError, "argument 'items': 'int' object cannot be converted to 'str'"),
        (lambda p: p.pairs([("a", "b"), ("a", "b", "c")]), ValueError,
         "argument 'items': expected tuple of length 2, but got tuple of length 3"),
        (lambda p: p.triples([("a", "b")]), ValueError, "argument 'items': expected tuple of length 3, but got tuple of length 2"),
        (lambda p: p.payloads([[256]]), OverflowError, "argument 'messages': out of range integral type conversion attempted"),
        (lambda p: p.payloads(b"UNH"), TypeError, "argument 'messages': 'int' object cannot be converted to 'Sequence'"),
        (lambda p: p.total_weight([p.Item("a"), p.frozen(1)]), TypeError,
         "argument 'items': 'Frozen' object cannot be converted to 'Item'"),
        # Failures of the function itself.
        (lambda p: p.fail_with("value"), ValueError, "bad value ä"),
        (lambda p: p.fail_with("runtime"), RuntimeError, "it broke"),
        (lambda p: p.fail_with("overflow"), OverflowError, "too big"),
        (lambda p: p.fail_with("memory"), MemoryError, ""),
    ],
)
def test_errors(probe, call, error, message):
    raises_exactly(error, message, call, probe)


def test_signatures_defaults_and_conversions(probe):
    assert str(inspect.signature(probe.describe)) == "(text, data, flag=False, small=7, *, label='dflt', note=None, big=None)"
    assert inspect.signature(probe.invoice).parameters["rechnungsnummer"].kind is inspect.Parameter.KEYWORD_ONLY
    assert probe.describe("", b"") == ("", b"", False, 7, "dflt", None, None)
    assert probe.describe(data=Bytes(b"\x00\xff"), text="äöü €", note="n", big=5, small=0, flag=True) == (
        "äöü €", b"\x00\xff", True, 0, "dflt", "n", 5)
    # None means "absent" where the default is None.
    assert probe.describe("a", b"b", note=None, big=None)[5:] == (None, None)
    assert probe.pairs([]) == []
    assert probe.pairs((("a", "b"), ("ä", ""))) == [("a", "b"), ("ä", "")]
    assert probe.triples([("a", "b", "c")]) == ["a|b|c"]
    assert probe.payloads([b"UNH", bytearray(b"+1"), [39, 0, 255], (), Bytes(b"x")]) == [b"UNH", b"+1", b"'\x00\xff", b"", b"x"]


MAXIMA = (2**8 - 1, 2**16 - 1, 2**32 - 1, 2**64 - 1)


@pytest.mark.parametrize("position", range(4))
def test_integer_widths(probe, position):
    values = [0, 0, 0, 0]
    for value, expected in ((MAXIMA[position], MAXIMA[position]), (Index(), 3), (True, 1)):
        values[position] = value
        assert probe.widths(*values)[position] == expected
    values[position] = MAXIMA[position] + 1
    with pytest.raises(OverflowError) as raised:
        probe.widths(*values)
    # Up to 32 bits the layer words it; beyond 64 bits the interpreter's own text stands. Both name
    # the argument.
    name = "abcd"[position]
    assert str(raised.value).startswith(f"argument '{name}': ")
    assert (str(raised.value) == f"argument '{name}': out of range integral type conversion attempted") is (position < 3)


def test_internal_faults_become_the_panic_exception(probe):
    caught = []
    for kind in ("fault", "unknown", "undeclared"):
        try:
            probe.fail_with(kind)
        except Exception:  # noqa: BLE001 - must not catch it
            pytest.fail("the panic exception must not be an Exception")
        except BaseException as panic:  # noqa: BLE001
            caught.append(panic)
    assert str(caught[0]) == "a broken invariant"
    assert {type(panic) for panic in caught} == {type(caught[0])}
    assert type(caught[0]).__name__ == "PanicException" and type(caught[0]).__bases__ == (BaseException,)
    assert not hasattr(probe, "PanicException")
    assert probe.fail_with("none") is None


# --- classes -----------------------------------------------------------------------------------


def test_class_surface_construction_getters_and_methods(probe):
    assert (probe.Item.__module__, probe.Item.__qualname__) == ("builtins", "Item")
    assert probe.Item.__text_signature__ == str(inspect.signature(probe.Item)) == "(name, tags=None, *, weight=1)"
    assert probe.Item.__doc__ == "A probe value with a constructor, setters and a method."
    assert probe.Item.describe.__text_signature__ == "($self, prefix)"
    assert str(inspect.signature(probe.Item("n").describe)) == "(prefix)"
    assert probe.Item.weight.__doc__ == "Read-only weight."
    item = probe.Item("n", (("k", "v"),), weight=3)
    assert (item.name, item.tags, item.weight) == ("n", [("k", "v")], 3)
    assert probe.Item(name="m").weight == 1 and probe.Item("m", None).tags == []
    assert item.describe("> ") == "> n/1" and item.describe(prefix="") == "n/1"
    assert repr(item) == str(item) == "Item(n)"
    # Getters build fresh objects: changing one leaves the instance alone.
    item.tags.append(("x", "y"))
    assert item.tags == [("k", "v")] and item.tags is not item.tags
    # Instances compare by identity, and convert as sequence items.
    assert item != probe.Item("n", (("k", "v"),), weight=3) and item == item
    assert probe.total_weight([item, probe.Item("b", weight=5)]) == 8


def test_setters_convert_before_they_change_anything(probe):
    item = probe.Item("n", [("k", "v")])
    item.name, item.tags = "m", [("a", "b"), ("c", "d")]
    assert (item.name, item.tags) == ("m", [("a", "b"), ("c", "d")])
    with pytest.raises(TypeError, match="^argument 'tags': 'int' object cannot be converted to 'tuple'$"):
        item.tags = [("x", "y"), 5]
    with pytest.raises(TypeError, match="^argument 'name': "):
        item.name = 1
    assert (item.name, item.tags) == ("m", [("a", "b"), ("c", "d")])
    with pytest.raises(TypeError, match="^can't delete attribute$"):
        del item.tags


def test_instances_are_sealed(probe):
    item = probe.Item("n")
    with pytest.raises(AttributeError):
        item.weight = 2
    with pytest.raises(AttributeError):
        item.colour = "red"
    assert not hasattr(item, "__dict__")
    with pytest.raises(TypeError):
        weakref.ref(item)
    for cls in (probe.Item, probe.Frozen):
        with pytest.raises(TypeError, match="is not an acceptable base type"):
            type("Sub", (cls,), {})
    with pytest.raises(TypeError, match="cannot create 'builtins.Frozen' instances"):
        probe.Frozen()
    made = probe.frozen(7)
    assert type(made) is probe.Frozen and made.value == 7
    assert repr(made).startswith("<builtins.Frozen object at ")


def test_instances_release_their_type(probe):
    gc.collect()
    before = sys.getrefcount(probe.Item), sys.getrefcount(probe.Frozen)
    made = [probe.Item(str(n), [("k", str(n))]) for n in range(200)] + [probe.frozen(n) for n in range(200)]
    assert sys.getrefcount(probe.Item) >= before[0] + 200
    del made
    gc.collect()
    assert (sys.getrefcount(probe.Item), sys.getrefcount(probe.Frozen)) == before


def test_a_type_that_cannot_be_created(probe):
    with pytest.raises(RuntimeError, match="^An error occurred while initializing class Broken$") as raised:
        probe.add_broken_class(probe)
    assert isinstance(raised.value.__cause__, UnicodeDecodeError)
    assert not hasattr(probe, "Broken")
