#include "edi_energy/platform/input_segments.hpp"

#include <memory>
#include <optional>
#include <utility>

#include "edi_energy/platform/raw_offsets.hpp"
#include "edifact/charset/charset.hpp"
#include "edifact/parse/parser_config.hpp"
#include "edifact/parse/segment_stream.hpp"

namespace edi_energy::platform {

Result<std::vector<edifact::model::Segment>> input_segments(std::string_view raw) {
  // Checked on the raw bytes: decoding may grow the text beyond the limit, or hide a raw input
  // beyond it until after a costly conversion.
  if (raw.size() > MAX_INPUT_BYTES) {
    return std::unexpected(
        Error::edifact_parse(edifact::EdifactError::limit_exceeded("max_input_bytes", MAX_INPUT_BYTES)));
  }
  auto charset = edifact::charset::sniff_charset(raw);
  if (!charset) return std::unexpected(Error::edifact_parse(std::move(charset.error())));

  std::optional<edifact::charset::Converted> decoded;
  std::string_view text = raw;
  if (*charset) {
    auto converted = edifact::charset::decode(**charset, raw);
    if (!converted) return std::unexpected(Error::edifact_parse(std::move(converted.error())));
    decoded.emplace(std::move(*converted));
    text = decoded->view();
  }
  const RawOffsets offsets =
      decoded && !decoded->is_borrowed() ? RawOffsets::over_decoded(text) : RawOffsets{};

  edifact::ParserConfig config;
  config.max_segments = MAX_SEGMENTS;
  // The raw size is already within the limit; a decoded text may be longer and is not refused.
  config.max_input_bytes = offsets.is_identity() ? MAX_INPUT_BYTES : text.size();
  // Likewise for one segment: a raw byte decodes to at most three, and the raw length is
  // checked below.
  config.max_segment_length = offsets.is_identity() ? MAX_SEGMENT_LENGTH : 3 * MAX_SEGMENT_LENGTH;

  edifact::parser::OwnedSegmentStream stream(std::make_unique<edifact::parser::MemoryByteSource>(text),
                                             std::move(config));
  std::vector<edifact::model::Segment> segments;
  while (auto item = stream.next()) {
    if (!item->has_value()) return std::unexpected(Error::edifact_parse(offsets.to_raw(std::move(item->error()))));
    if (offsets.is_identity()) {
      segments.push_back(std::move(**item));
      continue;
    }
    edifact::model::Segment segment = offsets.to_raw(**item);
    const edifact::model::Span span = segment.span();
    if (span.length() > MAX_SEGMENT_LENGTH + 1) {  // the terminator is not counted
      return std::unexpected(
          Error::edifact_parse(edifact::EdifactError::segment_too_long(span.start, MAX_SEGMENT_LENGTH)));
    }
    segments.push_back(std::move(segment));
  }
  return segments;
}

}  // namespace edi_energy::platform
