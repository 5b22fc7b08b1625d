#include "edi_energy/messages/utilmd.hpp"

#include <cstdint>
#include <utility>

#include "edi_energy/messages/segments/field.hpp"

namespace edi_energy::messages::utilmd {

namespace {

using edifact::model::Segment;
using segments::read_or_drop;

// STS+7 and STS+E01 decode element 2 onwards; a segment too short for it clears the value.
void decode_status(const Segment& segment, UtilmdTransaction& transaction) {
  const std::string_view category = segments::leading_text(segment);
  const bool is_grund = category == "7";
  if (!is_grund && category != "E01") return;
  auto code = segments::optional_field(segment, 2, 0);
  if (is_grund) {
    transaction.transaktionsgrund.reset();
    if (code) {
      transaction.transaktionsgrund = UtilmdTransaktionsgrund{std::move(*code), segments::optional_field(segment, 3, 0),
                                                              segments::optional_field(segment, 4, 0)};
    }
  } else {
    transaction.antwort.reset();
    if (code) transaction.antwort = UtilmdAntwort{std::move(*code), segments::optional_field(segment, 2, 1)};
  }
}

UtilmdParty party_of(segments::Nad nad, const Segment& segment) {
  UtilmdParty party{std::move(nad), {}, {}};
  const auto elements = segment.elements();
  if (elements.size() < 4) return party;
  const auto name = elements[3].components();
  for (std::size_t index = 0; index < name.size() && index < 5; ++index) {
    if (!name.text(index).empty()) party.name_parts.emplace_back(name.text(index));
  }
  return party;
}

// The group of a Vorgang that the last segment opened or stands in; a segment of the Vorgang's
// own level closes it.
enum class Group : std::uint8_t { Vorgang, Reference, Sequence, Party };

// Adds one Vorgang segment to the transaction; segments that do not read are dropped.
void add_to_transaction(const Segment& segment, UtilmdTransaction& transaction, Group& group) {
  const std::string_view tag = segment.tag();
  UtilmdSequence* sequence = transaction.sequences.empty() ? nullptr : &transaction.sequences.back();
  if (tag == "DTM") {
    auto dtm = read_or_drop<segments::Dtm>(segment);
    if (!dtm) return;
    if (group == Group::Vorgang) {
      transaction.dtms.push_back(std::move(*dtm));
    } else if (group == Group::Reference) {
      transaction.reference_dtms.push_back(std::move(*dtm));
    } else if (group == Group::Sequence && sequence != nullptr) {
      sequence->dtms.push_back(std::move(*dtm));
    }
  } else if (tag == "LOC") {
    group = Group::Vorgang;
    if (auto loc = read_or_drop<segments::Loc>(segment)) transaction.locs.push_back(std::move(*loc));
  } else if (tag == "RFF") {
    auto rff = read_or_drop<segments::Rff>(segment);
    // The RFF of a sequence or party whose own segment did not read is lost with it.
    if (group == Group::Sequence) {
      if (rff && sequence != nullptr) sequence->rffs.push_back(std::move(*rff));
    } else if (group == Group::Party) {
      if (rff && !transaction.parties.empty()) transaction.parties.back().rffs.push_back(std::move(*rff));
    } else {
      group = Group::Reference;
      if (rff) transaction.rffs.push_back(std::move(*rff));
    }
  } else if (tag == "STS") {
    group = Group::Vorgang;
    decode_status(segment, transaction);
    if (auto sts = read_or_drop<segments::Sts>(segment)) transaction.sts.push_back(std::move(*sts));
  } else if (tag == "FTX") {
    group = Group::Vorgang;
    if (auto ftx = read_or_drop<segments::Ftx>(segment)) transaction.ftxs.push_back(std::move(*ftx));
  } else if (tag == "SEQ") {
    group = Group::Sequence;
    if (auto seq = read_or_drop<segments::Seq>(segment)) {
      transaction.sequences.push_back({std::move(*seq), {}, {}, {}, {}, {}});
    }
  } else if (tag == "PIA") {
    if (sequence == nullptr) return;
    if (auto pia = read_or_drop<segments::Pia>(segment)) {
      sequence->products.push_back({std::move(*pia), sequence->characteristics.size()});
    }
  } else if (tag == "QTY") {
    if (sequence == nullptr) return;
    if (auto qty = read_or_drop<segments::Qty>(segment)) sequence->quantities.push_back(std::move(*qty));
  } else if (tag == "CCI") {
    if (sequence == nullptr) return;
    if (auto cci = read_or_drop<segments::Cci>(segment)) sequence->characteristics.push_back({std::move(*cci), {}});
  } else if (tag == "CAV") {
    if (sequence == nullptr || sequence->characteristics.empty()) return;
    if (auto cav = read_or_drop<segments::Cav>(segment)) sequence->characteristics.back().cavs.push_back(std::move(*cav));
  } else if (tag == "NAD") {
    group = Group::Party;
    if (auto nad = read_or_drop<segments::Nad>(segment)) transaction.parties.push_back(party_of(std::move(*nad), segment));
  }
}

}  // namespace

std::optional<UtilmdTransaktionsgrund> transaktionsgrund(const UtilmdTransaction& transaction) {
  return transaction.transaktionsgrund;
}

std::vector<UtilmdReference> parse_references(segments::Segments segments) {
  return header_references(segments.first(header_length(segments, "IDE")));
}

std::vector<UtilmdTransaction> parse_transactions(segments::Segments segments) {
  std::vector<UtilmdTransaction> transactions;
  std::size_t index = 0;
  while (index < segments.size()) {
    std::optional<segments::Ide> ide;
    if (segments[index].tag() == "IDE") ide = read_or_drop<segments::Ide>(segments[index]);
    ++index;
    if (!ide) continue;
    UtilmdTransaction transaction;
    transaction.ide = std::move(*ide);
    Group group = Group::Vorgang;
    for (; index < segments.size(); ++index) {
      const std::string_view tag = segments[index].tag();
      if (tag == "IDE" || tag == "UNT") break;
      add_to_transaction(segments[index], transaction, group);
    }
    transactions.push_back(std::move(transaction));
  }
  return transactions;
}

UtilmdMessage UtilmdMessage::from_parts(std::vector<edifact::model::Segment> segments, std::string message_reference,
                                        std::string release_text, std::optional<std::uint32_t> pruefidentifikator) {
  UtilmdMessage message;
  static_cast<CommonView&>(message) = read_common(segments);
  message.references = parse_references(segments);
  message.transactions = parse_transactions(segments);
  message.core = core::MessageCore::new_on_date(std::move(segments), std::move(message_reference),
                                                std::move(release_text), pruefidentifikator,
                                                message_type::MessageType::Utilmd);
  return message;
}

}  // namespace edi_energy::messages::utilmd
