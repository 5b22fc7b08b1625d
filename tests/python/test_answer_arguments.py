"""The APERAK, CONTRL and answer builders: an empty text the caller passes is refused with the argument's name
instead of being replaced by completion's sample, and the signatures and docstrings say what callers rely on."""

import inspect

import pytest

import quorvane._native as native
from answer_support import fixture

MP = "9900357000004"
NB = "4012345000023"
ON = {"on": "2025-11-01"}
CONTRL_ON = {"on": "2026-02-01"}
UTILMD = fixture("utilmd_55001.edi")

CALLS = {
    "build_aperak": lambda **kw: native.build_aperak(kw.pop("sender", MP), kw.pop("receiver", NB), **ON, **kw),
    "build_aperak_for": lambda **kw: native.build_aperak_for(UTILMD, **ON, **kw),
    "build_contrl": lambda **kw: native.build_contrl(kw.pop("sender", MP), kw.pop("receiver", NB),
                                                     kw.pop("interchange_ref", "REF1"), **CONTRL_ON, **kw),
    "build_contrl_for": lambda **kw: native.build_contrl_for(UTILMD, **CONTRL_ON, **kw),
    "build_answer": lambda **kw: native.build_answer(UTILMD, 55002, **ON, **kw),
}

EMPTY = [
    ("build_aperak", "acw_ref"), ("build_aperak", "error_code"), ("build_aperak", "error_text"),
    ("build_aperak", "message_ref"), ("build_aperak", "document_date"), ("build_aperak", "document_code"),
    ("build_aperak", "sender"), ("build_aperak", "receiver"),
    ("build_aperak_for", "error_code"), ("build_aperak_for", "error_text"), ("build_aperak_for", "message_ref"),
    ("build_contrl", "sender"), ("build_contrl", "interchange_ref"), ("build_contrl", "message_ref"),
    ("build_contrl", "action_code"), ("build_contrl", "syntax_error"),
    ("build_contrl_for", "message_ref"),
    ("build_answer", "message_ref"), ("build_answer", "document_date"), ("build_answer", "document_code"),
    ("build_answer", "antwort_code"), ("build_answer", "antwort_ebd"),
]


@pytest.mark.parametrize(("function", "argument"), EMPTY)
def test_an_empty_text_is_refused_naming_its_argument(function, argument):
    with pytest.raises(ValueError, match=rf"^{argument} is an empty text: "):
        CALLS[function](**{argument: ""})


@pytest.mark.parametrize(("argument", "pairs", "named"), [
    ("references", [("Z13", "")], r"references\[Z13\]"),
    ("process_dates", [("", "20261101")], r"process_dates\[0\] qualifier"),
    ("references", [("TN", "X"), ("", "DE0032106765712000000000000000045")], r"references\[1\] qualifier"),
    ("free_texts", [("ACB", "")], r"free_texts\[ACB\]"),
])
def test_an_empty_pair_member_of_an_answer_is_refused(argument, pairs, named):
    with pytest.raises(ValueError, match=rf"^{named} is an empty text: "):
        CALLS["build_answer"](antwort_code="A01", **{argument: pairs})


# The same value, given, comes back unchanged where completion would otherwise fill a sample.
@pytest.mark.parametrize(("arguments", "segment"), [
    ({"acw_ref": "X"}, "RFF+ACE:X'"),
    ({"error_code": "Z10", "acw_ref": "X"}, "ERC+Z10'"),
    ({"error_code": "Z29", "error_text": "x", "acw_ref": "X"}, "FTX+Z02+++x'"),
    ({"document_date": "20251102"}, "DTM+137:202511020000?+00:303'"),
])
def test_a_given_value_is_kept_by_completion(arguments, segment):
    assert segment.encode() in CALLS["build_aperak"](**arguments)


@pytest.mark.parametrize("function", CALLS)
def test_docstrings_say_dates_completion_and_exceptions(function):
    doc = getattr(native, function).__doc__
    assert "Raises ValueError" in doc and "empty text" in doc
    assert ("CCYYMMDD" in doc) == (function in ("build_aperak", "build_aperak_for", "build_answer"))
    assert ("Completion fills" in doc) != function.startswith("build_contrl")


@pytest.mark.parametrize(("function", "keywords"), [
    ("build_aperak", ["on", "release", "pruefidentifikator", "acw_ref", "error_code", "error_text", "message_ref",
                      "document_date", "document_code"]),
    ("build_aperak_for", ["on", "release", "error_code", "error_text", "pruefidentifikator", "message_ref",
                          "message_index"]),
    ("build_answer", ["on", "release", "message_ref", "document_date", "document_code", "antwort_code",
                      "antwort_ebd", "process_dates", "references", "free_texts", "message_index"]),
])
def test_signatures_stay_as_registered(function, keywords):
    parameters = inspect.signature(getattr(native, function)).parameters
    assert [name for name, p in parameters.items() if p.kind is inspect.Parameter.KEYWORD_ONLY] == keywords
