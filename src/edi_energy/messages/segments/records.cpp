#include "edi_energy/messages/segments/records.hpp"

#include <utility>

#include "edi_energy/messages/segments/field.hpp"

namespace edi_energy::messages::segments {

using edifact::EdifactError;
using edifact::model::Segment;

namespace {

// Finds the record's segment and hands it to `fill`, which reads the fields.
template <class Record, class Fill>
edifact::Result<Record> read_record(Segments segments, std::string_view tag, Fill fill) {
  auto segment = first_with_tag(segments, tag);
  if (!segment) return std::unexpected(std::move(segment.error()));
  return fill(**segment);
}

}  // namespace

edifact::Result<Ajt> Ajt::edifact_deserialize(Segments segments) {
  return read_record<Ajt>(segments, "AJT", [](const Segment& s) -> edifact::Result<Ajt> {
    auto reason_code = required_field(s, 0, 0);
    if (!reason_code) return std::unexpected(std::move(reason_code.error()));
    return Ajt{std::move(*reason_code), optional_field(s, 1, 0)};
  });
}

edifact::Result<Bgm> Bgm::edifact_deserialize(Segments segments) {
  return read_record<Bgm>(segments, "BGM", [](const Segment& s) -> edifact::Result<Bgm> {
    auto document_code = required_field(s, 0, 0);
    if (!document_code) return std::unexpected(std::move(document_code.error()));
    return Bgm{std::move(*document_code), optional_field(s, 1, 0), optional_field(s, 2, 0)};
  });
}

edifact::Result<Cav> Cav::edifact_deserialize(Segments segments) {
  return read_record<Cav>(segments, "CAV", [](const Segment& s) -> edifact::Result<Cav> {
    return Cav{optional_field(s, 0, 0), optional_field(s, 0, 3), optional_field(s, 0, 4)};
  });
}

edifact::Result<Cci> Cci::edifact_deserialize(Segments segments) {
  return read_record<Cci>(segments, "CCI", [](const Segment& s) -> edifact::Result<Cci> {
    return Cci{optional_field(s, 0, 0), optional_field(s, 2, 0), optional_field(s, 3, 0)};
  });
}

edifact::Result<Com> Com::edifact_deserialize(Segments segments) {
  return read_record<Com>(segments, "COM", [](const Segment& s) -> edifact::Result<Com> {
    return Com{optional_field(s, 0, 0), optional_field(s, 0, 1)};
  });
}

edifact::Result<Dtm> Dtm::edifact_deserialize(Segments segments) {
  return read_record<Dtm>(segments, "DTM", [](const Segment& s) -> edifact::Result<Dtm> {
    auto qualifier = required_field(s, 0, 0);
    if (!qualifier) return std::unexpected(std::move(qualifier.error()));
    return Dtm{std::move(*qualifier), optional_field(s, 0, 1), optional_field(s, 0, 2)};
  });
}

edifact::Result<Erc> Erc::edifact_deserialize(Segments segments) {
  return read_record<Erc>(segments, "ERC", [](const Segment& s) -> edifact::Result<Erc> {
    auto code = required_field(s, 0, 0);
    if (!code) return std::unexpected(std::move(code.error()));
    return Erc{std::move(*code)};
  });
}

edifact::Result<Ftx> Ftx::edifact_deserialize(Segments segments) {
  return read_record<Ftx>(segments, "FTX", [](const Segment& s) -> edifact::Result<Ftx> {
    auto qualifier = required_field(s, 0, 0);
    if (!qualifier) return std::unexpected(std::move(qualifier.error()));
    return Ftx{std::move(*qualifier), optional_field(s, 3, 0)};
  });
}

edifact::Result<Ide> Ide::edifact_deserialize(Segments segments) {
  return read_record<Ide>(segments, "IDE", [](const Segment& s) -> edifact::Result<Ide> {
    auto qualifier = required_field(s, 0, 0);
    if (!qualifier) return std::unexpected(std::move(qualifier.error()));
    return Ide{std::move(*qualifier), optional_field(s, 1, 0)};
  });
}

edifact::Result<Lin> Lin::edifact_deserialize(Segments segments) {
  return read_record<Lin>(segments, "LIN", [](const Segment& s) -> edifact::Result<Lin> {
    return Lin{optional_field(s, 0, 0)};
  });
}

edifact::Result<Loc> Loc::edifact_deserialize(Segments segments) {
  return read_record<Loc>(segments, "LOC", [](const Segment& s) -> edifact::Result<Loc> {
    auto qualifier = required_field(s, 0, 0);
    if (!qualifier) return std::unexpected(std::move(qualifier.error()));
    return Loc{std::move(*qualifier), optional_field(s, 1, 0)};
  });
}

edifact::Result<Nad> Nad::edifact_deserialize(Segments segments) {
  return read_record<Nad>(segments, "NAD", [](const Segment& s) -> edifact::Result<Nad> {
    // A qualifier written but left empty is a wrong value, not a missing one.
    const auto elements = s.elements();
    if (!elements.empty() && !elements[0].components().empty() && elements[0].components().text(0).empty()) {
      return std::unexpected(EdifactError::invalid_field_value("NAD", 0, std::string()));
    }
    auto qualifier = required_field(s, 0, 0);
    if (!qualifier) return std::unexpected(std::move(qualifier.error()));
    return Nad{std::move(*qualifier), optional_field(s, 1, 0), optional_field(s, 1, 2), optional_field(s, 3, 0),
               optional_field(s, 3, 5)};
  });
}

edifact::Result<Pia> Pia::edifact_deserialize(Segments segments) {
  return read_record<Pia>(segments, "PIA", [](const Segment& s) -> edifact::Result<Pia> {
    auto qualifier = required_field(s, 0, 0);
    if (!qualifier) return std::unexpected(std::move(qualifier.error()));
    return Pia{std::move(*qualifier), optional_field(s, 1, 0), optional_field(s, 1, 1)};
  });
}

edifact::Result<Qty> Qty::edifact_deserialize(Segments segments) {
  return read_record<Qty>(segments, "QTY", [](const Segment& s) -> edifact::Result<Qty> {
    auto qualifier = required_field(s, 0, 0);
    if (!qualifier) return std::unexpected(std::move(qualifier.error()));
    return Qty{std::move(*qualifier), optional_field(s, 0, 1), optional_field(s, 0, 2)};
  });
}

edifact::Result<Rff> Rff::edifact_deserialize(Segments segments) {
  return read_record<Rff>(segments, "RFF", [](const Segment& s) -> edifact::Result<Rff> {
    auto qualifier = required_field(s, 0, 0);
    if (!qualifier) return std::unexpected(std::move(qualifier.error()));
    return Rff{std::move(*qualifier), optional_field(s, 0, 1)};
  });
}

edifact::Result<Seq> Seq::edifact_deserialize(Segments segments) {
  return read_record<Seq>(segments, "SEQ", [](const Segment& s) -> edifact::Result<Seq> {
    return Seq{optional_field(s, 0, 0), optional_field(s, 1, 0)};
  });
}

edifact::Result<Sts> Sts::edifact_deserialize(Segments segments) {
  return read_record<Sts>(segments, "STS", [](const Segment& s) -> edifact::Result<Sts> {
    return Sts{optional_field(s, 0, 0), optional_field(s, 1, 0), optional_field(s, 2, 0)};
  });
}

edifact::Result<Ucd> Ucd::edifact_deserialize(Segments segments) {
  return read_record<Ucd>(segments, "UCD", [](const Segment& s) -> edifact::Result<Ucd> {
    auto error_code = required_field(s, 0, 0);
    if (!error_code) return std::unexpected(std::move(error_code.error()));
    return Ucd{std::move(*error_code), optional_field(s, 1, 0), optional_field(s, 1, 1)};
  });
}

edifact::Result<Uci> Uci::edifact_deserialize(Segments segments) {
  return read_record<Uci>(segments, "UCI", [](const Segment& s) -> edifact::Result<Uci> {
    auto interchange_ref = required_field(s, 0, 0);
    if (!interchange_ref) return std::unexpected(std::move(interchange_ref.error()));
    return Uci{std::move(*interchange_ref), optional_field(s, 1, 0), optional_field(s, 2, 0), optional_field(s, 3, 0)};
  });
}

edifact::Result<Ucm> Ucm::edifact_deserialize(Segments segments) {
  return read_record<Ucm>(segments, "UCM", [](const Segment& s) -> edifact::Result<Ucm> {
    auto message_ref = required_field(s, 0, 0);
    if (!message_ref) return std::unexpected(std::move(message_ref.error()));
    auto message_type = required_field(s, 1, 0);
    if (!message_type) return std::unexpected(std::move(message_type.error()));
    auto action = required_field(s, 2, 0);
    if (!action) return std::unexpected(std::move(action.error()));
    return Ucm{std::move(*message_ref), std::move(*message_type), optional_field(s, 1, 4), std::move(*action),
               optional_field(s, 3, 0)};
  });
}

edifact::Result<Ucs> Ucs::edifact_deserialize(Segments segments) {
  return read_record<Ucs>(segments, "UCS", [](const Segment& s) -> edifact::Result<Ucs> {
    auto position = required_field(s, 0, 0);
    if (!position) return std::unexpected(std::move(position.error()));
    return Ucs{std::move(*position), optional_field(s, 1, 0)};
  });
}

}  // namespace edi_energy::messages::segments
