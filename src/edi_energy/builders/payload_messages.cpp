#include "edi_energy/builders/payload_messages.hpp"

#include <fmt/format.h>

#include "edi_energy/builders/read_back.hpp"
#include "edifact/parse/service_string_advice.hpp"
#include "support/debug_quote.hpp"

namespace edi_energy::builders {
namespace {

bool is_service_segment(std::string_view tag) {
  return tag == "UNB" || tag == "UNZ" || tag == "UNG" || tag == "UNE" || tag == "UNH";
}

}  // namespace

std::expected<PayloadMessages, std::string> payload_messages(std::string_view payload) {
  // The reader would step over both and the interchange would carry them in its middle.
  if (payload.starts_with(edifact::tokenizer::BYTE_ORDER_MARK)) {
    return std::unexpected("it starts with a byte-order mark");
  }
  if (edifact::tokenizer::input_start(payload).una) return std::unexpected("it holds a UNA service string advice");
  // A last segment without its terminator fails here: the UNZ written next would run into it.
  auto segments = bytes_to_segments(payload);
  if (!segments) return std::unexpected(segments.error().message());
  if (segments->empty()) return std::unexpected("it holds no segment");

  PayloadMessages found;
  found.segments = segments->size();
  bool inside = false;
  std::string_view reference;
  for (const edifact::model::Segment& segment : *segments) {
    const std::string_view tag = segment.tag();
    if (!inside) {
      if (tag != "UNH") return std::unexpected(fmt::format("segment {} stands outside a message", tag));
      inside = true;
      reference = segment.component_text(0, 0).value_or(std::string_view{});
      found.references.emplace_back(reference);
    } else if (tag == "UNT") {
      inside = false;
      // The reader ties a message to its trailer by this reference.
      const std::string_view closing = segment.component_text(1, 0).value_or(std::string_view{});
      if (closing != reference) {
        return std::unexpected(fmt::format("message {} ends with the UNT of message {}",
                                           support::debug_quote(reference), support::debug_quote(closing)));
      }
    } else if (is_service_segment(tag)) {
      return std::unexpected(
          fmt::format("segment {} stands inside message {}", tag, support::debug_quote(reference)));
    }
  }
  if (inside) return std::unexpected(fmt::format("message {} has no UNT", support::debug_quote(reference)));
  return found;
}

}  // namespace edi_energy::builders
