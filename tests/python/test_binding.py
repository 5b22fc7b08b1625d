"""The binding layer, driven through a probe module that declares its functions and classes the
way the module's areas do (test_binding_probe.cpp, compiled here against the layer's sources)."""

import gc
import importlib.util
import inspect
import pathlib
import shutil
import subprocess
import sys
import sysconfig
import weakref

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]


@pytest.fixture(scope="module")
def probe(tmp_path_factory):
    compiler = shutil.which("g++")
    if compiler is None:
        pytest.skip("g++ is needed to build the probe module")
    target = tmp_path_factory.mktemp("probe") / "_binding_probe.abi3.so"
    sources = [ROOT / "tests/python/test_binding_probe.cpp", *sorted((ROOT / "src/quorvane_native/py").glob("*.cpp"))]
    subprocess.run(
        [
            compiler, "-std=c++23", "-shared", "-fPIC", "-O0", "-fvisibility=hidden",
            "-Wall", "-Wextra", "-Wpedantic", "-Werror",
            "-DPy_LIMITED_API=0x030B0000",
            f"-I{sysconfig.get_paths()['include']}", f"-I{ROOT / 'src'}",
            *map(str, sources), "-lfmt", "-o", str(target),
        ],
        check=True,
    )
    spec = importlib.util.spec_from_file_location("_binding_probe", target)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


# --- binding -----------------------------------------------------------------------------------


def test_text_signature_declares_the_parameters(probe):
    assert str(inspect.signature(probe.describe)) == "(text, data, flag=False, small=7, *, label='dflt', note=None, big=None)"
    parameters = inspect.signature(probe.invoice).parameters
    assert parameters["rechnungsnummer"].kind is inspect.Parameter.KEYWORD_ONLY
    assert parameters["rechnungsnummer"].default is inspect.Parameter.empty


@pytest.mark.parametrize(
    ("call", "message"),
    [
        (lambda p: p.describe(), "describe() missing 2 required positional arguments: 'text' and 'data'"),
        (lambda p: p.describe("a"), "describe() missing 1 required positional argument: 'data'"),
        (lambda p: p.widths(), "widths() missing 4 required positional arguments: 'a', 'b', 'c', and 'd'"),
        (lambda p: p.describe("a", b"", False, 1, 2), "describe() takes from 2 to 4 positional arguments but 5 were given"),
        (lambda p: p.pairs([], []), "pairs() takes 1 positional argument but 2 were given"),
        (lambda p: p.describe("a", b"", text="b"), "describe() got multiple values for argument 'text'"),
        (lambda p: p.describe("a", b"", colour=1), "describe() got an unexpected keyword argument 'colour'"),
        (lambda p: p.invoice("s"), "invoice() missing 1 required keyword argument: 'rechnungsnummer'"),
        (lambda p: p.invoice("s", "r"), "invoice() takes 1 positional argument but 2 were given"),
        # Binding errors come before any conversion.
        (lambda p: p.describe(1, data=2, colour=3), "describe() got an unexpected keyword argument 'colour'"),
        (lambda p: p.Item(), "Item.__new__() missing 1 required positional argument: 'name'"),
        (lambda p: p.Item("a", [], 3), "Item.__new__() takes from 1 to 2 positional arguments but 3 were given"),
        (lambda p: p.Item("a", **{"weight": 1, "size": 2}), "Item.__new__() got an unexpected keyword argument 'size'"),
        (lambda p: p.Item("a").describe(), "Item.describe() missing 1 required positional argument: 'prefix'"),
    ],
)
def test_binding_errors(probe, call, message):
    with pytest.raises(TypeError) as raised:
        call(probe)
    assert str(raised.value) == message


def test_defaults_apply_only_to_omitted_arguments(probe):
    assert probe.describe("a", b"b") == ("a", b"b", False, 7, "dflt", None, None)
    assert probe.describe(data=b"b", text="a", note="n", big=5, small=0) == ("a", b"b", False, 0, "dflt", "n", 5)
    # None means "absent" where the default is None ...
    assert probe.describe("a", b"b", note=None, big=None)[5:] == (None, None)
    # ... and is refused where the default is a value.
    with pytest.raises(TypeError, match="^argument 'label': 'NoneType' object cannot be converted to 'str'$"):
        probe.describe("a", b"b", label=None)
    with pytest.raises(TypeError, match="^argument 'small': "):
        probe.describe("a", b"b", small=None)


# --- converters --------------------------------------------------------------------------------


class Index:
    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


class Bytes(bytes):
    pass


@pytest.mark.parametrize(
    ("arguments", "expected"),
    [
        (("", b""), ("", b"")),
        (("äöü €", Bytes(b"\x00\xff")), ("äöü €", b"\x00\xff")),
    ],
)
def test_texts_and_bytes_round_trip(probe, arguments, expected):
    assert probe.describe(*arguments)[:2] == expected


@pytest.mark.parametrize(
    ("arguments", "error", "message"),
    [
        ((1, b""), TypeError, "argument 'text': 'int' object cannot be converted to 'str'"),
        ((None, b""), TypeError, "argument 'text': 'NoneType' object cannot be converted to 'str'"),
        ((b"a", b""), TypeError, "argument 'text': 'bytes' object cannot be converted to 'str'"),
        (("a", "b"), TypeError, "argument 'data': 'str' object cannot be converted to 'bytes'"),
        (("a", bytearray(b"b")), TypeError, "argument 'data': 'bytearray' object cannot be converted to 'bytes'"),
        (("a", memoryview(b"b")), TypeError, "argument 'data': 'memoryview' object cannot be converted to 'bytes'"),
        (("a", b"", 1), TypeError, "argument 'flag': 'int' object cannot be converted to 'bool'"),
        (("a", b"", None), TypeError, "argument 'flag': 'NoneType' object cannot be converted to 'bool'"),
        (("\ud800", b""), UnicodeEncodeError, None),
    ],
)
def test_scalar_conversion_errors(probe, arguments, error, message):
    with pytest.raises(error) as raised:
        probe.describe(*arguments)
    if message is not None:
        assert str(raised.value) == message


def test_strict_bool_accepts_only_bools(probe):
    assert probe.describe("a", b"", True)[2] is True
    assert probe.describe("a", b"", flag=False)[2] is False


MAXIMA = (2**8 - 1, 2**16 - 1, 2**32 - 1, 2**64 - 1)


@pytest.mark.parametrize("position", range(4))
def test_integer_widths_accept_their_whole_range(probe, position):
    values = [0, 0, 0, 0]
    values[position] = MAXIMA[position]
    assert probe.widths(*values) == tuple(values)
    values[position] = Index(3)
    assert probe.widths(*values)[position] == 3
    values[position] = True
    assert probe.widths(*values)[position] == 1


@pytest.mark.parametrize(
    ("values", "error", "message"),
    [
        ((256, 0, 0, 0), OverflowError, "out of range integral type conversion attempted"),
        ((0, 65536, 0, 0), OverflowError, "out of range integral type conversion attempted"),
        ((0, 0, 2**32, 0), OverflowError, "out of range integral type conversion attempted"),
        ((0, 0, -1, 0), OverflowError, "out of range integral type conversion attempted"),
        ((0, 0, 1.0, 0), TypeError, "argument 'c': 'float' object cannot be interpreted as an integer"),
        ((0, 0, "1", 0), TypeError, "argument 'c': 'str' object cannot be interpreted as an integer"),
        ((0, 0, 0, 1.0), TypeError, "argument 'd': 'float' object cannot be interpreted as an integer"),
    ],
)
def test_integer_conversion_errors(probe, values, error, message):
    with pytest.raises(error) as raised:
        probe.widths(*values)
    assert str(raised.value) == message


@pytest.mark.parametrize("values", [(0, 0, 2**70, 0), (0, 0, 0, 2**64), (0, 0, 0, -1)])
def test_integers_beyond_64_bits_keep_the_interpreters_overflow_error(probe, values):
    with pytest.raises(OverflowError) as raised:
        probe.widths(*values)
    assert "out of range integral type" not in str(raised.value)


@pytest.mark.parametrize(
    "items", [[], [("a", "b")], (("a", "b"), ("c", "")), [("ä", "€")] * 3]
)
def test_sequences_of_pairs(probe, items):
    assert probe.pairs(items) == [tuple(item) for item in items]


@pytest.mark.parametrize(
    ("items", "error", "message"),
    [
        ("ab", TypeError, "argument 'items': Can't extract `str` to `Vec`"),
        (1, TypeError, "argument 'items': 'int' object cannot be converted to 'Sequence'"),
        (None, TypeError, "argument 'items': 'NoneType' object cannot be converted to 'Sequence'"),
        ({"a": "b"}, TypeError, "argument 'items': 'dict' object cannot be converted to 'Sequence'"),
        ([["a", "b"]], TypeError, "argument 'items': 'list' object cannot be converted to 'tuple'"),
        ([("a", 1)], TypeError, "argument 'items': 'int' object cannot be converted to 'str'"),
        ([("a", "b"), ("a", "b", "c")], ValueError, "expected tuple of length 2, but got tuple of length 3"),
        ([("a",)], ValueError, "expected tuple of length 2, but got tuple of length 1"),
    ],
)
def test_sequence_conversion_errors(probe, items, error, message):
    with pytest.raises(error) as raised:
        probe.pairs(items)
    assert str(raised.value) == message


def test_tuples_of_other_lengths(probe):
    assert probe.triples([("a", "b", "c")]) == ["a|b|c"]
    with pytest.raises(ValueError, match="^expected tuple of length 3, but got tuple of length 2$"):
        probe.triples([("a", "b")])


@pytest.mark.parametrize(("argument", "expected"), [((), []), ((None,), []), ((["x", "y"],), ["x", "y"])])
def test_optional_sequences(probe, argument, expected):
    assert probe.texts(*argument) == expected


def test_payloads(probe):
    assert probe.payloads([b"UNH", bytearray(b"+1"), [39, 0, 255], (), Bytes(b"x")]) == [b"UNH", b"+1", b"'\x00\xff", b"", b"x"]


@pytest.mark.parametrize(
    ("messages", "error", "message"),
    [
        (["UNH"], TypeError, "argument 'messages': Can't extract `str` to `Vec`"),
        ([[256]], OverflowError, "out of range integral type conversion attempted"),
        ([1], TypeError, "argument 'messages': 'int' object cannot be converted to 'Sequence'"),
        (b"UNH", TypeError, "argument 'messages': 'int' object cannot be converted to 'Sequence'"),
    ],
)
def test_payload_errors(probe, messages, error, message):
    with pytest.raises(error) as raised:
        probe.payloads(messages)
    assert str(raised.value) == message


# --- errors ------------------------------------------------------------------------------------


@pytest.mark.parametrize(
    ("kind", "error", "message"),
    [
        ("value", ValueError, "bad value ä"),
        ("runtime", RuntimeError, "it broke"),
        ("overflow", OverflowError, "too big"),
        ("memory", MemoryError, ""),
    ],
)
def test_errors_become_python_exceptions(probe, kind, error, message):
    with pytest.raises(error) as raised:
        probe.fail_with(kind)
    assert type(raised.value) is error
    assert str(raised.value) == message


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
    assert type(caught[0]) is type(caught[1]) is type(caught[2])
    panic_type = type(caught[0])
    assert panic_type.__name__ == "PanicException"
    assert panic_type.__bases__ == (BaseException,)
    assert not hasattr(probe, "PanicException")
    assert probe.fail_with("none") is None


# --- classes -----------------------------------------------------------------------------------


def test_class_surface(probe):
    assert probe.Item.__module__ == "builtins"
    assert probe.Item.__qualname__ == "Item"
    assert probe.Item.__text_signature__ == "(name, tags=None, *, weight=1)"
    assert str(inspect.signature(probe.Item)) == "(name, tags=None, *, weight=1)"
    assert probe.Item.__doc__ == "A probe value with a constructor, setters and a method."
    assert probe.Frozen.__doc__ == "A probe value without a constructor and without a repr of its own."
    assert probe.Item.describe.__text_signature__ == "($self, prefix)"
    assert str(inspect.signature(probe.Item("n").describe)) == "(prefix)"
    assert probe.Item.weight.__doc__ == "Read-only weight."


def test_construction_getters_methods_and_repr(probe):
    item = probe.Item("n", (("k", "v"),), weight=3)
    assert (item.name, item.tags, item.weight) == ("n", [("k", "v")], 3)
    assert probe.Item(name="m").weight == 1
    assert probe.Item("m", None).tags == []
    assert item.describe("> ") == "> n/1"
    assert item.describe(prefix="") == "n/1"
    assert repr(item) == str(item) == "Item(n)"
    assert repr(probe.frozen(1)).startswith("<builtins.Frozen object at ")


def test_getters_return_fresh_objects(probe):
    item = probe.Item("n", [("k", "v")])
    tags = item.tags
    tags.append(("x", "y"))
    assert item.tags == [("k", "v")]
    assert item.tags is not item.tags


def test_setters_convert_before_they_change_anything(probe):
    item = probe.Item("n", [("k", "v")])
    item.name = "m"
    item.tags = [("a", "b"), ("c", "d")]
    assert (item.name, item.tags) == ("m", [("a", "b"), ("c", "d")])
    with pytest.raises(TypeError, match="^argument 'tags': 'int' object cannot be converted to 'tuple'$"):
        item.tags = [("x", "y"), 5]
    with pytest.raises(TypeError, match="^argument 'tags': 'NoneType' object cannot be converted to 'Sequence'$"):
        item.tags = None
    with pytest.raises(TypeError, match="^argument 'name': "):
        item.name = 1
    assert (item.name, item.tags) == ("m", [("a", "b"), ("c", "d")])


@pytest.mark.parametrize("attribute", ["name", "tags"])
def test_attributes_cannot_be_deleted(probe, attribute):
    item = probe.Item("n")
    with pytest.raises(TypeError, match="^can't delete attribute$"):
        delattr(item, attribute)


def test_read_only_attributes_and_no_instance_dict(probe):
    item = probe.Item("n")
    with pytest.raises(AttributeError):
        item.weight = 2
    with pytest.raises(AttributeError):
        item.colour = "red"
    assert not hasattr(item, "__dict__")
    with pytest.raises(TypeError):
        weakref.ref(item)


@pytest.mark.parametrize("name", ["Item", "Frozen"])
def test_classes_cannot_be_subclassed(probe, name):
    with pytest.raises(TypeError, match="is not an acceptable base type"):
        type("Sub", (getattr(probe, name),), {})


def test_class_without_constructor(probe):
    with pytest.raises(TypeError, match="cannot create 'builtins.Frozen' instances"):
        probe.Frozen()
    made = probe.frozen(7)
    assert type(made) is probe.Frozen
    assert made.value == 7


def test_instances_compare_by_identity(probe):
    first, second = probe.Item("n"), probe.Item("n")
    assert first != second
    assert first == first
    assert len({first, second}) == 2


def test_instances_as_sequence_items(probe):
    items = [probe.Item("a", weight=2), probe.Item("b", weight=5)]
    assert probe.total_weight(items) == 7
    with pytest.raises(TypeError, match="^argument 'items': 'Frozen' object cannot be converted to 'Item'$"):
        probe.total_weight([items[0], probe.frozen(1)])


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
