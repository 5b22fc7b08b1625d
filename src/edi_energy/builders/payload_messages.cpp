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

std::optional<std::string> payload_fault(std::string_view payload) {
  // The reader would step over both and the interchange would carry them in its middle.
  if (payload.starts_with(edifact::tokenizer::BYTE_ORDER_MARK)) return "it starts with a byte-order mark";
  if (edifact::tokenizer::input_start(payload).una) return "it holds a UNA service string advice";
  // A last segment without its terminator fails here: the UNZ written next would run into it.
  auto segments = bytes_to_segments(payload);
  if (!segments) return segments.error().message();
  if (segments->empty()) return "it holds no segment";

  bool inside = false;
  std::string_view reference;
  for (const edifact::model::Segment& segment : *segments) {
    const std::string_view tag = segment.tag();
    if (!inside) {
      if (tag != "UNH") return fmt::format("segment {} stands outside a message", tag);
      inside = true;
      reference = segment.component_text(0, 0).value_or(std::string_view{});
    } else if (tag == "UNT") {
      inside = false;
    } else if (is_service_segment(tag)) {
      return fmt::format("segment {} stands inside message {}", tag, support::debug_quote(reference));
    }
  }
  if (inside) return fmt::format("message {} has no UNT", support::debug_quote(reference));
  return std::nullopt;
}

}  // namespace edi_energy::builders
