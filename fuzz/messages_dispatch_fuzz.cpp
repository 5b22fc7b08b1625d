// Fuzzes the message layer: any parsed segment list dispatches to a typed message or one
// error, every typed view builds from it whatever its UNH says, and what the views and the
// operations return keeps its promises (five-digit Prüfidentifikatoren, no empty field texts).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "edi_energy/any_message.hpp"
#include "edi_energy/parse/dispatch.hpp"
#include "edi_energy/registry/shared_registry.hpp"
#include "edifact/parse/from_bytes.hpp"

namespace {

using edifact::model::Segment;
namespace messages = edi_energy::messages;

void require(bool holds) {
  if (!holds) std::abort();
}

void check_text(const std::optional<std::string>& text) { require(!text || !text->empty()); }

void check_dtms(const std::vector<messages::segments::Dtm>& dtms) {
  for (const auto& dtm : dtms) {
    require(!dtm.qualifier.empty());
    check_text(dtm.value);
    check_text(dtm.format);
  }
}

void check_common(const messages::CommonView& view, std::size_t segment_count) {
  require(view.core.segments.size() == segment_count);
  if (view.bgm) require(!view.bgm->document_code.empty());
  check_dtms(view.dtms);
  if (view.nad_ms) require(view.nad_ms->qualifier == "MS");
  if (view.nad_mr) require(view.nad_mr->qualifier == "MR");
}

// An unknown message's release may be empty; a typed message has one only when UNH names it.
void check_operations(const auto& message, bool typed = true) {
  if (auto pid = message.detect_pruefidentifikator()) require(*pid >= 10000 && *pid <= 99999);
  if (auto release = message.detect_release()) require(!typed || !release->text().empty());
  (void)message.serialize();
}

void build_every_view(const std::vector<Segment>& segments) {
  const auto utilmd = messages::utilmd::UtilmdMessage::from_parts(segments, "1", "S2.1", 55001);
  check_common(utilmd, segments.size());
  check_operations(utilmd);
  for (const auto& transaction : utilmd.transactions) {
    require(!transaction.ide.qualifier.empty());
    check_dtms(transaction.dtms);
    if (transaction.transaktionsgrund) require(!transaction.transaktionsgrund->grund.empty());
    if (transaction.antwort) require(!transaction.antwort->code.empty());
    for (const auto& sequence : transaction.sequences) {
      for (const auto& product : sequence.products) require(product.first_characteristic <= sequence.characteristics.size());
    }
    for (const auto& party : transaction.parties) {
      require(party.name_parts.size() <= 5);
      for (const auto& part : party.name_parts) require(!part.empty());
    }
  }

  const auto mscons = messages::mscons::MsconsMessage::from_parts(segments, "1", "", std::nullopt);
  check_operations(mscons);
  check_dtms(mscons.dtms);
  for (const auto& point : mscons.delivery_points) {
    for (const auto& series : point.time_series) {
      for (const auto& item : series.line_items) {
        for (const auto& quantity : item.quantities) {
          require(!quantity.qty.qualifier.empty());
          check_dtms(quantity.dtms);
        }
      }
    }
  }

  const auto aperak = messages::aperak::AperakMessage::from_parts(segments, "1", "2.1i", 5500);
  check_common(aperak, segments.size());
  require(!aperak.detect_pruefidentifikator().has_value());
  for (const auto& block : aperak.errors) require(!block.erc.code.empty());

  const auto contrl = messages::contrl::ContrlMessage::from_parts(segments, "", "", 55001);
  require(!contrl.detect_pruefidentifikator().has_value());
  for (const auto& response : contrl.responses) {
    require(!response.ucm.message_type.empty() && !response.ucm.action.empty());
    for (const auto& error : response.segment_errors) {
      for (const auto& element : error.element_errors) require(!element.error_code.empty());
    }
  }

  check_common(messages::ordrsp::OrdrespMessage::from_parts(segments, "1", "1.0", std::nullopt), segments.size());
  check_common(messages::partin::PartinMessage::from_parts(segments, "1", "1.0", std::nullopt), segments.size());
  check_common(messages::remadv::RemadvMessage::from_parts(segments, "1", "1.0", std::nullopt), segments.size());
}

void dispatch(std::vector<Segment> segments) {
  const auto& registry = *edi_energy::registry::REGISTRY.get();
  auto message = edi_energy::parse::dispatch_message_on_date(std::move(segments), registry, std::nullopt);
  if (!message) {
    const auto kind = message.error().kind;
    require(kind == edi_energy::Error::Kind::RequiredSegmentMissing || kind == edi_energy::Error::Kind::MalformedSegment);
    return;
  }
  check_operations(*message, !message->is_unknown());
  if (const auto* core = message->core()) {
    if (core->pruefidentifikator) require(*core->pruefidentifikator >= 10000 && *core->pruefidentifikator <= 99999);
    require(core->release.has_value() == !core->release_text.empty());
  }
  if (auto sender = message->nad_sender()) require(!sender->empty());
  if (auto receiver = message->nad_receiver()) require(!receiver->empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<Segment> segments;
  auto iter = edifact::from_bytes_with_config(input, edifact::ParserConfig{});
  while (auto item = iter.next()) {
    if (!item->has_value()) break;
    segments.push_back(std::move(**item));
  }
  build_every_view(segments);
  dispatch(std::move(segments));
  return 0;
}
