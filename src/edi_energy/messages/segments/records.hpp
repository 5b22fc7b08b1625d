// The typed segment records of the energy-market messages: named, owned copies of the
// components the typed views need. Each reads itself from the first segment of its tag in a
// slice; required fields fail the read, optional ones are absent when missing or empty.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "edifact/error.hpp"
#include "edifact/model/segment.hpp"

namespace edi_energy::messages::segments {

using Segments = std::span<const edifact::model::Segment>;
using OptionalText = std::optional<std::string>;

struct Ajt {
  std::string reason_code;
  OptionalText line_number;
  static edifact::Result<Ajt> edifact_deserialize(Segments segments);
  friend bool operator==(const Ajt&, const Ajt&) = default;
};

struct Bgm {
  std::string document_code;
  OptionalText document_number;
  OptionalText message_function;
  static edifact::Result<Bgm> edifact_deserialize(Segments segments);
  friend bool operator==(const Bgm&, const Bgm&) = default;
};

struct Cav {
  OptionalText value_code;
  OptionalText value_text;
  OptionalText value_text_2;
  static edifact::Result<Cav> edifact_deserialize(Segments segments);
  friend bool operator==(const Cav&, const Cav&) = default;
};

struct Cci {
  OptionalText class_type;
  OptionalText characteristic;
  OptionalText relevance;
  static edifact::Result<Cci> edifact_deserialize(Segments segments);
  friend bool operator==(const Cci&, const Cci&) = default;
};

struct Com {
  OptionalText address;
  OptionalText channel;
  static edifact::Result<Com> edifact_deserialize(Segments segments);
  friend bool operator==(const Com&, const Com&) = default;
};

struct Dtm {
  std::string qualifier;
  OptionalText value;
  OptionalText format;
  static edifact::Result<Dtm> edifact_deserialize(Segments segments);
  friend bool operator==(const Dtm&, const Dtm&) = default;
};

struct Erc {
  std::string code;
  static edifact::Result<Erc> edifact_deserialize(Segments segments);
  friend bool operator==(const Erc&, const Erc&) = default;
};

struct Ftx {
  std::string qualifier;
  OptionalText text;
  static edifact::Result<Ftx> edifact_deserialize(Segments segments);
  friend bool operator==(const Ftx&, const Ftx&) = default;
};

struct Ide {
  std::string qualifier;
  OptionalText id;
  static edifact::Result<Ide> edifact_deserialize(Segments segments);
  friend bool operator==(const Ide&, const Ide&) = default;
};

struct Lin {
  OptionalText line_number;
  static edifact::Result<Lin> edifact_deserialize(Segments segments);
  friend bool operator==(const Lin&, const Lin&) = default;
};

struct Loc {
  std::string qualifier;
  OptionalText id;
  static edifact::Result<Loc> edifact_deserialize(Segments segments);
  friend bool operator==(const Loc&, const Loc&) = default;
};

struct Nad {
  std::string qualifier;
  OptionalText party_id;
  OptionalText agency;
  OptionalText name;
  OptionalText name_format;
  static edifact::Result<Nad> edifact_deserialize(Segments segments);
  friend bool operator==(const Nad&, const Nad&) = default;
};

struct Pia {
  std::string qualifier;
  OptionalText item_id;
  OptionalText item_type;
  static edifact::Result<Pia> edifact_deserialize(Segments segments);
  friend bool operator==(const Pia&, const Pia&) = default;
};

struct Qty {
  std::string qualifier;
  OptionalText quantity;
  OptionalText unit;
  static edifact::Result<Qty> edifact_deserialize(Segments segments);
  friend bool operator==(const Qty&, const Qty&) = default;
};

struct Rff {
  std::string qualifier;
  OptionalText reference;
  static edifact::Result<Rff> edifact_deserialize(Segments segments);
  friend bool operator==(const Rff&, const Rff&) = default;
};

struct Seq {
  OptionalText action;
  OptionalText number;
  static edifact::Result<Seq> edifact_deserialize(Segments segments);
  friend bool operator==(const Seq&, const Seq&) = default;
};

struct Sts {
  OptionalText category;
  OptionalText status;
  OptionalText reason;
  static edifact::Result<Sts> edifact_deserialize(Segments segments);
  friend bool operator==(const Sts&, const Sts&) = default;
};

struct Ucd {
  std::string error_code;
  OptionalText element_position;
  OptionalText component_position;
  static edifact::Result<Ucd> edifact_deserialize(Segments segments);
  friend bool operator==(const Ucd&, const Ucd&) = default;
};

struct Uci {
  std::string interchange_ref;
  OptionalText sender;
  OptionalText recipient;
  OptionalText action;
  static edifact::Result<Uci> edifact_deserialize(Segments segments);
  friend bool operator==(const Uci&, const Uci&) = default;
};

struct Ucm {
  std::string message_ref;
  std::string message_type;
  OptionalText association_code;
  std::string action;
  OptionalText error_code;
  static edifact::Result<Ucm> edifact_deserialize(Segments segments);
  friend bool operator==(const Ucm&, const Ucm&) = default;
};

struct Ucs {
  std::string position;
  OptionalText error_code;
  static edifact::Result<Ucs> edifact_deserialize(Segments segments);
  friend bool operator==(const Ucs&, const Ucs&) = default;
};

// Runs `Record`'s reader on one segment the caller has already chosen by tag.
template <class Record>
edifact::Result<Record> read_one(const edifact::model::Segment& segment) {
  return Record::edifact_deserialize(Segments(&segment, 1));
}

// Same, with a failed read as no record: the typed views drop what does not read.
template <class Record>
std::optional<Record> read_or_drop(const edifact::model::Segment& segment) {
  auto record = read_one<Record>(segment);
  if (!record) return std::nullopt;
  return std::move(*record);
}

}  // namespace edi_energy::messages::segments
