#include "quorvane_native/edifact/written_by.hpp"

#include <fmt/format.h>

#include <string_view>

#include "quorvane_native/edifact/input_classes.hpp"
#include "quorvane_native/py/convert.hpp"

namespace quorvane_native::edifact {

namespace {

std::optional<py::Arg> given(py::Args args, std::string_view name) {
  for (std::size_t index = 0; index < args.size(); ++index) {
    const py::Arg arg = args[index];
    if (arg.name() == name) return arg.omitted() || arg.object == Py_None ? std::nullopt : std::optional(arg);
  }
  return std::nullopt;
}

std::size_t length_of(py::Args args, std::string_view name) {
  const auto arg = given(args, name);
  if (!arg) return 0;
  const Py_ssize_t size = PySequence_Size(arg->object);
  if (size < 0) {
    PyErr_Clear();
    return 0;
  }
  return static_cast<std::size_t>(size);
}

// How many segments tagged `tag` (with `qualifier`, when one is asked) stand in [from, at).
std::size_t count(std::span<const WrittenSegment> written, std::size_t from, std::size_t at, std::string_view tag,
                  std::optional<std::string_view> qualifier = std::nullopt) {
  std::size_t found = 0;
  for (std::size_t index = from; index < at; ++index) {
    if (written[index].tag == tag && (!qualifier || written[index].qualifier == *qualifier)) ++found;
  }
  return found;
}

// What every message writes from its own arguments before its body: the reference in UNH (and in
// BGM where no document number is given), the document date.
std::optional<std::string> header_wrote(py::Args args, const WrittenSegment& segment,
                                        std::optional<std::size_t> element) {
  if (segment.tag == "UNH" && element == 0) return "message_ref";
  if (segment.tag == "BGM" && element == 0 && given(args, "document_code")) return "document_code";
  if (segment.tag == "BGM" && element == 1) return given(args, "document_id") ? "document_id" : "message_ref";
  if (segment.tag == "DTM" && segment.qualifier == "137" && given(args, "document_date")) return "document_date";
  return std::nullopt;
}

// The index among the Vorgang's references of its `nth` RFF: the Prüfidentifikator the builder
// writes first where the column has a place for it is no reference of the caller's, nor is the
// caller's own copy of it, which the builder leaves out.
std::optional<std::size_t> reference_at(const StringPairs& references, std::span<const WrittenSegment> rffs,
                                        std::size_t nth, std::string_view pid) {
  std::vector<std::size_t> kept;
  for (std::size_t index = 0; index < references.size(); ++index) {
    if (references[index] != std::pair<std::string, std::string>("Z13", std::string(pid))) kept.push_back(index);
  }
  if (rffs.size() == references.size()) return nth;
  if (rffs.size() != kept.size() + 1 || nth == 0) return std::nullopt;
  return kept[nth - 1];
}

std::optional<std::string> vorgang_wrote(py::Args args, std::span<const WrittenSegment> written, std::size_t at,
                                         std::optional<std::size_t> element, std::size_t ide,
                                         std::size_t vorgang) {
  const auto transactions = given(args, "transactions");
  if (!transactions) return std::nullopt;
  py::Object item(PySequence_GetItem(transactions->object, static_cast<Py_ssize_t>(vorgang)));
  if (!item) {
    PyErr_Clear();
    return std::nullopt;
  }
  auto transaction = utilmd_transaction_of(item.get());
  if (!transaction) return std::nullopt;
  const WrittenSegment& segment = written[at];
  const auto path = [&](std::string_view field) { return fmt::format("transactions[{}].{}", vorgang, field); };
  const auto nth = [&](std::string_view field, std::size_t index) {
    return fmt::format("transactions[{}].{}[{}]", vorgang, field, index);
  };
  std::size_t end = ide + 1;
  while (end < written.size() && written[end].tag != "IDE" && written[end].tag != "UNT") ++end;
  // The Produktpaket of the Bilanzkreis is all there is from its SEQ up to the Vorgang's parties.
  std::size_t seq = ide;
  while (seq < end && written[seq].tag != "SEQ") ++seq;
  if (segment.tag == "IDE") return path("vorgangsnummer");
  if (segment.tag == "NAD") return nth("customers", count(written, ide, at, "NAD"));
  if (at >= seq) return transaction->bilanzkreis ? std::optional(path("bilanzkreis")) : std::nullopt;
  if (segment.tag == "DTM") return nth("dates", count(written, ide, at, "DTM"));
  if (segment.tag == "FTX") return nth("free_texts", count(written, ide, at, "FTX"));
  if (segment.tag == "LOC") return nth("locations", count(written, ide, at, "LOC"));
  if (segment.tag == "STS" && segment.qualifier == "7") {
    return path(element >= 3 && transaction->transaktionsgrund_ergaenzung ? "transaktionsgrund_ergaenzung"
                                                                          : "transaktionsgrund");
  }
  if (segment.tag == "STS" && segment.qualifier == "E01") return path("antwort_code");
  if (segment.tag == "STS" && segment.qualifier == "Z35") return path("antwort_dritter");
  if (segment.tag == "RFF") {
    std::vector<WrittenSegment> rffs;
    for (std::size_t index = ide; index < seq; ++index) {
      if (written[index].tag == "RFF") rffs.push_back(written[index]);
    }
    auto pid = py::to_u32(args[0]);
    if (!pid) return std::nullopt;
    const auto index =
        reference_at(transaction->references, rffs, count(written, ide, at, "RFF"), fmt::format("{:05}", *pid));
    return index ? std::optional(nth("references", *index)) : std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> parties_wrote(py::Args, std::span<const WrittenSegment> written, std::size_t at,
                                         std::optional<std::size_t>) {
  if (at >= written.size() || written[at].tag != "NAD") return std::nullopt;
  if (written[at].qualifier == "MS") return "sender";
  if (written[at].qualifier == "MR") return "receiver";
  return std::nullopt;
}

std::optional<std::string> received_wrote(py::Args args, std::span<const WrittenSegment> written, std::size_t at,
                                          std::optional<std::size_t> element) {
  if (parties_wrote(args, written, at, element)) return "received";
  return std::nullopt;
}

std::optional<std::string> aperak_for_wrote(py::Args args, std::span<const WrittenSegment> written, std::size_t at,
                                            std::optional<std::size_t> element) {
  if (at >= written.size()) return std::nullopt;
  const WrittenSegment& segment = written[at];
  if (segment.tag == "UNH") return element == 0 ? std::optional<std::string>("message_ref") : std::nullopt;
  if (segment.tag == "BGM") {
    if (element != 1) return std::nullopt;
    return given(args, "pruefidentifikator") ? "pruefidentifikator" : "message_ref";
  }
  if (segment.tag == "ERC") return "error_code";
  if (segment.tag == "FTX") {
    // The Ortsangabe repeats the error text, else the error code.
    if (segment.qualifier == "ABO" || given(args, "error_text")) return "error_text";
    return "error_code";
  }
  if (segment.tag == "UNT") return std::nullopt;
  // NAD, RFF and DTM: the parties, the received message's references and dates, and the UNB date.
  return "received";
}

std::optional<std::string> utilmd_wrote(py::Args args, std::span<const WrittenSegment> written, std::size_t at,
                                        std::optional<std::size_t> element) {
  if (at >= written.size()) return std::nullopt;
  const std::size_t vorgaenge = count(written, 0, at + 1, "IDE");
  if (vorgaenge != 0) {
    std::size_t ide = at;
    while (written[ide].tag != "IDE") --ide;
    return vorgang_wrote(args, written, at, element, ide, vorgaenge - 1);
  }
  if (auto party = parties_wrote(args, written, at, element)) return party;
  if (written[at].tag == "RFF") return fmt::format("references[{}]", count(written, 0, at, "RFF"));
  return header_wrote(args, written[at], element);
}

std::optional<std::string> mscons_wrote(py::Args args, std::span<const WrittenSegment> written, std::size_t at,
                                        std::optional<std::size_t> element) {
  if (at >= written.size()) return std::nullopt;
  if (auto party = parties_wrote(args, written, at, element)) return party;
  const WrittenSegment& segment = written[at];
  if (segment.tag == "LOC") return "metering_point";
  if (segment.tag == "PIA") return given(args, "obis") ? std::optional<std::string>("obis") : std::nullopt;
  // A value and the Messperiode after it are one item: a quantity, or after them an interval.
  std::size_t qty = at;
  while (qty > 0 && written[qty].tag == "DTM" && (written[qty].qualifier == "163" || written[qty].qualifier == "164")) {
    --qty;
  }
  if (written[qty].tag == "QTY") {
    const std::size_t index = count(written, 0, qty, "QTY");
    const std::size_t quantities = length_of(args, "quantities");
    if (index < quantities) return fmt::format("quantities[{}]", index);
    return fmt::format("intervals[{}]", index - quantities);
  }
  return header_wrote(args, segment, element);
}

}  // namespace quorvane_native::edifact
