#!/usr/bin/env python3
"""Lists what completion leaves in the UTILMD answers to requests: the segments of an answer's
Vorgang that neither the request nor an argument wrote, per answer PID, with the argument that
replaces each.

Run by hand against a built module; the build and the tests never call it:

    PYTHONPATH=<dir holding quorvane/> python3 tools/answer_placeholders.py [--on 2026-10-01 ...]

What is measured. Every Fristen record whose request and two answers are UTILMD, on every format
version whose Prüfidentifikatoren hold the request. Each request is built with build_utilmd
(completion fills the rest) for the first pair of parties it validates clean with, naming a
Marktlokation, a Messlokation, both or neither (gas: a Meldepunkt by its MaLo-ID, by a Zählpunkt,
both or neither; electricity also a Netzlokation, Steuerbare or Technische Ressource beside the Marktlokation); a
kind the request's column refuses is skipped. Each request is also surveyed as other systems may write it, with the
edited-request sweep's helpers (tests/python): its samples swapped for values of its own, then on top of that each
other code its column admits at each code of the Vorgang, each further group it admits (alone, and those it admits
only together), and all of them at once; an edit is found on the first request and made on both. Each answer PID is built with
build_answer bare and with every Antwortcode of its column: the trees the column lists are found by
asking for each tree of the catalogue (and each wire code list) with a code no tree publishes, which
the column refuses as unpublished only for a tree it lists; every code such a tree publishes is
tried, and those the column refuses for their cluster are not the column's. Where an Antwortcode
obliges a date, text or reference, or the request lacks a date the answer must confirm, the
refusal's advice is followed and the argument given. Where the answer needs a Lokation the request
does not name, the refusal's routes are followed as it writes them, for each of the two requests, an
ID of the form it names (one no request names) in place of each `...`: first its build_answer call,
the wanted Lokationen in `references`, whose answer is surveyed like any other build_answer answer;
then its build_utilmd call, whose answer is surveyed apart. Where a wanted Lokation has no reference
that names it, the refusal gives only the build_utilmd call. Other refusals, and refusals after the
advice was followed (either route's), are listed with the answers they stopped, and so are a route's
answers that do not validate clean.

How a placeholder is told. Completion is deterministic: its samples do not change with the input,
and what the request or an argument wrote does. Each answer is built twice, to two requests that
differ in every value the caller gives (Vorgangsnummer, Lokation IDs, and the request's own SG4
dates, a day apart) and with two sets of argument values. A segment of the answer's Vorgang (IDE up
to UNT, each keyed by the SEQ, NAD or SG6 RFF group it stands in) is completion's where it stands
alike in both answers, the request's Vorgang holds no such segment in such a group (the answer may
leave out elements the request filled), and it does not name one of the Lokationen the request names
(in a LOC or a reference) or a route put in (which the answer refers to by their IDs). So a value
taken from the request or an argument, moved or not, differs between the two builds and is not
counted, and a segment carried over as the request wrote it is the request's even where the request
had it from completion. Not counted either: the header
(UNH to the NADs of the parties), IDE, RFF+TN, RFF+Z13 naming the answer's own Prüfidentifikator, and
an STS+E01 whose code comes from a tree; an STS+E01 code that is one of completion's format samples
(X, A, 1) is counted. A group whose SEQ or NAD is completion's is listed with its segments under it.
An answer built with build_utilmd carries nothing over but what its call passes: every segment
alike in both builds is completion's there, but for the Lokationen passed and a segment the call
wrote as the request's Vorgang holds it (the request's Transaktionsgrund).

Which argument replaces a placeholder is tried, not assumed: the answer is built again (a route's
answer with the route's call) with the argument that writes that kind of segment (process_dates for
a DTM, references for an RFF, free_texts for an FTX, antwort_code for a sample code; for
build_utilmd the Vorgang's dates, references, customers, free_texts, bilanzkreis, antwort_dritter,
antwort_code or transaktionsgrund), given a value of the placeholder's form, and counts as replacing it where the answer then carries that value and not the
sample. "none" means no argument wrote it, or none exists for that segment.

Output, plain text: per answer PID its placeholders (with the request kinds and edits they stand in); one line per placeholder with the answer PIDs it
stands in and what replaces it; the same by kind (SG4 and SG6 segments, groups completion makes up,
their segments, segments completion adds to a group the request holds), tag and qualifier; the
refusals; the routes' answers that are not clean; the figures, with the answer PIDs each route built.
"""
import argparse
import ast
import collections
import datetime
import functools
import pathlib
import re
import sys

import quorvane._native as native

T = native.UtilmdTransaction
PAIRS = [("9900000000003", "9900000000010"), ("9800000000008", "9812345000007"),
         ("4012345000023", "4012345000016")]
# Two values of each kind the caller gives, one per build; none of them a sample of completion.
MALOS = ("50605869880", "12345678905")
ZAEHLPUNKTE = ("DE0032106765712000000000000000037", "DE0032106765712000000000000000045")
RESOURCES = {"nelo": ("E000000001", "E000000002"), "sr": ("C000000001", "C000000002"),
             "tr": ("D000000001", "D000000002")}
TEXTS = ("Begruendung eins", "Begruendung zwei")
REFERENCES = ("QREF1", "QREF2")
# A day's start in November: midnight in Berlin for electricity, 06:00 for the gas day.
DAY_START = {"STROM": "2300+00", "GAS": "0500+00"}
DAYS = ("20261105", "20261112")
# The values completion writes by format where it knows no better.
FORMAT_SAMPLES = {"X", "A", "1"}
KINDS = {"STROM": (("neither", ()), ("malo", ("malo",)), ("melo", ("melo",)), ("both", ("malo", "melo")),
                   ("malo and Netzlokation", ("malo", "nelo")), ("malo and Steuerbare Ressource", ("malo", "sr")),
                   ("malo and Technische Ressource", ("malo", "tr"))),
         "GAS": (("neither", ()), ("Meldepunkt MaLo-ID", ("172malo",)), ("Meldepunkt Zählpunkt", ("172zp",)),
                 ("both", ("172malo", "172zp")))}
ADVICE = re.compile(r"give (?:it|them|the date) as (process_dates|free_texts|references)=\[(.*)\]$")
PAIR = re.compile(r'\("([^"]+)", "([^"]*)"\)')
LOKATION_REFUSAL = "a Lokation the request does not name — "
# A Marktlokations-ID, a Zählpunktbezeichnung, or a resource's ID.
LOKATION_ID = re.compile(r"\d{11}|[A-Z]{2}[0-9A-Z]{31}|[CDE][0-9A-Z]{10}")
# The refusal's two routes: the build_answer call, then the build_utilmd call, each with the forms of
# the IDs that go in place of its `...` in turn.
ANSWER_ROUTE = re.compile(r"build such an answer with (build_answer\(received, .*?\)), in place of each \.\.\. in turn "
                          r"(.*?); or with build_utilmd\(")
UTILMD_ROUTE = re.compile(r"build_utilmd\((\d+), the request's recipient, its sender((?:, \w+=\"[^\"]*\")*), "
                          r"transactions=\[(UtilmdTransaction\(.*\))\]\), in place of each \.\.\. in turn (.*?)"
                          r"(?: \(its? (?:dates )?leaves? out .*)?$")
# IDs for the Lokationen the refusal asks for, by the form it names: the k-th of a form in build n,
# none of them a request's or a sample.
ADDED_IDS = {"Marktlokations-ID": lambda n, k: native.malo_from_base(f"71{n}{k:07d}"),
             "Zählpunktbezeichnung": lambda n, k: f"DE003210676571299000000000000{n}{k:03d}",
             "Netzlokations-ID": lambda n, k: native.resource_id_from_base("nelo", f"E7{n}{k:07d}"),
             "SR-ID": lambda n, k: native.resource_id_from_base("sr", f"C7{n}{k:07d}"),
             "TR-ID": lambda n, k: native.resource_id_from_base("tr", f"D7{n}{k:07d}")}


# --- messages --------------------------------------------------------------------------------------

def segments(message):
    text = message.decode("latin-1") if isinstance(message, bytes) else message
    return [segment for segment in re.split(r"(?<!\?)'", text) if segment]


def elements(segment):
    return [re.split(r"(?<!\?):", element) for element in re.split(r"(?<!\?)\+", segment)]


def qualifier(segment):
    parts = elements(segment)
    return parts[1][0] if len(parts) > 1 else ""


def vorgang_units(message):
    """(group, segment) for each segment from the first IDE to UNT; the group is the SEQ or NAD that
    opens the SG8 or SG12 group a segment stands in, the RFF of an SG6 group, else SG4."""
    units, group, inside = [], "SG4", False
    for segment in segments(message):
        tag = segment[:3]
        if tag in ("UNT", "UNZ"):
            break
        if tag == "IDE":
            inside, group = True, "SG4"
        if not inside:
            continue
        if tag in ("SEQ", "NAD"):
            group = f"{tag}+{qualifier(segment)}"
        elif tag == "RFF" and (group == "SG4" or group.startswith("RFF+")):
            group = f"RFF+{qualifier(segment)}"
        elif tag in ("LOC", "STS", "FTX", "IMD", "AGR") and group.startswith("RFF+"):
            group = "SG4"
        units.append((group, segment))
    return units


def lokationen(message):
    """(qualifier, ID) of each LOC of the message."""
    return [(elements(s)[1][0], elements(s)[2][0]) for s in segments(message) if s.startswith("LOC+")]


def named_lokationen(message):
    """The Lokation IDs a message names: in its LOCs, and in its references where the value has an ID's
    form (a request edited as other systems write it may name a Lokation only there)."""
    referred = [(elements(s)[1] + [""])[1] for s in segments(message) if s.startswith("RFF+")]
    return {value for _, value in lokationen(message)} | {value for value in referred if LOKATION_ID.fullmatch(value)}


def party(code):
    """A party ID with the UNB qualifier of its code list."""
    return code + ":" + {"99": "500", "98": "502"}.get(code[:2], "14")


def interchange(message, sender, receiver):
    return f"UNB+UNOC:3+{party(sender)}+{party(receiver)}+251101:1200+REF1'".encode() + message + b"UNZ+1+REF1'"


def clean(message, on, sender, receiver):
    return native.validate_edifact(interchange(message, sender, receiver), on).is_valid


# --- values ----------------------------------------------------------------------------------------

def shifted(value, form):
    """The date of a DTM value a day later (a day earlier where that leaves the month), time and zone
    kept, written as an argument takes it; None for a form other than 303 and 102."""
    text = value.replace("?+", "+")
    layout = {"303": ("%Y%m%d%H%M", 12), "102": ("%Y%m%d", 8)}.get(form)
    if layout is None or len(text) < layout[1]:
        return None
    day = datetime.datetime.strptime(text[:layout[1]], layout[0])
    later = day + datetime.timedelta(days=1)
    if later.month != day.month:
        later = day - datetime.timedelta(days=1)
    return later.strftime(layout[0]) + text[layout[1]:]


def advised_value(argument, layout, n, sparte):
    """The value of build n for an argument the advice names in the layout it gives; None where
    there is no telling one."""
    if argument == "free_texts":
        return TEXTS[n]
    if argument == "references":
        return REFERENCES[n]
    if layout == "CCYYMMDDHHMM+00":
        return DAYS[n] + DAY_START[sparte]
    if layout == "CCYYMMDD":
        return DAYS[n]
    return None


# --- requests --------------------------------------------------------------------------------------

def locations_of(kind, n):
    ids = {"malo": ("malo", MALOS), "melo": ("melo", ZAEHLPUNKTE), "172malo": ("172", MALOS),
           "172zp": ("172", ZAEHLPUNKTE)}
    return [(ids[name][0], ids[name][1][n]) if name in ids
            else (name, native.resource_id_from_base(name, RESOURCES[name][n])) for name in kind]


class Requests:
    """The two requests of a kind: the first as completion leaves it, the second with every value the
    caller gives changed; None where the request's column does not take that kind."""

    def __init__(self):
        self.parties = {}

    def build(self, pid, on, vorgang):
        pairs = [self.parties[(pid, on)]] if (pid, on) in self.parties else PAIRS
        for sender, receiver in pairs:
            try:
                built = native.build_utilmd(pid, sender, receiver, on=on, transactions=[vorgang])
            except ValueError:
                continue
            if clean(built, on, sender, receiver):
                self.parties[(pid, on)] = (sender, receiver)
                return built, sender, receiver
        return None

    def pair(self, pid, on, kind):
        first = self.build(pid, on, T("VG1", locations=locations_of(kind, 0)))
        if first is None:
            return None
        dates = []
        for group, segment in vorgang_units(first[0]):
            if group == "SG4" and segment.startswith("DTM+"):
                date_qualifier, value, form = (elements(segment)[1] + ["", ""])[:3]
                if shifted(value, form):
                    dates.append((date_qualifier, shifted(value, form)))
        second = self.build(pid, on, T("VG2", locations=locations_of(kind, 1), dates=dates)) if dates else None
        if second is None:
            second = self.build(pid, on, T("VG2", locations=locations_of(kind, 1)))
        if second is None:
            return None
        return first, second


# --- requests unlike our builder's -----------------------------------------------------------------

@functools.cache
def sweep():
    """The edited-request sweep's helpers, which write what other systems write into a request."""
    sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "python"))
    import test_answer_edited_requests as edited
    import test_answer_request_values as own
    return edited, own


def unwrapped(raw):
    return raw[raw.index(b"UNH+"):raw.index(b"UNZ+")]


def code_swaps(found, on):
    """(group head or None, segment, the segment with another code): every other code the request's column admits
    at each code of the Vorgang, SG4 and groups alike, where the request stays clean with it."""
    edited, _ = sweep()
    ide, end = edited.vorgang(found)
    head, swaps = None, []
    for at in range(ide + 1, end):
        opens_group = found[at].startswith(("SEQ+", "NAD+"))
        for element, value in enumerate(edited.split(found[at], "+")[1:], 1):
            for component, code in enumerate(edited.split(value, ":")):
                if not re.fullmatch(r"[A-Z][A-Z0-9]{1,2}|[0-9]{1,3}", code):
                    continue
                for other in edited.admitted(found, at, element, component, on):
                    changed = edited.with_component(found[at], element, component, other)
                    if other != code and not edited.errors_of(found[:at] + [changed] + found[at + 1:], on):
                        swaps.append((None if opens_group else head, found[at], changed))
        if opens_group:
            head = edited.key(found[at])
    return swaps


def variants(requests, on, sparte):
    """(edit, requests) of the pair as built, then with its samples swapped for values of its own, and on top of
    that with other codes the request's column admits at a place and with other groups it admits, one at a time and
    all together: each edit found on the first request and made on both where it keeps them clean."""
    edited, own = sweep()
    yield "as built", requests
    swapped = [own.with_own_values(interchange(*request), on) for request in requests]
    found = [edited.listed(raw) for raw in swapped]
    codes = [edited.swapping(*swap) for swap in code_swaps(found[0], on)]
    fits, sets = edited.additions(found[0], on, sparte)
    groups = [(edited.name_of(unit[1]), edited.adding(unit, on=on), ()) for unit in fits] + [
        ("+".join(edited.name_of(unit[1]) for unit in chosen), edited.adding(*chosen, on=on), ()) for chosen in sets]

    def made(label, changes):
        both = [edited.applied(segments, changes, on)[0] for segments in found]
        return label, tuple((unwrapped(edited.rebuilt(segments)), *request[1:])
                            for segments, request in zip(both, requests))

    yield made("own values", [])
    for label, changes in (("other codes", codes), ("other groups", groups)):
        yield from (made(label, [change]) for change in changes)
        if len(changes) > 1:
            yield made(label, changes)
    if codes and groups:
        yield made("other codes and groups", codes + groups)


# --- answers ---------------------------------------------------------------------------------------

class Case:
    """One answer PID to one request kind, edited or as built, with one Antwortcode (None: bare)."""

    def __init__(self, on, sparte, request_pid, answer_pid, kind, requests, code, tree, edit="as built"):
        self.on, self.sparte, self.request_pid, self.answer_pid = on, sparte, request_pid, answer_pid
        self.kind, self.requests, self.code, self.tree, self.edit = kind, requests, code, tree, edit

    def received(self, n):
        message, sender, receiver = self.requests[n]
        return interchange(message, sender, receiver)

    def where(self):
        return "\t".join((self.on, str(self.request_pid), self.kind, self.edit, self.code or "bare"))


class Answer:
    """An answer built twice: to the two requests, with the two sets of argument values."""

    def __init__(self, via, first, second, arguments, passed=(), route=None, call=None, errors=()):
        self.via, self.first, self.second, self.arguments = via, first, second, arguments
        # For an answer a Lokation refusal advised: the route, the Lokation IDs of both builds, the first
        # build's call as the refusal writes it (for build_utilmd also the Vorgangsnummer and the parties),
        # and the errors a validation finds in either build.
        self.passed, self.route, self.call, self.errors = passed, route, call, errors


def given(case, arguments, n):
    return {argument: [(q, advised_value(argument, layout, n, case.sparte)) for q, layout in pairs]
            for argument, pairs in arguments.items()}


def build(case):
    """The case's answers, both builds of each, as each refusal advised: where the answer needs a
    Lokation the request does not name, one per route the refusal gives, build_answer's first. A
    refusal as text, marked where it came after advice was followed."""
    arguments, followed = {}, False
    for _ in range(6):
        try:
            built = [native.build_answer(case.received(n), case.answer_pid, on=case.on, antwort_code=case.code,
                                         antwort_ebd=case.tree, **given(case, arguments, n)) for n in (0, 1)]
            return [Answer("build_answer", built[0], built[1], arguments)]
        except ValueError as refused:
            text = str(refused)
            advice = ADVICE.search(text)
            pairs = PAIR.findall(advice[2]) if advice else []
            if pairs and all(advised_value(advice[1], layout, 0, case.sparte) for _, layout in pairs):
                arguments.setdefault(advice[1], []).extend(pairs)
                followed = True
                continue
            if LOKATION_REFUSAL in text:
                return by_routes(case, arguments)
            return [("after advice: " if followed else "") + text]
    return ["advice followed six times without an answer"]


def refusal_of(case, arguments, n):
    """build_answer's refusal of request n, None where it builds."""
    try:
        native.build_answer(case.received(n), case.answer_pid, on=case.on, antwort_code=case.code,
                            antwort_ebd=case.tree, **given(case, arguments, n))
    except ValueError as refused:
        return str(refused)
    return None


def by_routes(case, arguments):
    """The answers the Lokation refusal advises, each route followed as written for both requests."""
    refusals = [refusal_of(case, arguments, n) for n in (0, 1)]
    if not all(refusal and LOKATION_REFUSAL in refusal for refusal in refusals):
        return [f"the two requests refused unlike: {refusals[0]} | {refusals[1]}"]
    answers = [by_build_answer(case, refusals)] if ANSWER_ROUTE.search(refusals[0]) else []
    return answers + ([by_build_utilmd(case, refusals)] if UTILMD_ROUTE.search(refusals[0]) or not answers else [])


def call_of(text):
    """(positional arguments, keyword arguments) of a call the refusal writes; a name (received) as None."""
    call = ast.parse(text, mode="eval").body
    positional = [None if isinstance(argument, ast.Name) else ast.literal_eval(argument) for argument in call.args]
    return positional, {keyword.arg: ast.literal_eval(keyword.value) for keyword in call.keywords}


def filled(pairs, lacking, n):
    """The pairs with each `...` replaced in turn by build n's ID of the form the refusal names, and the
    IDs put in."""
    forms, counts, out, added = iter(re.findall(r"the [^,]+?'s ([^,\s]+)", lacking)), collections.Counter(), [], []
    for q, value in pairs:
        if value is ...:
            form = next(forms, None)
            if form not in ADDED_IDS:
                raise ValueError(f"the refusal names no form of ID known here for a `...`: {form!r}")
            value = ADDED_IDS[form](n, counts[form])
            counts[form] += 1
            added.append(value)
        out.append((q, value))
    if next(forms, None) is not None:
        raise ValueError("the refusal names more IDs than its call has `...`")
    return out, added


def errors(case, built, n):
    """The errors a validation finds in the answer to request n."""
    _, sender, receiver = case.requests[n]
    report = native.validate_edifact(interchange(built, receiver, sender), case.on)
    found = [f"{f.rule_id}: {f.message}" for f in report.findings if f.is_error]
    return [] if report.is_valid else found or ["not valid"]


def by_build_answer(case, refusals):
    """The answer build_answer builds as the refusal's first route writes it."""
    built, passed, calls = [], [], []
    try:
        for n, refusal in enumerate(refusals):
            route = ANSWER_ROUTE.search(refusal)
            if route is None:
                raise ValueError(f"request {n}'s refusal gives no build_answer route")
            (_, answer_pid), call = call_of(route[1])
            call["references"], added = filled(call.get("references", []), route[2], n)
            built.append(native.build_answer(case.received(n), answer_pid, **call))
            passed += added
            calls.append(call)
    except ValueError as refused:
        return f"after the build_answer route: {refused}"
    found = errors(case, built[0], 0) or errors(case, built[1], 1)
    return Answer("build_answer", built[0], built[1], {}, tuple(passed), "build_answer route", calls[0], found)


def utilmd_built(case, call, **changes):
    """build_utilmd's answer as the call writes it, the changes made: a list's pairs of the qualifiers
    given replaced, another field set."""
    fields = dict(call["fields"])
    for name, value in changes.items():
        if isinstance(value, list):
            fields[name] = [pair for pair in fields.get(name, []) if pair[0] not in {q for q, _ in value}] + value
        else:
            fields[name] = value
    return native.build_utilmd(call["answer_pid"], call["sender"], call["receiver"],
                               transactions=[T(call["number"], **fields)], **call["keywords"])


def by_build_utilmd(case, refusals):
    """The answer build_utilmd writes as the refusal's build_utilmd route writes it."""
    built, passed, calls = [], [], []
    try:
        for n, refusal in enumerate(refusals):
            route = UTILMD_ROUTE.search(refusal)
            if route is None:
                raise ValueError(f"request {n}'s refusal gives no build_utilmd route")
            (number,), fields = call_of(route[3])
            fields["locations"], _ = filled(fields.get("locations", []), route[4], n)
            _, sender, receiver = case.requests[n]
            call = {"answer_pid": int(route[1]), "sender": receiver, "receiver": sender, "number": number,
                    "fields": fields, "keywords": call_of(f"f(x{route[2]})")[1]}
            built.append(utilmd_built(case, call))
            passed += [value for _, value in fields["locations"]]
            calls.append(call)
    except ValueError as refused:
        return f"after the build_utilmd route: {refused}"
    found = errors(case, built[0], 0) or errors(case, built[1], 1)
    return Answer("build_utilmd", built[0], built[1], {}, tuple(passed), "build_utilmd route", calls[0], found)


def said_by(unit, request_units):
    """Whether the request's Vorgang holds the unit's segment in such a group, maybe with more elements
    filled (the answer leaves out what its column does not take)."""
    group, segment = unit
    mine = elements(segment)
    for theirs_group, theirs in request_units:
        if theirs_group != group or theirs[:3] != segment[:3]:
            continue
        theirs = elements(theirs)
        if all(not value or (at < len(theirs) and part < len(theirs[at]) and theirs[at][part] == value)
               for at, element in enumerate(mine) for part, value in enumerate(element)):
            return True
    return False


def written_by_call(segment, call):
    """Whether build_utilmd's call wrote the segment: its Transaktionsgrund, or a date or reference it
    passes."""
    fields, parts = call["fields"], elements(segment) + [[""], [""], [""], [""]]
    if segment.startswith("STS+7+"):
        return parts[3][0] == fields.get("transaktionsgrund") and (
            parts[4][0] or None) == fields.get("transaktionsgrund_ergaenzung")
    pairs = {"DTM": fields.get("dates", []), "RFF": fields.get("references", [])}.get(segment[:3], [])
    value = (parts[1] + [""])[1].replace("?+", "+").replace("?:", ":")
    return (parts[1][0], value) in pairs


def placeholders(case, answer):
    """The units of the answer's Vorgang that are completion's, in order."""
    request = case.requests[0][0]
    request_units = vorgang_units(request)
    said = [] if answer.via == "build_utilmd" else request_units
    named = named_lokationen(request) | set(answer.passed)
    second = set(vorgang_units(answer.second))
    found = []
    for group, segment in vorgang_units(answer.first):
        if segment.startswith(("IDE+", "RFF+TN:")) or segment == f"RFF+Z13:{case.answer_pid}":
            continue
        parts = elements(segment)
        if segment.startswith("STS+E01+") and (len(parts) < 4 or parts[3][0] not in FORMAT_SAMPLES):
            continue
        if (group, segment) not in second or said_by((group, segment), said):
            continue
        if answer.via == "build_utilmd" and written_by_call(segment, answer.call) and said_by(
                (group, segment), request_units):
            continue
        if any(value in named for element in parts[1:] for value in element):
            continue
        found.append((group, segment))
    return found


# --- what replaces a placeholder ------------------------------------------------------------------

def candidates(case, segment):
    """Values of the placeholder's form for the argument that writes it."""
    tag, parts = segment[:3], elements(segment)
    if tag == "DTM":
        value, form = (parts[1] + ["", ""])[1:3]
        later = shifted(value, form)
        return ([later] if later else []) + [DAYS[0] + DAY_START[case.sparte], DAYS[0]]
    if tag == "RFF":
        return [REFERENCES[0], str(case.request_pid), MALOS[0], ZAEHLPUNKTE[0]]
    if tag == "FTX":
        return [TEXTS[0]]
    return []


def shows(built, group, segment, value):
    units = vorgang_units(built)
    written = value.replace("+", "?+")
    return (group, segment) not in units and any(
        unit[1].startswith(segment[:3] + "+" + qualifier(segment)) and written in unit[1] for unit in units)


def answered_again(case, answer, argument=None, pair=None, **fields):
    """The first build of a build_answer answer again, the fields set and the pair given in the argument
    in place of its pairs of that qualifier (but for a Lokation's ID the refusal's route put in)."""
    if answer.call is not None:
        arguments = dict(answer.call)
    else:
        arguments = {"on": case.on, "antwort_code": case.code, "antwort_ebd": case.tree,
                     **given(case, answer.arguments, 0)}
    arguments.update(fields)
    if argument:
        arguments[argument] = [given_pair for given_pair in arguments.get(argument, [])
                               if given_pair[0] != pair[0] or given_pair[1] in answer.passed] + [pair]
    return native.build_answer(case.received(0), case.answer_pid, **arguments)


def replacing(case, answer, group, segment):
    """The argument that replaces the placeholder, or "none"."""
    if answer.via == "build_utilmd":
        return replacing_in_utilmd(case, answer, group, segment)
    tag, q = segment[:3], qualifier(segment)
    if tag == "STS" and q == "E01":
        named = (elements(segment)[3] + [None])[1]
        try:
            built = answered_again(case, answer, antwort_code="A01", antwort_ebd=case.tree or named)
        except ValueError:
            return "none"
        return "antwort_code" if shows(built, group, segment, "A01") else "none"
    argument = {"DTM": "process_dates", "RFF": "references", "FTX": "free_texts"}.get(tag)
    if argument is None:
        return "none"
    for value in candidates(case, segment):
        try:
            built = answered_again(case, answer, argument, (q, value))
        except ValueError:
            continue
        if shows(built, group, segment, value):
            return argument
    return "none"


def replacing_in_utilmd(case, answer, group, segment):
    tag, q = segment[:3], qualifier(segment)
    tries = []
    if group == "SEQ+Z79":
        tries = [("bilanzkreis", "11XVE-TEST-BKV1", "11XVE-TEST-BKV1")]
    elif tag == "STS" and q == "Z35":
        tries = [("antwort_dritter", "A01", "A01")]
    elif tag == "STS" and q == "E01":
        tries = [("antwort_code", "A01", "A01")]
    elif tag == "STS" and q == "7":
        return transaktionsgrund_in_utilmd(case, answer, segment)
    elif tag == "NAD":
        tries = [("customers", [(q, "9900000000027")], "9900000000027")]
    else:
        field = {"DTM": "dates", "RFF": "references", "FTX": "free_texts"}.get(tag)
        tries = [(field, [(q, value)], value) for value in candidates(case, segment)] if field else []
    for field, value, written in tries:
        try:
            built = utilmd_built(case, answer.call, **{field: value})
        except (ValueError, TypeError):
            continue
        if shows(built, group, segment, written):
            return f"{field} (build_utilmd)"
    return "none"


def transaktionsgrund_in_utilmd(case, answer, segment):
    """Whether the Vorgang's transaktionsgrund writes the STS+7: with the request's Grund and
    Ergänzung where the answer's column takes them, else with the sample's own."""
    theirs = next((s for g, s in vorgang_units(case.requests[0][0]) if s.startswith("STS+7+")), None)
    for sts in filter(None, (theirs, segment)):
        parts = elements(sts) + [[""], [""], [""]]
        grund, ergaenzung = parts[3][0], parts[4][0] or None
        try:
            built = utilmd_built(case, answer.call, transaktionsgrund=grund,
                                 transaktionsgrund_ergaenzung=ergaenzung)
        except ValueError:
            continue
        if any(unit[1] == sts for unit in vorgang_units(built)):
            return "transaktionsgrund (build_utilmd)"
    return "none"


# --- the column's codes -----------------------------------------------------------------------------

def catalogue():
    """Tree or wire list name: the codes published under it."""
    trees = collections.defaultdict(list)
    for name in native.entscheidungsbaeume():
        for code in native.antwort_codes(name):
            trees[name].append(code.code)
            if code.wire_codeliste and code.wire_codeliste != name:
                trees[code.wire_codeliste].append(code.code)
    return trees


def column_codes(case, trees):
    """(tree, code) for every code of every tree the answer's column lists."""
    listed = []
    for tree in trees:
        try:
            native.build_answer(case.received(0), case.answer_pid, on=case.on, antwort_code="ZZZ", antwort_ebd=tree)
        except ValueError as refused:
            if "does not publish" in str(refused):
                listed.append(tree)
    return [(tree, code) for tree in listed for code in dict.fromkeys(trees[tree])]


# --- the survey -------------------------------------------------------------------------------------

def is_utilmd(pid):
    return pid is not None and (44000 <= pid < 45000 or 55000 <= pid < 56000)


def records(versions):
    for version in versions:
        on = version.removeprefix("FV")
        for record in native.antwort_obligations():
            pids = (record.trigger_pid, record.bestaetigung_pid, record.ablehnung_pid)
            if not all(map(is_utilmd, pids)):
                continue
            sparte = "GAS" if record.trigger_pid < 50000 else "STROM"
            known = native.pruefidentifikatoren("UTILMD", on, sparte)
            if record.trigger_pid in known:
                yield on, sparte, record.trigger_pid, [pid for pid in pids[1:] if pid in known]


class Survey:
    def __init__(self):
        self.seen = collections.defaultdict(lambda: collections.defaultdict(set))  # answer PID: unit: where
        self.replaced = {}  # (answer PID, unit): argument
        self.refusals = collections.defaultdict(set)  # refusal: (answer PID, code)
        self.figures = collections.Counter()
        self.built = collections.defaultdict(set)  # how built: answer PIDs
        self.unclean = collections.defaultdict(set)  # route and errors: (answer PID, code)
        self.routed = set()  # (answer PID, unit) found in an answer a Lokation refusal's route built

    def run(self, versions):
        requests_of, trees, done = Requests(), catalogue(), set()
        for on, sparte, request_pid, answer_pids in records(versions):
            for answer_pid in answer_pids:
                if (on, request_pid, answer_pid) in done:
                    continue
                done.add((on, request_pid, answer_pid))
                codes = None
                for kind, names in KINDS[sparte]:
                    requests = requests_of.pair(request_pid, on, names)
                    if requests is None:
                        self.figures["requests of a kind the request's column refuses"] += 1
                        continue
                    self.figures["answers asked for (answer PID, version, request kind)"] += 1
                    if codes is None:
                        codes = column_codes(Case(on, sparte, request_pid, answer_pid, kind, requests, None, None),
                                             trees)
                    for edit, edited in variants(requests, on, sparte):
                        self.figures[f"requests edited: {edit}"] += 1
                        for tree, code in [(None, None)] + codes:
                            self.measure(Case(on, sparte, request_pid, answer_pid, kind, edited, code, tree, edit))
        return self

    def measure(self, case):
        for answer in build(case):
            if isinstance(answer, str):
                if "asks for cluster" in answer:
                    self.figures["codes of a listed tree the column refuses for their cluster"] += 1
                else:
                    self.figures["builds refused"] += 1
                    self.refusals[refusal_kind(answer)].add((case.answer_pid, case.code or "bare"))
                continue
            self.figures[f"answers built with {answer.via} (each twice)"] += 1
            self.built[f"built with {answer.via}"].add(case.answer_pid)
            if answer.route:
                self.figures[f"answers built by the Lokation refusal's {answer.route} (each twice)"] += 1
                self.built[f"built by the Lokation refusal's {answer.route}"].add(case.answer_pid)
            if answer.errors:
                self.unclean[refusal_kind(f"{answer.route}: {'; '.join(answer.errors)}")].add(
                    (case.answer_pid, case.code or "bare"))
            for group, segment in placeholders(case, answer):
                unit = (answer.via, group, segment)
                self.seen[case.answer_pid][unit].add(case.where())
                if answer.route:
                    self.routed.add((case.answer_pid, unit))
                if (case.answer_pid, unit) not in self.replaced:
                    self.replaced[(case.answer_pid, unit)] = replacing(case, answer, group, segment)


def refusal_kind(text):
    text = re.sub(r'"[^"]*"', '"…"', text)
    text = re.sub(r"\b\d{5}\b", "#####", text)
    return text[:300]


# --- the report -------------------------------------------------------------------------------------

EDITS = ("as built", "own values", "other codes", "other groups", "other codes and groups")


def spans(wheres):
    """Versions, bare or codes, request kinds and their edits of a placeholder's occurrences."""
    split = [where.split("\t") for where in wheres]
    versions = sorted({w[0] for w in split})
    codes = {w[4] for w in split}
    kinds = sorted({w[2] for w in split})
    edits = sorted({w[3] for w in split}, key=EDITS.index)
    if codes == {"bare"}:
        said = "bare"
    else:
        said = "bare and codes" if "bare" in codes else "codes " + ",".join(sorted(codes))
    return f"{' '.join(versions)}; {said}; requests {'/'.join(kinds)} ({'/'.join(edits)})"


def opens(unit):
    _, group, segment = unit
    return segment.startswith(("SEQ+", "NAD+")) and group == f"{segment[:3]}+{qualifier(segment)}"


KINDS_OF_PLACEHOLDER = ("SG4 and SG6 segments", "groups completion makes up (by their SEQ or NAD)",
                        "segments of the groups completion makes up",
                        "segments completion adds to a group the request holds")


def kind_of(unit, units):
    """Which of KINDS_OF_PLACEHOLDER the unit is, among the units of its answer PID."""
    if opens(unit):
        return KINDS_OF_PLACEHOLDER[1]
    if any(opens(other) and other[:2] == unit[:2] for other in units):
        return KINDS_OF_PLACEHOLDER[2]
    if unit[1].startswith(("SEQ+", "NAD+")):
        return KINDS_OF_PLACEHOLDER[3]
    return KINDS_OF_PLACEHOLDER[0]


def in_order(units):
    """(unit, depth): a group's opening segment, then the others of that group under it."""
    out, opened = [], set()
    for unit in sorted(units, key=lambda u: (u[0], not opens(u), u[1], u[2])):
        if opens(unit):
            opened.add(unit[:2])
    for unit in sorted(units, key=lambda u: (u[0], u[1] != "SG4", u[1], not opens(u), u[2])):
        out.append((unit, 1 if unit[:2] in opened and not opens(unit) else 0))
    return out


def report(survey):
    seen, replaced = survey.seen, survey.replaced
    print("Placeholders per answer PID: [builder] group | segment: versions; bare or codes; request kinds (edits); "
          "replaced by")
    per_unit = collections.defaultdict(set)
    for answer_pid in sorted(seen):
        print(f"\n{answer_pid}")
        for unit, depth in in_order(seen[answer_pid]):
            via, group, segment = unit
            routed = "; also by the Lokation refusal's route" if (answer_pid, unit) in survey.routed else ""
            print(f"{'  ' * (depth + 1)}[{via}] {group} | {segment}: {spans(seen[answer_pid][unit])}; "
                  f"replaced by {replaced[(answer_pid, unit)]}{routed}")
            per_unit[unit].add((answer_pid, replaced[(answer_pid, unit)]))

    print("\nPlaceholders: [builder] group | segment: answer PIDs; replaced by")
    for unit in sorted(per_unit, key=lambda u: (u[0], u[2][:3], u[1], u[2])):
        via, group, segment = unit
        pids = sorted({pid for pid, _ in per_unit[unit]})
        by = sorted({argument for _, argument in per_unit[unit]})
        print(f"  [{via}] {group} | {segment}: {', '.join(map(str, pids))}; replaced by {' / '.join(by)}")

    print("\nBy kind, tag and qualifier: [builder] segment: answer PIDs; replaced by")
    kinds = collections.defaultdict(lambda: collections.defaultdict(set))
    for answer_pid, units in seen.items():
        for unit in units:
            found = kinds[kind_of(unit, units)][(unit[0], f"{unit[2][:3]}+{qualifier(unit[2])}")]
            found.add((answer_pid, replaced[(answer_pid, unit)]))
    for kind in KINDS_OF_PLACEHOLDER:
        print(f"  {kind}")
        for (via, tag), found in sorted(kinds[kind].items()):
            pids = sorted({pid for pid, _ in found})
            by = sorted({argument for _, argument in found})
            print(f"    [{via}] {tag}: {', '.join(map(str, pids))}; replaced by {' / '.join(by)}")

    for title, listed in (("Refusals (not followed, or after the advice was followed)", survey.refusals),
                          ("Answers not clean after a Lokation refusal's route was followed", survey.unclean)):
        print(f"\n{title}")
        for text, where in sorted(listed.items(), key=lambda item: -len(item[1])):
            answers = collections.defaultdict(set)
            for answer_pid, code in where:
                answers[answer_pid].add(code)
            pids = "; ".join(f"{pid} {','.join(sorted(codes))}" for pid, codes in sorted(answers.items()))
            print(f"  {text}\n      answers: {pids}")

    print("\nFigures")
    for name, count in sorted(survey.figures.items()):
        print(f"  {count:6d}  {name}")
    for how, pids in sorted(survey.built.items()):
        print(f"  {len(pids):6d}  answer PIDs {how}: {', '.join(map(str, sorted(pids)))}")
    print(f"  {len(seen):6d}  answer PIDs with a placeholder")
    print(f"  {len(per_unit):6d}  distinct placeholders ([builder] group | segment)")
    print(f"  {sum(len(units) for units in seen.values()):6d}  placeholders, each counted once per answer PID")
    counts = collections.Counter((unit[0], kind_of(unit, units)) for units in seen.values() for unit in units)
    for via in sorted({via for via, _ in counts}):
        print(f"  placeholders in answers built with {via}, each counted once per answer PID:")
        for kind in KINDS_OF_PLACEHOLDER:
            print(f"    {counts[(via, kind)]:6d}  {kind}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--on", action="append", help="a format version's first day (default: every version)")
    args = parser.parse_args()
    versions = [f"FV{on}" for on in args.on] if args.on else native.format_versions()
    report(Survey().run(versions))
    return 0


if __name__ == "__main__":
    sys.exit(main())
