// The typed UTILMD view: the common fields, the message-level references and one transaction
// per Vorgang (IDE), with its SG8 sequences and the decoded Transaktionsgrund and Antwort.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "edi_energy/message.hpp"
#include "edi_energy/messages/header_reference.hpp"
#include "edi_energy/messages/view.hpp"

namespace edi_energy::messages::utilmd {

using UtilmdReference = HeaderReference;

// STS+7
struct UtilmdTransaktionsgrund {
  std::string grund;
  std::optional<std::string> ergaenzung;
  std::optional<std::string> befristung;
  friend bool operator==(const UtilmdTransaktionsgrund&, const UtilmdTransaktionsgrund&) = default;
};

// STS+E01
struct UtilmdAntwort {
  std::string code;
  std::optional<std::string> codeliste;
  friend bool operator==(const UtilmdAntwort&, const UtilmdAntwort&) = default;
};

struct UtilmdParty {
  segments::Nad nad;
  std::vector<std::string> name_parts;  // the non-empty ones of the first five name components
  std::vector<segments::Rff> rffs;      // of its SG12
  friend bool operator==(const UtilmdParty&, const UtilmdParty&) = default;
};

struct UtilmdProduct {
  segments::Pia pia;
  // Characteristics of the sequence from this index on follow the product.
  std::size_t first_characteristic = 0;
  friend bool operator==(const UtilmdProduct&, const UtilmdProduct&) = default;
};

struct UtilmdCharacteristic {
  segments::Cci cci;
  std::vector<segments::Cav> cavs;
  friend bool operator==(const UtilmdCharacteristic&, const UtilmdCharacteristic&) = default;
};

struct UtilmdSequence {
  segments::Seq seq;
  std::vector<UtilmdProduct> products;
  std::vector<segments::Qty> quantities;
  std::vector<UtilmdCharacteristic> characteristics;
  std::vector<segments::Rff> rffs;  // of its SG8
  std::vector<segments::Dtm> dtms;  // of its quantities (SG9)
  friend bool operator==(const UtilmdSequence&, const UtilmdSequence&) = default;
};

// Each list holds the segments of its own group: `dtms` the Vorgang's own (SG4), `rffs` its
// references (SG6), whose dates stand in `reference_dtms`; the RFFs of SG8 and SG12 stay with
// their sequence and party.
struct UtilmdTransaction {
  segments::Ide ide;  // its `id` is the Vorgangsnummer
  std::vector<segments::Dtm> dtms;
  std::vector<segments::Loc> locs;
  std::vector<segments::Rff> rffs;
  std::vector<segments::Dtm> reference_dtms;
  std::vector<segments::Sts> sts;
  std::vector<segments::Ftx> ftxs;
  std::vector<UtilmdParty> parties;
  std::vector<UtilmdSequence> sequences;
  // From the last STS+7 / STS+E01; a malformed last one leaves nothing.
  std::optional<UtilmdTransaktionsgrund> transaktionsgrund;
  std::optional<UtilmdAntwort> antwort;

  friend bool operator==(const UtilmdTransaction&, const UtilmdTransaction&) = default;
};

struct UtilmdMessage : CommonView, message::MessageOperations<UtilmdMessage> {
  std::vector<UtilmdReference> references;      // before the first IDE
  std::vector<UtilmdTransaction> transactions;  // one per IDE that reads

  static UtilmdMessage from_parts(std::vector<edifact::model::Segment> segments, std::string message_reference,
                                  std::string release_text, std::optional<std::uint32_t> pruefidentifikator);
};

// A copy of the decoded STS+7, or nothing.
std::optional<UtilmdTransaktionsgrund> transaktionsgrund(const UtilmdTransaction& transaction);

std::vector<UtilmdReference> parse_references(segments::Segments segments);
std::vector<UtilmdTransaction> parse_transactions(segments::Segments segments);

}  // namespace edi_energy::messages::utilmd
