"""Facts about the built-in set that other parts of the system rely on."""

import re


class ContentError(Exception):
    pass


def _afs(docs, static):
    return {a.get("pid"): a for a in docs[static][1]["anwendungsfaelle"]}


def _segments(mig):
    out = []

    def walk(nodes):
        for n in nodes:
            if "group" in n and "children" in n:
                out.append(n)
                walk(n["children"])
            else:
                out.append(n)
    walk(mig["structure"])
    return out


def _nr(mig, tag, pred=lambda n: True):
    for n in _segments(mig):
        if n.get("tag") == tag and pred(n):
            return n["nr"]
    raise ContentError("%s has no %s" % (mig["message_type"], tag))


def _codes(n, de_id):
    for e in n.get("elements", []):
        for c in e.get("components", []) + [e]:
            if c["id"] == de_id and c.get("codes"):
                return [x["code"] for x in c["codes"]]
    return []


def _rule(af, nr, de_id):
    for r in af.get("elements", []):
        if r["nr"] == nr and r["de"] == de_id:
            return r
    return None


def _row(af, nr=None, group=None):
    for r in af["rows"]:
        if nr and r.get("nr") == nr:
            return r["status"]
        if group and r.get("group") == group:
            return r["status"]
    return None


def _required(cells):
    """One "Muss" cell whose conditions, if any, are all Hinweise: required whatever the message holds."""
    if not cells or len(cells) != 1 or cells[0].split()[0] != "Muss":
        return False
    refs = re.findall(r"\[([^\]]*)\]", cells[0])
    return all(r.isdigit() and 500 <= int(r) <= 899 for r in refs)


def check(cond, text):
    if not cond:
        raise ContentError(text)


def run(docs):
    for s in ("APERAK_FV20251001", "APERAK_FV20261001"):
        check({29001, 29002} <= set(_afs(docs, s)), "%s lacks 29001/29002" % s)
        afs = _afs(docs, s)
        check(afs[29001]["name"] == "Fehlermeldung" and afs[29002]["name"] == "Anerkennungsmeldung",
              "%s: APERAK PIDs swapped" % s)
    check(set(_afs(docs, "COMDIS_FV20260401")) & {29001, 29002}, "no PID shared by APERAK and COMDIS")
    # 2.1i keeps what its structure has beyond the 2.2 draft, and does not demand the header RFF+AGO
    mig, ahb = docs["APERAK_FV20251001"]
    errors = _afs(docs, "APERAK_FV20251001")[29001]
    for tag in ("CTA", "COM"):
        check(_row(errors, nr=_nr(mig, tag)) == ["Kann"], "APERAK 2.1i: %s of the sender is not permitted" % tag)
    acw = _nr(mig, "RFF", lambda n: "ACW" in _codes(n, "1153"))
    check(_required(_row(errors, group="SG5") or []) and _rule(errors, acw, "1153"), "APERAK 2.1i lacks SG5 RFF+ACW")
    header_ago = _nr(mig, "RFF", lambda n: "AGO" in _codes(n, "1153"))
    check(not _required(next(r["status"] for r in errors["rows"] if r.get("before") == header_ago)),
          "APERAK 2.1i demands the header RFF+AGO")
    # the draft's Ortsangabe of the rejected message carries its qualifier
    mig, ahb = docs["APERAK_FV20261001"]
    ftx = [n["nr"] for n in _segments(mig) if n.get("tag") == "FTX" and "Z02" in _codes(n, "4451")]
    check(len(ftx) == 2, "APERAK 2.2: an Ortsangabe FTX lacks Z02")

    for s in ("UTILMD_FV20251001", "UTILMD_FV20261001"):
        pids = set(_afs(docs, s))
        need = {55001, 55002, 55003, 55004, 55005, 55006, 55016, 55017, 55018, 55077, 55078, 55080}
        check(need <= pids, "%s lacks %s" % (s, sorted(need - pids)))
    for s, extra in (("UTILMD_FV20260401_GAS", set()), ("UTILMD_FV20261001_GAS", {44021})):
        pids = set(_afs(docs, s))
        need = set(range(44001, 44019)) | {44020} | extra
        check(need <= pids, "%s lacks %s" % (s, sorted(need - pids)))
    for s in ("UTILMD_FV20251001", "UTILMD_FV20261001", "UTILMD_FV20260401_GAS", "UTILMD_FV20261001_GAS"):
        mig = docs[s][0]
        order = [_codes(n, "1229") for n in _segments(mig) if n.get("tag") == "SEQ"]
        flat = [c[0] for c in order]
        # the gas MIGs have no Produktpaket
        check("Z79" not in flat or flat.index("Z79") + 1 == flat.index("ZH0"),
              "%s: SEQ Z79 and ZH0 must follow one another" % s)

    mig, ahb = docs["REMADV_FV20260401"]
    afs = _afs(docs, "REMADV_FV20260401")
    check(sorted(afs) == [33001, 33002, 33003, 33004], "REMADV PIDs")
    bgm = _nr(mig, "BGM")
    for pid, code in ((33001, "481"), (33002, "239"), (33003, "239"), (33004, "239")):
        r = _rule(afs[pid], bgm, "1001")
        check(r and r["operands"][0].get("code") == code, "REMADV %d BGM code" % pid)
        check(_required(_row(afs[pid], group="SG5")), "REMADV %d invoice reference" % pid)
        check(_required(_row(afs[pid], nr=_nr(mig, "DOC"))), "REMADV %d DOC" % pid)
    check(_required(_row(afs[33004], group="SG10")) and _required(_row(afs[33004], group="SG12")),
          "REMADV 33004 positions")

    for s in ("ORDRSP_FV20260401", "ORDRSP_FV20261001"):
        mig = docs[s][0]
        afs = _afs(docs, s)
        imd = _nr(mig, "IMD")
        for pid in (19011, 19012):
            check(_required(_row(afs[pid], nr=imd)), "%s %d IMD" % (s, pid))
            r = _rule(afs[pid], imd, "7081")
            check(r and all(o["operand"].split()[0] in ("X", "Muss", "M") for o in r["operands"]),
                  "%s %d IMD 7081" % (s, pid))
    for s, pid in (("ORDERS_FV20260401", 17115), ("ORDERS_FV20261001", 17115),
                   ("IFTSTA_FV20251001", 21039), ("IFTSTA_FV20261001", 21039)):
        mig = docs[s][0]
        r = _rule(_afs(docs, s)[pid], _nr(mig, "BGM"), "1001")
        check(r and any("code" in o for o in r["operands"]), "%s %d BGM code" % (s, pid))
    for s in ("QUOTES_FV20251001", "QUOTES_FV20261001"):
        mig = docs[s][0]
        af = _afs(docs, s)[15003]
        r = _rule(af, _nr(mig, "BGM"), "1001")
        check(r and [o.get("code") for o in r["operands"]] == ["Z57"], "%s 15003 BGM code" % s)
        check(_required(_row(af, nr=_nr(mig, "CTA"))) and _required(_row(af, nr=_nr(mig, "COM"))),
              "%s 15003 CTA/COM" % s)
    for s in ("IFTSTA_FV20251001", "IFTSTA_FV20261001"):
        nads = [(_codes(n, "3035") or [""])[0] for n in _segments(docs[s][0]) if n.get("tag") == "NAD"]
        check(nads.index("MR") < nads.index("MS"), "%s: NAD+MR after NAD+MS" % s)
    for s in ("MSCONS_FV20260401", "MSCONS_FV20261001"):
        check(any(n.get("tag") == "DTM" and n["name"].startswith("Beginn Messperiode")
                  for n in _segments(docs[s][0])), "%s: no Beginn Messperiode" % s)
    sg7 = [n for n in _segments(docs["INSRPT_FV20260101"][0]) if n.get("group") == "SG7"]
    check(sg7 and {"163", "164"} <= {(_codes(c, "2005") or [""])[0] for c in sg7[0]["children"]},
          "INSRPT SG7 DTM+163/164")
    a, b = docs["INVOIC_FV20260401"], docs["INVOIC_FV20261001"]
    check(a[0] != b[0] and a[1]["ahb_version"] != b[1]["ahb_version"], "the two INVOIC 2.8e profiles do not differ")
