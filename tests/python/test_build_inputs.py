"""The build input classes UtilmdTransaction and Positionsfehler: value holders with checked types."""

import gc
import sys
import threading
import time

import pytest

from quorvane._native import Positionsfehler, UtilmdTransaction

LIST_FIELDS = ["dates", "references", "locations", "customers", "free_texts"]
TEXT_FIELDS = ["transaktionsgrund", "transaktionsgrund_ergaenzung", "antwort_code", "antwort_ebd", "antwort_dritter",
               "bilanzkreis"]


def test_a_transaction_from_its_vorgangsnummer_alone():
    transaction = UtilmdTransaction("V 1")
    assert transaction.vorgangsnummer == "V 1"
    assert all(getattr(transaction, field) == [] for field in LIST_FIELDS)
    assert all(getattr(transaction, field) is None for field in TEXT_FIELDS)
    assert repr(transaction) == "UtilmdTransaction(V 1)"


def test_every_field_by_position_and_by_keyword_is_stored_as_given():
    values = [" V1", "E01", None, "A01", "E_0624", [("92", "20260501")], (("Z13", "55001"),),
              [("malo", "51238696781")], [("UD", "x")], [("ACB", "Bemerkung")], "Z35", "11XDE-BKTEST-X"]
    names = ["vorgangsnummer", "transaktionsgrund", "transaktionsgrund_ergaenzung", "antwort_code", "antwort_ebd",
             *LIST_FIELDS, "antwort_dritter", "bilanzkreis"]
    for transaction in (UtilmdTransaction(*values), UtilmdTransaction(**dict(zip(names, values)))):
        for name, value in zip(names, values):
            assert getattr(transaction, name) == (list(value) if name in LIST_FIELDS else value), name


@pytest.mark.parametrize(
    ("kwargs", "error", "message"),
    [
        ({"dates": "20260501"}, TypeError, "Can't extract `str` to `Vec`"),
        ({"dates": [["92", "20260501"]]}, TypeError, "'list' object cannot be converted to 'tuple'"),
        ({"dates": [("92", 20260501)]}, TypeError, "'int' object cannot be converted to 'str'"),
        ({"dates": [("92",)]}, ValueError, "expected tuple of length 2, but got tuple of length 1"),
        ({"transaktionsgrund": 7}, TypeError, "argument 'transaktionsgrund'"),
        ({"vorgangsnummer": None}, TypeError, "argument 'vorgangsnummer'"),
    ],
)
def test_constructor_refuses_wrong_types(kwargs, error, message):
    arguments = {"vorgangsnummer": "V1", **kwargs}
    with pytest.raises(error, match=message.replace("(", r"\(").replace(")", r"\)").replace("`", "`")):
        UtilmdTransaction(**arguments)


def test_vorgangsnummer_is_required():
    with pytest.raises(TypeError):
        UtilmdTransaction()


def test_setters_convert_first_and_getters_hand_out_copies():
    transaction = UtilmdTransaction("V1", dates=[("92", "20260501")])
    transaction.transaktionsgrund_ergaenzung = None
    transaction.antwort_code = "A01"
    assert transaction.antwort_code == "A01"
    with pytest.raises(TypeError):
        transaction.dates = None
    with pytest.raises(ValueError):
        transaction.dates = [("92", "20260501"), ("93",)]
    assert transaction.dates == [("92", "20260501")]
    transaction.dates.append(("93", "20260601"))
    assert transaction.dates == [("92", "20260501")]
    with pytest.raises(TypeError):
        del transaction.dates
    transaction.references = [("Z13", "55001")]
    assert transaction.references == [("Z13", "55001")]


@pytest.mark.parametrize(
    ("positionsnummer", "gruende", "erlaeuterung", "shown"),
    [
        (0, [], None, "Positionsfehler(#0 [])"),
        (65535, [("A01", "E_0400"), ("A02", "E_0400")], "Text", 'Positionsfehler(#65535 ["A01", "A02"])'),
        (7, [('A"1', "E")], None, 'Positionsfehler(#7 ["A\\"1"])'),
    ],
)
def test_positionsfehler_holds_its_values(positionsnummer, gruende, erlaeuterung, shown):
    fehler = Positionsfehler(positionsnummer, gruende, erlaeuterung)
    assert (fehler.positionsnummer, fehler.gruende, fehler.erlaeuterung) == (positionsnummer, gruende, erlaeuterung)
    assert repr(fehler) == shown


@pytest.mark.parametrize(("value", "error"), [(70000, OverflowError), (-1, OverflowError), ("1", TypeError)])
def test_positionsnummer_range(value, error):
    with pytest.raises(error):
        Positionsfehler(value, [])
    fehler = Positionsfehler(1, [])
    with pytest.raises(error):
        fehler.positionsnummer = value
    assert fehler.positionsnummer == 1


def test_positionsfehler_setters():
    fehler = Positionsfehler(positionsnummer=3, gruende=[("A01", "E_0400")])
    fehler.erlaeuterung = "x"
    fehler.erlaeuterung = None
    fehler.gruende = [("A02", "E_0400")]
    assert (fehler.erlaeuterung, fehler.gruende) == (None, [("A02", "E_0400")])
    with pytest.raises(TypeError):
        fehler.gruende = "A02"


@pytest.mark.parametrize("cls", [UtilmdTransaction, Positionsfehler])
def test_input_classes_are_sealed(cls):
    with pytest.raises(TypeError):
        type("Sub", (cls,), {})
    assert cls.__module__ == "builtins"


# Reading a list attribute builds new tuples, which can run the collector, a __del__ and with it
# Python code that assigns the very attribute being read.
LIST_ATTRIBUTES = [
    (lambda: UtilmdTransaction("V1"), "dates"),
    (lambda: UtilmdTransaction("V1"), "free_texts"),
    (lambda: Positionsfehler(1, []), "gruende"),
]
PAIRS = [(f"Q{index}", "x" * 40 + str(index)) for index in range(64)]


class Finalized:
    """Cyclic garbage whose collection runs Python code: the moment another thread may take over."""

    def __init__(self, action=lambda: time.sleep(0)):
        self.cycle = self
        self.action = action

    def __del__(self):
        self.action()


@pytest.fixture
def eager_collector():
    gc.collect()
    threshold = gc.get_threshold()
    interval = sys.getswitchinterval()
    gc.set_threshold(1)
    sys.setswitchinterval(1e-6)
    yield
    gc.set_threshold(*threshold)
    sys.setswitchinterval(interval)


@pytest.mark.parametrize(("make", "name"), LIST_ATTRIBUTES)
def test_list_read_survives_assignment_from_a_finalizer(make, name, eager_collector):
    target = make()
    for _ in range(200):
        setattr(target, name, PAIRS)
        Finalized(lambda: setattr(target, name, [("Z", "z")]))
        assert getattr(target, name) in (PAIRS, [("Z", "z")])


@pytest.mark.parametrize(("make", "name"), LIST_ATTRIBUTES)
def test_list_read_survives_assignment_from_another_thread(make, name, eager_collector):
    target = make()
    setattr(target, name, PAIRS)
    stop = threading.Event()

    def assign():
        while not stop.is_set():
            setattr(target, name, [("Z", "z")])
            setattr(target, name, PAIRS)

    writer = threading.Thread(target=assign)
    writer.start()
    try:
        for _ in range(5000):
            Finalized()
            assert getattr(target, name) in (PAIRS, [("Z", "z")])
    finally:
        stop.set()
        writer.join()
