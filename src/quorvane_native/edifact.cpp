#include "quorvane_native/edifact.hpp"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quorvane_native/edifact/build_answer.hpp"
#include "quorvane_native/edifact/build_aperak.hpp"
#include "quorvane_native/edifact/build_check.hpp"
#include "quorvane_native/edifact/build_contrl.hpp"
#include "quorvane_native/edifact/build_interchange.hpp"
#include "quorvane_native/edifact/build_mscons.hpp"
#include "quorvane_native/edifact/build_utilmd.hpp"
#include "quorvane_native/edifact/input_classes.hpp"
#include "quorvane_native/edifact/plain_builds.hpp"
#include "quorvane_native/edifact/report_classes.hpp"
#include "quorvane_native/edifact/segment_room.hpp"
#include "quorvane_native/edifact/reader_limits.hpp"
#include "quorvane_native/edifact/validate.hpp"
#include "quorvane_native/py/function.hpp"

namespace quorvane_native::edifact {

namespace {

constexpr py::Function functions[] = {
    {"validate_edifact", "(raw, on)",
     "Parse and fully validate an EDIFACT interchange against MIG, AHB and semantic rules.\n\n"
     "`on` (an ISO 8601 date) selects the BDEW format version in force, as the production ingest path does. "
     "It is required: a default of \"today\" would make the same check mean different things in different "
     "months.\n\n"
     "Accepts a whole interchange (UNB to UNZ) or a bare message (UNH to UNT), the form the builders return. "
     "Raises ValueError when the bytes cannot be parsed as EDIFACT at all, and RuntimeError when a message "
     "cannot be validated (no release, or one without a profile on `on`), naming a message of an interchange "
     "by its index and UNH reference; rule violations come back as findings in the report, not as exceptions.",
     validate_edifact},
    {"build_utilmd",
     "(pruefidentifikator, sender, receiver, *, on=None, release=None, sparte=None, message_ref=\"1\", "
     "document_date=None, document_code=None, references=None, transactions=None)",
     "Build one UTILMD message (UNH…UNT) from its Vorgänge, completed to the AHB column of "
     "`pruefidentifikator`.\n\n"
     "The release is resolved from the profile active on `on` (`sparte` \"STROM\" or \"GAS\" selecting the "
     "track; without it the Prüfidentifikator names it, 55xxx Strom and 44xxx Gas), or pinned with `release` for "
     "tests across format versions. `document_code` defaults to the BGM code the column prescribes (\"E01\" "
     "where it names none). `references` are message-level (qualifier, value) pairs, `transactions` a list of "
     "UtilmdTransaction. The result is a message, not an interchange (wrap it with build_interchange); where a "
     "profile carries the release it is one the column accepts, unless the column cannot be met at all, and "
     "what the column would reject is a ValueError instead (below).\n\n"
     "`document_date` is written as given (CCYYMMDD, or CCYYMMDDHHMM with an optional zone); without it `on` "
     "is the document date, and without both the current UTC time. "
     "Completion to the column fills what the column requires and the arguments do not give, with sample "
     "values: the first code the column admits, document numbers \"DOK\" and references \"REF\" followed by "
     "the Prüfidentifikator, the Marktlokation 51238696781, the name \"Mustermann\" at \"Musterstr. 1\", "
     "10115 Berlin, the e-mail address \"info@example.de\", the telephone 0301234567, amounts 10.00, the "
     "date 2026-10-01 and the text \"Text\". It never changes a value that was given. Where a Vorgang gives "
     "Lokationen, the sample Lokationen completion would add beside them, and the groups that refer to them, are "
     "left out where the column can do without them.\n\n"
     "A `pruefidentifikator` that the release's profile has no Anwendungsfall for is a ValueError naming it and the "
     "release (a release no profile carries is built as written); so is a text too long for an EDIFACT "
     "segment, naming its argument, and so is a message that would hold more segments or bytes than "
     "validate_edifact reads in one interchange, naming the list that made it so large. "
     "A value given that the column does not admit is a ValueError naming its argument by its index path (such "
     "as transactions[2].bilanzkreis), with the column's own finding; "
     "a fault no argument causes is completion's to mend, and where it cannot, a ValueError quotes the column's "
     "finding, unless the column cannot be met at all (such a message is returned as completion leaves it).\n\n"
     "Raises TypeError for an argument of the wrong type (naming it), OverflowError naming "
     "`pruefidentifikator` when it does not fit 32 bits, ValueError when neither `release` nor `on` is given, "
     "when `on` is no ISO 8601 date or when no profile is in force on it, "
     "for a Prüfidentifikator outside 10000-99999, an unknown location type or a free text outside ISO 8859-1, "
     "for an empty text where the column requires a value (`message_ref`, `document_code`, a qualifier or value "
     "of `references`, or a field of a UtilmdTransaction that the build writes, named as "
     "transactions[i].field), and, naming `references` and listing what the column admits, for a message-level "
     "reference whose qualifier the column has no place for outside a Vorgang (such as ACW, Z13 or TN); "
     "RuntimeError when completion finds no place for a segment that no optional argument wrote.",
     with_texts_that_fit<checked_by_column<within_reader_limits<build_utilmd>>>},
    {"build_mscons",
     "(pruefidentifikator, sender, receiver, metering_point, quantities=None, *, intervals=None, on=None, "
     "release=None, message_ref=\"1\", document_date=None, obis=None)",
     "Build one MSCONS message (UNH…UNT) with the metered values of one metering point, completed to the AHB "
     "column of `pruefidentifikator`.\n\n"
     "`quantities` are (qualifier, value, unit) triples such as (\"220\", \"1234.567\", \"KWH\"), each a summed or "
     "point-in-time figure, the unit written where the column has a place for it and empty for none; "
     "`intervals` are (qualifier, value, unit, start, end) quintuples whose start and end "
     "are EDIFACT format 303 texts (CCYYMMDDHHMMZZZ). Interval data must use `intervals`: a bare QTY carries no "
     "time reference, so a receiver cannot place it on the settlement grid, and the AHB alone does not catch "
     "that. The release is the one in force on `on` unless `release` pins it.\n\n"
     "The column decides where the point goes: the NAD that opens its group (DP, DED or Z15), the LOC "
     "qualifier that names it (172 Meldepunkt, Z04 Profil, Z06 Profilschar, 107 Bilanzierungsgebiet) and the "
     "BGM message function (1 for the Storno 13006, whose LOC carries no ID: pass an empty `metering_point` "
     "and no values there). An OBIS code is written with the product-code qualifier SRW, or Z02 where the "
     "column admits only that.\n\n"
     "`document_date` is written as given (CCYYMMDD, or CCYYMMDDHHMM with an optional zone); without it `on` "
     "is the document date, and without both the current UTC time. "
     "Completion to the column fills what the column requires and the arguments do not give, with sample "
     "values: the first code the column admits, document numbers \"DOK\" and references \"REF\" followed by "
     "the Prüfidentifikator (also the RFF+ACW of a Storno), the Marktlokation 51238696781, the name "
     "\"Mustermann\", the e-mail address \"info@example.de\", amounts 10.00 and the date 2026-10-01. It never "
     "changes a value that was given.\n\n"
     "A `pruefidentifikator` that the release's profile has no Anwendungsfall for is a ValueError naming it and the "
     "release (a release no profile carries is built as written); so is a text too long for an EDIFACT "
     "segment, naming its argument, and so is a message that would hold more segments or bytes than "
     "validate_edifact reads in one interchange, naming the list that made it so large. "
     "A value given that the column does not admit is a ValueError naming its argument by its index path (such "
     "as intervals[3], an interval whose start lies after its end), with the column's own finding; "
     "a fault no argument causes is completion's to mend, and where it cannot, a ValueError quotes the column's "
     "finding, unless the column cannot be met at all (such a message is returned as completion leaves it).\n\n"
     "Raises TypeError for an argument of the wrong type (naming it), OverflowError naming `pruefidentifikator` "
     "when it does not fit 32 bits, ValueError when neither `release` nor `on` is given, when `on` is no ISO "
     "8601 date or no profile is in force on it, for a Prüfidentifikator outside 10000-99999, an invalid OBIS "
     "code (naming `obis`), no quantity at all, bare quantities on a Lastgang column or a tuple of the wrong "
     "length, for an empty `message_ref` or an empty qualifier, value, start or end in a tuple (an empty unit "
     "means no unit), and, naming the argument and listing what the column admits, for a value the column has "
     "no place for: a QTY qualifier or unit it does not admit (naming the tuple, such as quantities[1]; a unit "
     "where the column has no QTY DE 6411 at all), values or an OBIS code on a column without line items, "
     "intervals "
     "where its QTY has no Messperiode, an OBIS code where it names products from another code list, an empty "
     "`metering_point` or one where its LOC carries no ID. RuntimeError when completion finds no place for a "
     "segment that no optional argument wrote.",
     with_texts_that_fit<within_reader_limits<checked_by_column<build_mscons>>>},
    {"build_aperak",
     "(sender, receiver, *, on=None, release=None, pruefidentifikator=None, acw_ref=None, error_code=None, "
     "error_text=None, message_ref=\"1\", document_date=None, document_code=None)",
     "Build one APERAK message (UNH…UNT), completed to the AHB column its document code selects.\n\n"
     "An APERAK reports whether a received message could be processed: an AHB or semantic violation, a "
     "business rejection, or a positive Anerkennungsmeldung. A syntax failure is answered with a CONTRL "
     "instead (build_contrl): keep an AHB violation from being answered with a CONTRL and a broken envelope "
     "from being answered with an APERAK.\n\n"
     "`error_code` is the APERAK ERC. Supplying one selects BGM+313 (Verarbeitbarkeitsfehlermeldung) per BDEW "
     "APERAK AHB 1.0 §2.1.1; without it the message is a positive acknowledgement (BGM+312). `acw_ref` is the "
     "reference of the acknowledged message: it is written as RFF+ACE and RFF+AGO and, in the error block, "
     "RFF+AGO again and RFF+ACW where the release's structure has a place for it (2.1i, not 2.2). For the AHB "
     "error codes Z29, Z35, Z38, Z39, Z40 and Z41 the error block says where the fault lies (FTX+Z02): "
     "`error_text`, else the code.\n\n"
     "`document_date` is CCYYMMDD (CCYYMMDDHHMM and a format-303 value with its zone are taken as well); "
     "without it `on` gives the date, else the current UTC time. The reference date (DTM+171) repeats it.\n\n"
     "Completion fills what the AHB column requires and the arguments leave open, with sample values: without "
     "`acw_ref` the reference is REF29001 (Fehlermeldung) or REF29002 (Anerkennungsmeldung); a Fehlermeldung "
     "without `error_code` gets ERC+Z10. A value the caller gives is never changed.\n\n"
     "A text too long for an EDIFACT segment is a ValueError naming its argument, and so is a message that "
     "would hold more segments or bytes than validate_edifact reads in one interchange, naming the list that made "
     "it so large. "
     "A value given that the column does not admit is a ValueError naming its argument, with the column's own "
     "finding; "
     "a fault no argument causes is completion's to mend, and where it cannot, a ValueError quotes the column's "
     "finding, unless the column cannot be met at all (such a message is returned as completion leaves it).\n\n"
     "Raises ValueError for neither `release` nor `on`, an invalid `on`, a Prüfidentifikator outside "
     "10000–99999, a BGM code other than the one the Prüfidentifikator's column takes (naming `document_code` "
     "where it is given, else `pruefidentifikator`), an empty text argument (an optional one is left "
     "out instead), an `error_text` outside "
     "ISO 8859-1, or, naming `error_text` and what the column admits, an `error_text` that the column of the "
     "BGM code has no FTX for (a positive Anerkennungsmeldung) or that comes without the `error_code` whose "
     "error block holds it; RuntimeError when the message cannot be serialised, or when completion finds no "
     "place for a segment that no optional argument wrote; TypeError or OverflowError for an argument of "
     "the wrong type or range.",
     with_texts_that_fit<within_reader_limits<checked_by_column<build_aperak>>>},
    {"build_contrl",
     "(sender, receiver, interchange_ref, *, on=None, release=None, accept=True, message_ref=\"1\", "
     "action_code=None, syntax_error=None)",
     "Build one CONTRL message (UNH, UCI, UNT) acknowledging an interchange at the syntax level.\n\n"
     "Use it for a malformed envelope or an unparseable segment, and build_aperak for anything the AHB "
     "decides. `interchange_ref` is the UNB Datenaustauschreferenz of the acknowledged interchange. "
     "`accept=False` rejects the interchange (action code 4) with `syntax_error`, \"12\" unless given; "
     "`action_code` replaces the action code chosen from `accept`. The message is returned as written, "
     "without completion (nothing is filled in); wrap it with build_interchange. A CONTRL carries no document "
     "date of its own.\n\n"
     "A text too long for an EDIFACT segment is a ValueError naming its argument, and so is a message that "
     "would hold more segments or bytes than validate_edifact reads in one interchange, naming the list that made "
     "it so large.\n\n"
     "Raises ValueError for neither `release` nor `on`, an invalid `on`, or an empty text argument; "
     "RuntimeError when the message cannot be serialised; TypeError for an argument of the wrong type.",
     with_texts_that_fit<within_reader_limits<build_contrl>>},
    {"build_aperak_for",
     "(received, *, on=None, release=None, error_code=None, error_text=None, pruefidentifikator=None, "
     "message_ref=\"1\", message_index=0)",
     "Build the APERAK (UNH…UNT) that acknowledges one message of a received interchange.\n\n"
     "The parties (swapped), the references and the dates are derived from the received message, so "
     "that a simulated counterparty cannot get them wrong: its UNH reference becomes RFF+ACE (and RFF+ACW where "
     "the release's structure has a place for it, 2.1i), its document number (BGM DE 1004) RFF+AGO and its "
     "document date (DTM+137) the reference date DTM+171; a message without them (a CONTRL) is named by its UNH "
     "reference and the UNB date. The APERAK's own document date is the UNB date as CCYYMMDD, else the current "
     "UTC time. `message_index` selects the acknowledged message; an interchange with several messages needs "
     "one APERAK per message. `error_code` is the APERAK ERC: with one the message is a "
     "Verarbeitbarkeitsfehlermeldung (BGM+313), without it a positive acknowledgement (BGM+312).\n\n"
     "Completion fills what the AHB column requires and the arguments leave open, with sample values (the "
     "location FTX+Z02 of an AHB error code takes `error_text`, else the code). A value the caller gives is "
     "never changed.\n\n"
     "A text too long for an EDIFACT segment is a ValueError naming its argument, and so is a message that "
     "would hold more segments or bytes than validate_edifact reads in one interchange, naming the list that made "
     "it so large. "
     "A value given that the column does not admit is a ValueError naming its argument, with the column's own "
     "finding; one taken over from the received message (parties, references, dates) names `received`. "
     "A fault no argument causes is completion's to mend, and where it cannot, a ValueError quotes the column's "
     "finding, unless the column cannot be met at all (such a message is returned as completion leaves it).\n\n"
     "Raises ValueError for neither `release` nor `on`, bytes that are not a whole interchange, a "
     "`message_index` past its messages, a Prüfidentifikator outside 10000–99999 or one whose column takes "
     "the other BGM code, an empty text argument, "
     "an `error_text` outside ISO 8859-1, or an `error_text` that the column has no FTX for (without "
     "`error_code`); RuntimeError when the message cannot be serialised, or when completion finds no place for a "
     "segment that no optional argument wrote; "
     "TypeError or OverflowError for an argument of the wrong type or range.",
     with_texts_that_fit<within_reader_limits<checked_by_column<build_aperak_for>>>},
    {"build_contrl_for", "(received, *, on=None, release=None, accept=True, message_ref=\"1\")",
     "Build the CONTRL (UNH, UCI, UNT) that acknowledges a received interchange, with the parties and the "
     "Datenaustauschreferenz taken from its UNB.\n\n"
     "The header must parse: for bytes that are not EDIFACT at all no correlated CONTRL exists, and "
     "build_contrl with a caller-supplied reference is the fallback. `accept=False` rejects with syntax "
     "error \"12\". A CONTRL names the interchange, not a message's document number or date, and carries no "
     "document date of its own; it is returned as written, without completion.\n\n"
     "A text too long for an EDIFACT segment is a ValueError naming its argument, and so is a message that "
     "would hold more segments or bytes than validate_edifact reads in one interchange, naming the list that made "
     "it so large.\n\n"
     "Raises ValueError for neither `release` nor `on`, bytes that are not a whole interchange, or an empty "
     "text as `message_ref`; RuntimeError when the message cannot be serialised; TypeError for an argument of the "
     "wrong type.",
     with_texts_that_fit<within_reader_limits<build_contrl_for>>},
    {"build_answer",
     "(received, answer_pid, *, on=None, release=None, message_ref=\"1\", document_date=None, "
     "document_code=None, antwort_code=None, antwort_ebd=None, process_dates=None, references=None, "
     "free_texts=None, message_index=0)",
     "Build the UTILMD Antwortnachricht (Bestätigung or Ablehnung, UNH…UNT) to one UTILMD request of a "
     "received interchange, completed to the AHB column of `answer_pid`.\n\n"
     "The parties are swapped and the SG4 `IDE+24` Vorgangsnummer is echoed; the answer's `RFF+TN` is the "
     "request's Vorgangsnummer. The request's SG6 RFF references, SG5 LOC Lokationen, BGM code, Transaktionsgrund "
     "(STS+7 with its Ergänzung and befristet part) and DTM 92/93 stand in the answer where its column permits "
     "them in that answer, its conditions and repeat limits included; what the column does not permit there is "
     "left out, decided in each Vorgang on that Vorgang's own findings, so that an answer Vorgang is the same "
     "alone or beside others. Where the column has a place that the request's own Vorgang fills, the answer "
     "says what the request said there, not completion's sample: its dates by qualifier, its SG8 groups by "
     "SEQ qualifier (each segment inside by its qualifier) and its SG12 parties by NAD qualifier, in the "
     "answer wherever its column admits them, decided Vorgang by Vorgang; the request's own RFF+TN is not "
     "echoed. An SG8 reference to a Lokation names the Vorgang's own Lokation of that kind. The Lokationen, "
     "SG8 and SG12 groups completion would add beside these are left out wherever the column accepts the "
     "answer without them. `process_dates` "
     "and `references` of a qualifier replace the request's. A value the answer must carry that its column "
     "rejects for the value itself (a Marktlokation with a wrong check digit, a Zählpunkt where a MaLo-ID is "
     "needed, a Vorgangsnummer too long), a request date that is no date, a DTM 92/93 the answer must confirm "
     "that the request writes in a form the column rejects (format 102 where 303 is needed) or does not give "
     "and `process_dates` does not either, and a Lokation the column requires that neither the request nor "
     "`references` names are a ValueError naming `received`, the message index, the Vorgangsnummer and the value; so is a message "
     "without a Vorgang, and an answer that would hold more segments or bytes than validate_edifact reads in "
     "one interchange. A request date in another zone is confirmed as the same instant in +00. A faulty "
     "argument beside a refusal naming `received` is named first, but for one case: where the Vorgänge differ "
     "in more than names, addresses, IDs and free texts and `references` names a Lokation, build_answer first "
     "answers one Vorgang of each kind without the caller's Lokationen to learn which Vorgänge need them, and a "
     "fault of the request found there is named first, naming `received`; only a reference faulty in itself, "
     "such as an ID that is no ID of its kind, a reference the answer has no place for or a count of IDs the "
     "Vorgänge do not take, is named before it. A Lokation the request names anywhere, in a "
     "LOC or by its ID in a reference (such as RFF+Z19 under a party), is its own. One it does not name is given in "
     "`references` under the qualifier that refers to a Lokation of its kind (Z18 a Marktlokation's ID, Z19 a "
     "Messlokation's Zählpunktbezeichnung, Z32 a Netzlokation, Z38 a Steuerbare, Z37 a Technische Ressource, Z20 "
     "a Tranche; gas writes a Marktlokation and a Messlokation alike in LOC+172, the Meldepunkt), e.g. "
     "references=[(\"Z19\", \"DE0032106765712000000000000000037\")]: it stands in the Vorgang's SG5 where the "
     "column has a place for its kind and in every reference to a Lokation of that kind, and in SG6 only where the "
     "column has a place for that reference there. RFF+Z16 and RFF+Z50, which refer to a Marktlokation's data, stay "
     "references. A request of one Vorgang takes every given Lokation, as many of a kind as its column has room for "
     "in a Vorgang. Of several Vorgänge, a given Lokation of a kind goes to those that need one (whose answer's "
     "column requires a Lokation of that kind there, as when the Vorgang is answered alone, and that name none of "
     "it themselves) or, where none does, to those that name none of its kind: one given ID stands in each of them, "
     "and as many IDs as there are such Vorgänge stand one in each, the first in the first, in Vorgang order; it "
     "never stands beside or in place of a Vorgang's own Lokation of its kind. Any other count is a ValueError "
     "naming `references` and the counts it takes, and a Lokation that can stand in no Vorgang one naming it "
     "(references[i]); the same ID given twice stands once. A given Lokation whose ID is no ID of its kind, whose "
     "kind the column has no place for, that would make more of its kind in a Vorgang than the column has room "
     "for, or that the column does not take there, is a ValueError naming it (references[i]), before any refusal "
     "naming `received`: it is never left out. A Lokation the request names only in a reference stands in SG5 as "
     "a given one would, where the answer refers to its kind. Vorgänge whose answer needs a Lokation nobody names "
     "refuse the whole answer, naming exactly those Vorgänge and giving the build_answer call that names one for "
     "each in `references`, in Vorgang order, and, second, the build_utilmd call that writes the answer with "
     "them, one UtilmdTransaction for each Vorgang of the request (those needing nothing with their own values and "
     "Lokationen), with the caller's `on` or `release` and the other arguments it takes. The build_answer call is "
     "tried before it is given: a reference of the caller's that it refuses is named instead. The build_utilmd "
     "call is built once before it is given: a value of the request's or the caller's it refuses is left out of it "
     "and named, and so is what the request says that no UtilmdTransaction can (its parties' names and addresses, "
     "CCI and CAV groups, the befristet part of STS+7), which the build_answer call keeps; where it refuses "
     "anything else only the build_answer call is given. "
     "Under a `release` no profile carries there is no column to decide by: the answer takes over "
     "all of these as the request wrote them, uncompleted.\n\n"
     "`answer_pid` is not derived: which of the pair applies is the counterparty's decision. antwort_obligation "
     "gives the Bestätigung and Ablehnung of the request's Fristen record (bestaetigung_pid and ablehnung_pid "
     "return None for most requests with a Fristen record, such as 55013 or 55600).\n\n"
     "`antwort_code` and `antwort_ebd` render the `SG4 STS+E01` that the AHB marks Muss on every "
     "Antwortnachricht, e.g. antwort_code=\"A36\", antwort_ebd=\"E_0624\" for a Zustimmung to a Beendigung "
     "der Zuordnung. `antwort_ebd` is the Codeliste that DE 1131 names, AntwortCode.wire_codeliste (\"E_0623\", "
     "\"S_0090\"), not AntwortCode.tree: a tree's name that is no Codeliste of its codes (\"E_0200\") is a "
     "ValueError naming antwort_ebd and the Codeliste to give. Without them the answer carries a code of its own "
     "kind from the tree its column names, where the catalogue carries that tree (a Zustimmung in the Bestätigung "
     "of the request's Fristen record, an Ablehnung in its Ablehnung), and the placeholder `X` where it does not: "
     "give `antwort_code` there.\n\n"
     "`process_dates`, `references` and `free_texts` carry the answer's own content, e.g. process_dates="
     "[(\"93\", \"202611012300+00\")] for a confirmed Zuordnungsende. Each process date is given in the form "
     "its place in the column takes: where the place writes format 303 CCYYMMDDHHMM+00 (CCYYMMDDHHMM without "
     "a zone is taken as +00, CCYYMMDD as 0000+00, which a place asking for the start of a German day refuses; "
     "a zone other than +00 the column refuses), where it writes 102, 106 or 602 CCYYMMDD, MMDD or CCYY, and "
     "where it writes Z01 (DTM+Z01, the Kündigungsfrist) a period such as \"03MT\"; a value of none of these "
     "forms is a ValueError naming process_dates[Q], and one the column refuses names process_dates[i]. An "
     "Antwortcode can make one of them conditional-Muss: `A06` obliges `DTM+Z07` and `DTM+Z08`, and some codes oblige an `FTX+ACB` Erläuterung. "
     "What the given `antwort_code` obliges and no argument gives is a ValueError naming the argument that "
     "gives it (process_dates, free_texts or references), never completion's sample.\n\n"
     "`message_index` selects which message of the interchange is answered: every message is a separate "
     "Vorgang with its own Prüfidentifikator and needs its own answer.\n\n"
     "`document_date` is CCYYMMDD (CCYYMMDDHHMM and a format-303 value with its zone are taken as well); "
     "without it `on` gives the date, else the current UTC time. The BGM code is `document_code`, else the "
     "request's. The UTILMD answer refers to the request by its Vorgangsnummer and references; its structure "
     "has no place for the request's document number or date.\n\n"
     "Completion fills what the AHB column of `answer_pid` requires and neither the request nor the arguments "
     "fill, with sample values (such as the name \"Mustermann\", the text \"Text\", dates of 2026-10-01 and "
     "references REF<Prüfidentifikator>); it makes up no Lokation. A value the caller gives is never changed.\n\n"
     "An `answer_pid` that the release's profile has no Anwendungsfall for is a ValueError naming it and the "
     "release (a release no profile carries is built as written); so is a text too long for an EDIFACT "
     "segment, naming its argument. "
     "A value given that the column does not admit is a ValueError naming its argument by its index path (such "
     "as process_dates[0]), with the column's own finding; "
     "a fault no argument causes is completion's to mend, and where it cannot, a ValueError quotes the column's "
     "finding, unless the column cannot be met at all (such a message is returned as completion leaves it).\n\n"
     "Raises ValueError for neither `release` nor `on`, bytes that are not a whole interchange, a "
     "`message_index` past its messages or on a message that is not UTILMD, an `answer_pid` outside "
     "10000–99999, an empty text argument (or an empty qualifier or value in a pair), or a free text outside "
     "ISO 8859-1; RuntimeError when the message cannot be serialised, or when completion finds no place for a "
     "segment that no argument and no received value wrote; TypeError or OverflowError "
     "for an argument of the wrong type or range.",
     with_texts_that_fit<checked_by_column<build_answer>>},
    {"build_remadv",
     "(pruefidentifikator, sender, receiver, *, rechnungsnummer, faelliger_betrag, ueberweisungsbetrag, "
     "rechnungsdatum, dokumentenart=\"380\", on=None, release=None, kopf_gruende=None, positionsfehler=None, "
     "waehrung=None, message_ref=\"1\", document_id=None, document_date=None)",
     "Build a REMADV, the answer to an invoice.\n\n"
     "A Zahlungsavis confirms an INVOIC and states what will be transferred; a Rückmeldung refuses it and says "
     "why. The reason rides `AJT`: DE 4465 carries the Antwortcode, DE 1082 the EBD it is drawn from (the "
     "REMADV counterpart of UTILMD's `STS+E01`, required for the same reason: a rejection without its code gives "
     "the sender nothing to correct).\n\n"
     "The invoice reference is Muss on every use case: it names the invoice being answered (its `BGM` DE 1004) "
     "and the two amounts; `ueberweisungsbetrag` is \"0\" on a refusal. `kopf_gruende` are the Kopfebene "
     "`SG7 AJT`, `positionsfehler` the per-position `SG10`/`SG12`, which the AHB makes Muss on "
     "Prüfidentifikator 33004. The four invoice values are required and must not be empty: an empty one is a "
     "ValueError naming it.\n\n"
     "`document_date` is written as given (CCYYMMDD, or CCYYMMDDHHMM with an optional zone); without it `on` "
     "is the document date, and without both the current UTC time. "
     "Completion to the column fills what the column requires and the arguments do not give, with sample "
     "values: the first code the column admits, document numbers \"DOK\" and references \"REF\" followed by "
     "the Prüfidentifikator, the Marktlokation 51238696781, the name \"Mustermann\" at \"Musterstr. 1\", "
     "10115 Berlin, the e-mail address \"info@example.de\", the telephone 0301234567, amounts 10.00, the "
     "date 2026-10-01 and the text \"Text\". It never changes a value that was given.\n\n"
     "A `pruefidentifikator` that the release's profile has no Anwendungsfall for is a ValueError naming it and the "
     "release (a release no profile carries is built as written); so is a text too long for an EDIFACT "
     "segment, naming its argument, and so is a message that would hold more segments or bytes than "
     "validate_edifact reads in one interchange, naming the list that made it so large. "
     "A value given that the column does not admit is a ValueError naming its argument by its index path (such "
     "as positionsfehler[1].gruende[0]), with the column's own finding; "
     "a fault no argument causes is completion's to mend, and where it cannot, a ValueError quotes the column's "
     "finding, unless the column cannot be met at all (such a message is returned as completion leaves it).\n\n"
     "Raises TypeError for an argument of the wrong type (naming it), OverflowError naming "
     "`pruefidentifikator` when it does not fit 32 bits, ValueError when neither `release` nor `on` is given, "
     "when `on` is no ISO 8601 date or when no profile is in force on it, "
     "for an empty invoice value or an `erlaeuterung` outside ISO 8859-1, or, where the column requires a value, "
     "for an empty text among the other arguments, in a pair of `kopf_gruende` or in a Positionsfehler "
     "(named positionsfehler[Positionsnummer].field).",
     with_texts_that_fit<within_reader_limits<checked_by_column<build_remadv>>>},
    {"build_ordrsp",
     "(pruefidentifikator, sender, receiver, *, antwort_code=None, antwort_ebd=None, on=None, release=None, "
     "abonnement=None, adjustment_reason=None, document_code=None, document_id=None, references=None, "
     "line_item=False, item_description=None, message_ref=\"1\", document_date=None)",
     "Build an ORDRSP, the answer to an ORDERS in the WiM and ESA market communication.\n\n"
     "It is the third message on which an Antwortcode travels: `SG2 AJT` carries DE 4465 (the Prüfschritt code) "
     "and DE 1082 (the Entscheidungsbaum it belongs to), the same pair as REMADV's `AJT` and UTILMD's "
     "`SG4 STS+E01`. Without the EBD the receiver cannot resolve the code, since the same numeric code lives in "
     "several trees, which is why the answer-code catalogue is keyed on the pair.\n\n"
     "`abonnement` (`IMD+7081` with \"Z01\", \"Z02\" or \"Z03\") echoes the ORDERS being answered and selects "
     "the EBD that the `AJT` cites, so it is Muss on the Prüfidentifikatoren 19011 and 19012. `item_description` "
     "is the DE 7081 code of the Produkt-/Leistungsbeschreibung (`IMD++code`, such as \"Z13\" "
     "Werteermittlung), written after the Abonnement's `IMD`. True, or a text that is no DE 7081 code of the "
     "message's IMDs, asks for the IMD the column has beside the Abonnement's, written with the first code the "
     "column admits there, as completion would choose it (nothing more when the Abonnement's IMD is the only one "
     "and `abonnement` fills it); False or None means none. A code that no IMD of the column admits, or any "
     "value where the column has no IMD, is a ValueError naming it. Where no profile carries the release, a code "
     "of the message's IMDs is written as given, any other text writes no IMD, and True is a ValueError. `adjustment_reason` is written as the "
     "DE 4451 of an FTX beside the `AJT`, without a text: no published column has a place for it (the only FTX "
     "there is the Allgemeine Information FTX+AAP, whose text the argument does not carry), and a column without "
     "one refuses it with a ValueError naming it. "
     "`line_item` emits the `LIN` that "
     "the AHB requires on some Prüfidentifikatoren and carries no content of the caller's choosing.\n\n"
     "`document_date` is written as given (CCYYMMDD, or CCYYMMDDHHMM with an optional zone); without it `on` "
     "is the document date, and without both the current UTC time. "
     "Completion to the column fills what the column requires and the arguments do not give, with sample "
     "values: the first code the column admits, document numbers \"DOK\" and references \"REF\" followed by "
     "the Prüfidentifikator, the Marktlokation 51238696781, the name \"Mustermann\" at \"Musterstr. 1\", "
     "10115 Berlin, the e-mail address \"info@example.de\", the telephone 0301234567, amounts 10.00, the "
     "date 2026-10-01 and the text \"Text\". It never changes a value that was given.\n\n"
     "A `pruefidentifikator` that the release's profile has no Anwendungsfall for is a ValueError naming it and the "
     "release (a release no profile carries is built as written); so is a text too long for an EDIFACT "
     "segment, naming its argument, and so is a message that would hold more segments or bytes than "
     "validate_edifact reads in one interchange, naming the list that made it so large. "
     "A value given that the column does not admit is a ValueError naming its argument by its index path (such "
     "as references[0]), with the column's own finding; "
     "a fault no argument causes is completion's to mend, and where it cannot, a ValueError quotes the column's "
     "finding, unless the column cannot be met at all (such a message is returned as completion leaves it).\n\n"
     "Raises TypeError for an argument of the wrong type (naming it), OverflowError naming "
     "`pruefidentifikator` when it does not fit 32 bits, ValueError when neither `release` nor `on` is given, "
     "when `on` is no ISO 8601 date or when no profile is in force on it, "
     "when only one of `antwort_code` and `antwort_ebd` is given, for an empty text (also `antwort_ebd` and a "
     "qualifier or value of `references`), or an `item_description` or `adjustment_reason` the column does not "
     "admit.",
     with_texts_that_fit<within_reader_limits<checked_by_column<build_ordrsp>>>},
    {"build_orders",
     "(pruefidentifikator, sender, receiver, *, location=None, abonnement=None, ausfuehrungsdatum=None, "
     "on=None, release=None, document_code=None, document_id=None, references=None, item_description=None, "
     "message_ref=\"1\", document_date=None)",
     "Build an ORDERS, the WiM / ESA / Sperrung request.\n\n"
     "It is the message that `build_ordrsp` answers, so that the pair covers request and answer: a caller drives "
     "the request and feeds the counterparty's answer back. `location` names the object the order concerns, "
     "`abonnement` (`IMD+7081`) the subscription kind that an ESA Wertebestellung orders, and "
     "`ausfuehrungsdatum` the date on which a Sperrung or Entsperrung is to be carried out. `item_description` "
     "is the DE 7081 code of the Produkt-/Leistungsbeschreibung (`IMD++code`, such as \"Z13\" "
     "Werteermittlung); any other text (such as \"Zählerwechsel\") asks for the IMD the column has beside the "
     "Abonnement's and is not written: that IMD gets the first code the column admits there, as completion "
     "would choose it. A code of the message's IMDs that no IMD of the column admits, or any text where the "
     "column has no IMD, is a ValueError naming it. Where no profile carries the release there is no column to "
     "choose from: a code of the message's IMDs is written as given, and any other text writes no IMD. "
     "`document_code` defaults to the column's BGM code.\n\n"
     "`document_date` is written as given (CCYYMMDD, or CCYYMMDDHHMM with an optional zone); without it `on` "
     "is the document date, and without both the current UTC time. "
     "Completion to the column fills what the column requires and the arguments do not give, with sample "
     "values: the first code the column admits, document numbers \"DOK\" and references \"REF\" followed by "
     "the Prüfidentifikator, the Marktlokation 51238696781, the name \"Mustermann\" at \"Musterstr. 1\", "
     "10115 Berlin, the e-mail address \"info@example.de\", the telephone 0301234567, amounts 10.00, the "
     "date 2026-10-01 and the text \"Text\". It never changes a value that was given.\n\n"
     "A `pruefidentifikator` that the release's profile has no Anwendungsfall for is a ValueError naming it and the "
     "release (a release no profile carries is built as written); so is a text too long for an EDIFACT "
     "segment, naming its argument, and so is a message that would hold more segments or bytes than "
     "validate_edifact reads in one interchange, naming the list that made it so large. "
     "A value given that the column does not admit is a ValueError naming its argument by its index path (such "
     "as references[0]), with the column's own finding; "
     "a fault no argument causes is completion's to mend, and where it cannot, a ValueError quotes the column's "
     "finding, unless the column cannot be met at all (such a message is returned as completion leaves it).\n\n"
     "Raises TypeError for an argument of the wrong type (naming it), OverflowError naming "
     "`pruefidentifikator` when it does not fit 32 bits, ValueError when neither `release` nor `on` is given, "
     "when `on` is no ISO 8601 date or when no profile is in force on it, "
     "for a `references` item that is no pair, an empty text where the column requires a value (also a "
     "qualifier or value of `references`), or an `item_description` the column has no IMD for.",
     with_texts_that_fit<within_reader_limits<checked_by_column<build_orders>>>},
    {"build_iftsta",
     "(pruefidentifikator, sender, receiver, *, status=None, vorgangsnummer=None, order_reference=None, "
     "vertragsende=None, on=None, release=None, document_code=None, document_id=None, message_ref=\"1\", "
     "document_date=None)",
     "Build an IFTSTA, the WiM status message.\n\n"
     "`SG15 STS` carries the status as the pair (DE 9015 status category, DE 4405 status reason): "
     "(\"Z21\", \"105\") stands for „Bestellung / beendet“. `SG14 CNI` carries the Vorgangsnummer, Muss on a WiM "
     "status. `order_reference` is the Belegnummer of the ORDERS the status refers to (`SG15 RFF+AGI`); it is "
     "what correlates a status that has no LOC.\n\n"
     "A segment is written only where the column of `pruefidentifikator` has a place for it: a status the column "
     "does not admit is a ValueError naming `status` and listing the column's status pairs, and so is a "
     "`vorgangsnummer`, `order_reference` or `vertragsende` that the chosen status group has no place for (the "
     "Summenzeitreihen statuses 21000-21005 stand in an `EQD` group without `CNI`). Without `status` the "
     "column's first status category is written and completion adds the DE 4405 the column requires; a "
     "status on a `CNI` column needs the `vorgangsnummer`, and without both completion fills the whole group "
     "(Vorgangsnummer 1).\n\n"
     "`document_date` is written as given (CCYYMMDD, or CCYYMMDDHHMM with an optional zone); without it `on` "
     "is the document date, and without both the current UTC time. "
     "Completion to the column fills what the column requires and the arguments do not give, with sample "
     "values: the first code the column admits, document numbers \"DOK\" and references \"REF\" followed by "
     "the Prüfidentifikator, the Marktlokation 51238696781, the name \"Mustermann\" at \"Musterstr. 1\", "
     "10115 Berlin, the e-mail address \"info@example.de\", the telephone 0301234567, amounts 10.00, the "
     "date 2026-10-01 and the text \"Text\". It never changes a value that was given.\n\n"
     "A `pruefidentifikator` that the release's profile has no Anwendungsfall for is a ValueError naming it and the "
     "release (a release no profile carries is built as written); so is a text too long for an EDIFACT "
     "segment, naming its argument, and so is a message that would hold more segments or bytes than "
     "validate_edifact reads in one interchange, naming the list that made it so large. "
     "A value given that the column does not admit is a ValueError naming its argument, with the column's own "
     "finding; "
     "a fault no argument causes is completion's to mend, and where it cannot, a ValueError quotes the column's "
     "finding, unless the column cannot be met at all (such a message is returned as completion leaves it).\n\n"
     "Raises TypeError for an argument of the wrong type (naming it), OverflowError naming "
     "`pruefidentifikator` when it does not fit 32 bits, ValueError when neither `release` nor `on` is given, "
     "when `on` is no ISO 8601 date or when no profile is in force on it, "
     "or for a `status` tuple of another length than two.",
     with_texts_that_fit<within_reader_limits<checked_by_column<build_iftsta>>>},
    {"build_quotes",
     "(pruefidentifikator, sender, receiver, *, location=None, bindungsfrist=None, product=None, price=None, "
     "contact=None, on=None, release=None, document_code=None, document_id=None, references=None, currency=None, "
     "message_ref=\"1\", document_date=None)",
     "Build a QUOTES, the ESA Angebot that answers a REQOTE Preisanfrage.\n\n"
     "`bindungsfrist` is a count plus a unit, not a date: an eight-digit CCYYMMDD there is a number where the AHB "
     "expects a duration, a receiver parsing it finds no date, and that is how an Angebot gets read as an "
     "Ablehnung, since the presence of the segment is what tells the two apart. The unit is \"monat\", "
     "\"woche\" or \"tag\".\n\n"
     "`contact` is the (name, communication) Ansprechpartner that the AHB makes Muss on the ESA Angebot "
     "Prüfidentifikatoren, written as `CTA` plus `COM`. An ESA has no Preisblatt, so the `price` of the accepted "
     "Angebot is the basis for the INVOIC that follows it. `location` is written as `LOC+172` in the "
     "Liefer-/Bezugsort group that `NAD+DP` opens.\n\n"
     "`product` and `price` go into the line item (`SG27 LIN`) of the column that has a place for each one given, "
     "the Messprodukt's (`LIN+1+Z67`) first: `product` as `PIA+5` with Z11, `price` as the amount of its "
     "`SG31 PRI`, with the Artikel-ID 0999100000000001 and the Einrichtungspreis Z01 per piece where the line "
     "item is priced per Artikel-ID. A line item the arguments leave open is completed like any other value, "
     "and a given price is never replaced by a sample. A column without such a place refuses `product` or "
     "`price` with a ValueError naming it and what the column admits. Where no profile carries the release, "
     "both are written in the Messprodukt's line item.\n\n"
     "`document_date` is written as given (CCYYMMDD, or CCYYMMDDHHMM with an optional zone); without it `on` "
     "is the document date, and without both the current UTC time. "
     "Completion to the column fills what the column requires and the arguments do not give, with sample "
     "values: the first code the column admits, document numbers \"DOK\" and references \"REF\" followed by "
     "the Prüfidentifikator, the Marktlokation 51238696781, the name \"Mustermann\" at \"Musterstr. 1\", "
     "10115 Berlin, the e-mail address \"info@example.de\", the telephone 0301234567, amounts 10.00, the "
     "date 2026-10-01 and the text \"Text\". It never changes a value that was given.\n\n"
     "A `pruefidentifikator` that the release's profile has no Anwendungsfall for is a ValueError naming it and the "
     "release (a release no profile carries is built as written); so is a text too long for an EDIFACT "
     "segment, naming its argument, and so is a message that would hold more segments or bytes than "
     "validate_edifact reads in one interchange, naming the list that made it so large. "
     "A value given that the column does not admit is a ValueError naming its argument by its index path (such "
     "as references[0]), with the column's own finding; "
     "a fault no argument causes is completion's to mend, and where it cannot, a ValueError quotes the column's "
     "finding, unless the column cannot be met at all (such a message is returned as completion leaves it).\n\n"
     "Raises TypeError for an argument of the wrong type (naming it), OverflowError naming "
     "`pruefidentifikator` when it does not fit 32 bits, ValueError when neither `release` nor `on` is given, "
     "when `on` is no ISO 8601 date or when no profile is in force on it, "
     "for a Bindungsfrist unit other than monat, woche or tag, for a `product` or `price` the column has no "
     "place for, for a tuple of another length than two, or, "
     "where the column requires a value, for an empty text (also the count of `bindungsfrist`, the name or "
     "communication of `contact` and a qualifier or value of `references`).",
     with_texts_that_fit<within_reader_limits<checked_by_column<build_quotes>>>},
    {"build_interchange", "(sender, receiver, dar, messages, *, on=None, date=None, time=\"0000\")",
     "Wrap built messages (each UNH…UNT) in a UNB/UNZ interchange and return its bytes.\n\n"
     "A bare message is not sendable: the unit a market partner receives is the interchange. The UNB "
     "qualifier after each party ID is derived from the ID itself, so it cannot contradict it. The "
     "transmission timestamp is a parameter and never read from the clock, so that building stays "
     "deterministic. One of `on` (the send date, ISO 8601) and `date` (YYMMDD as written) is required: "
     "\"000000:0000\" parses to no date at all, and a counterparty rejects an interchange it cannot date.\n\n"
     "A text too long for an EDIFACT segment is a ValueError naming its argument.\n\n"
     "Raises TypeError for an argument of the wrong type (naming it), OverflowError for a payload integer "
     "outside 0-255, ValueError when `messages` holds no message (or only empty payloads), when one payload is "
     "empty or is not one or more whole messages UNH to UNT, when `sender`, `receiver` or `dar` is empty, when "
     "`dar` has more than 14 characters, when two messages share a message reference or the interchange would "
     "hold more messages, segments or bytes than validate_edifact reads (naming the payload), when "
     "`sender` or `receiver` is no market-partner ID of 13 digits, when "
     "neither `on` nor `date` is given, when `on` is no ISO 8601 date (or one before the year 0000), `date` no "
     "date of the calendar written YYMMDD or `time` no HHMM (syntax version 3 has no CCYYMMDD and no seconds), "
     "and, naming the argument, when a payload is "
     "not UTF-8 or a payload or UNB text has a character outside ISO 8859-1.",
     with_texts_that_fit<build_interchange>},
};

constexpr std::size_t function_named(std::string_view name) {
  for (std::size_t at = 0; at < std::size(functions); ++at) {
    if (functions[at].name == name) return at;
  }
  throw "no such function";  // a constant expression: fails the build
}

// An optional text argument: omitted where not given.
py::Status text_slot(const std::optional<std::string>& value, py::Object& slot) {
  if (!value) return {};
  auto text = py::str(*value);
  if (!text) return py::propagate(text);
  slot = std::move(*text);
  return {};
}

using RegisterStep = int (*)(PyObject* module);

// Functions first, then the classes, in the module's registration order.
constexpr std::array<RegisterStep, 8> register_steps{
    py::add_functions<functions>, add_utilmd_transaction_class, add_vorgang_class,   add_positionsfehler_class,
    add_finding_class,            add_message_report_class,     add_envelope_class,  add_validation_report_class,
};

}  // namespace

py::Result build_utilmd_as_called(UtilmdCall call) {
  static constexpr const py::Function& function = functions[function_named("build_utilmd")];
  static constexpr py::Signature signature = py::parse_signature(function.signature);
  // (pruefidentifikator, sender, receiver, *, on, release, sparte, message_ref, document_date,
  // document_code, references, transactions)
  static_assert(signature.count == 11);
  std::array<py::Object, 11> owned;
  owned[0] = py::Object(PyLong_FromUnsignedLong(call.pruefidentifikator));
  if (!owned[0]) return py::raised();
  for (const auto& [at, text] : {std::pair{1, call.sender}, std::pair{2, call.receiver}}) {
    auto made = py::str(text);
    if (!made) return py::propagate(made);
    owned[at] = std::move(*made);
  }
  for (const auto& [at, value] : {std::pair{3, &call.on}, std::pair{4, &call.release}, std::pair{6, &call.message_ref},
                                  std::pair{7, &call.document_date}, std::pair{8, &call.document_code}}) {
    if (auto placed = text_slot(*value, owned[at]); !placed) return py::propagate(placed);
  }
  owned[10] = py::Object(PyList_New(static_cast<Py_ssize_t>(call.transactions.size())));
  if (!owned[10]) return py::raised();
  for (std::size_t at = 0; at < call.transactions.size(); ++at) {
    auto transaction = utilmd_transaction_object(std::move(call.transactions[at]));
    if (!transaction) return py::propagate(transaction);
    if (PyList_SetItem(owned[10].get(), static_cast<Py_ssize_t>(at), transaction->release()) < 0) return py::raised();
  }
  std::array<PyObject*, 11> slots{};
  for (std::size_t at = 0; at < slots.size(); ++at) slots[at] = owned[at].get();
  return function.body(py::Args(slots, signature));
}

py::Result build_answer_as_called(py::Args args, PyObject* references) {
  static constexpr const py::Function& function = functions[function_named("build_answer")];
  // (received, answer_pid, *, on, release, message_ref, document_date, document_code, antwort_code,
  // antwort_ebd, process_dates, references, free_texts, message_index)
  constexpr std::size_t references_slot = 10;
  std::vector<PyObject*> slots(args.size());
  for (std::size_t at = 0; at < slots.size(); ++at) slots[at] = args[at].object;
  slots.at(references_slot) = references;
  return function.body(py::Args(slots, args.signature()));
}

int register_(PyObject* module) {
  for (RegisterStep step : register_steps) {
    if (step(module) < 0) return -1;
  }
  return 0;
}

}  // namespace quorvane_native::edifact
