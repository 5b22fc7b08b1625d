#include "edi_energy/builders/interchange.hpp"

#include <cstddef>
#include <functional>
#include <string_view>
#include <utility>

#include <fmt/format.h>

#include "edi_energy/builders/agency.hpp"
#include "edifact/parse/segment_stream.hpp"
#include "edifact/parse/tokenizer.hpp"
#include "edifact/write/writer.hpp"
#include "support/utf8.hpp"

namespace edi_energy::builders::interchange {
namespace {

using edifact::tokenizer::ByteClasses;
using edifact::tokenizer::ServiceStringAdvice;
using Writer = edifact::writer::Writer<edifact::writer::BorrowedSink>;

// The UNZ count is checked by parsers against the messages they find, and one payload may hold
// several messages: count the segments tagged UNH, skipping escaped terminators the way the
// tokenizer does.
std::size_t count_messages(std::string_view payload, const ByteClasses& classes) {
  std::size_t count = 0;
  std::size_t position = 0;
  while (position < payload.size()) {
    while (position < payload.size() && edifact::tokenizer::is_segment_whitespace(payload[position])) ++position;
    const std::string_view rest = payload.substr(position);
    if (rest.size() > 3 && rest.starts_with("UNH") && ByteClasses::ends_tag(classes[rest[3]])) ++count;
    edifact::parser::TerminatorScan scan(classes, rest.size());
    const auto terminator = scan.feed(rest);
    if (!terminator) break;
    position += *terminator + 1;
  }
  return count;
}

Error serialization(std::string_view context, const edifact::EdifactError& error) {
  return Error::edifact_serialize(fmt::format("{}: {}", context, error.message()));
}

}  // namespace

Result<std::string> InterchangeBuilder::build() && {
  std::size_t payload_bytes = 0;
  for (const std::string& message : messages) payload_bytes += message.size();
  std::string out;
  out.reserve(payload_bytes + 96);
  Writer writer(std::ref(out), ServiceStringAdvice::DEFAULT, edifact::charset::Charset::Unoc);

  std::vector<std::vector<std::string_view>> unb{
      {"UNOC", "3"},
      {sender, unb_qualifier(sender)},
      {receiver, unb_qualifier(receiver)},
      {date, time},
      {control_reference},
  };
  if (application_reference) {
    unb.emplace_back();
    unb.push_back({*application_reference});
  }
  if (auto written = writer.write_composites("UNB", unb); !written) {
    return std::unexpected(serialization("UNB envelope", written.error()));
  }

  const ByteClasses classes(ServiceStringAdvice::DEFAULT);
  std::size_t message_count = 0;
  for (const std::string& message : messages) {
    if (const auto invalid = support::utf8::first_invalid(message)) {
      return std::unexpected(Error::edifact_serialize(
          fmt::format("message payload is not UTF-8: invalid utf-8 sequence from index {}", *invalid)));
    }
    if (auto written = writer.write_text(message); !written) {
      return std::unexpected(serialization("message payload", written.error()));
    }
    message_count += count_messages(message, classes);
  }

  const std::string count_text = std::to_string(message_count);
  if (auto written = writer.write_simple("UNZ", {count_text, control_reference}); !written) {
    return std::unexpected(serialization("UNZ envelope", written.error()));
  }
  return out;
}

}  // namespace edi_energy::builders::interchange
