#include "edi_energy/platform/input_segments.hpp"

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include "edi_energy/platform/raw_offsets.hpp"
#include "edifact/charset/charset.hpp"
#include "edifact/parse/parser_config.hpp"
#include "edifact/parse/service_string_advice.hpp"
#include "edifact/parse/segment_stream.hpp"

namespace edi_energy::platform {
namespace {

// Eight bytes at a time: most inputs are ASCII throughout and need no decoding at all.
bool is_ascii(std::string_view bytes) {
  std::size_t at = 0;
  for (; at + 8 <= bytes.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + at, 8);
    if ((word & 0x8080808080808080ULL) != 0) return false;
  }
  for (; at < bytes.size(); ++at) {
    if (static_cast<unsigned char>(bytes[at]) >= 0x80) return false;
  }
  return true;
}

}  // namespace

Result<std::vector<edifact::model::Segment>> input_segments(std::string_view raw) {
  // Checked on the raw bytes: decoding may grow the text beyond the limit, or hide a raw input
  // beyond it until after a costly conversion.
  if (raw.size() > MAX_INPUT_BYTES) {
    return std::unexpected(
        Error::edifact_parse(edifact::EdifactError::limit_exceeded("max_input_bytes", MAX_INPUT_BYTES)));
  }
  auto charset = edifact::charset::sniff_charset(raw);
  if (!charset) return std::unexpected(Error::edifact_parse(std::move(charset.error())));

  // A byte-order mark is no part of the text: the stream steps over it, and a repertoire must
  // neither refuse nor decode it.
  const std::size_t mark = raw.starts_with(edifact::tokenizer::BYTE_ORDER_MARK)
                               ? edifact::tokenizer::BYTE_ORDER_MARK.size()
                               : 0;
  const std::string_view text = raw.substr(mark);

  // A repertoire that decodes through a table is decoded as the stream reads, never as a whole.
  const HighHalf* table = nullptr;
  if (*charset && !is_ascii(text)) {
    table = HighHalf::of(**charset);
    if (table) {
      for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x80 && table->length(byte) == 0) {
          return std::unexpected(Error::edifact_parse(edifact::EdifactError::invalid_text(mark + at)));
        }
      }
    } else if (auto checked = edifact::charset::decode(**charset, text); !checked) {
      edifact::EdifactError error = std::move(checked.error());
      error.offset += mark;
      return std::unexpected(Error::edifact_parse(std::move(error)));
    }
  }
  const RawOffsets offsets = table ? RawOffsets::over_raw(raw, *table, mark) : RawOffsets{};
  // Nothing grew: the raw bytes are the text.
  const bool identity = offsets.is_identity() || offsets.decoded_size() == text.size();

  edifact::ParserConfig config;
  config.max_segments = MAX_SEGMENTS;
  // The raw size is already within the limit; a decoded text may be longer and is not refused.
  config.max_input_bytes = identity ? MAX_INPUT_BYTES : offsets.decoded_size();
  // Likewise for one segment: a raw byte decodes to at most three, and the raw length is
  // checked below.
  config.max_segment_length = identity ? MAX_SEGMENT_LENGTH : 3 * MAX_SEGMENT_LENGTH;

  std::unique_ptr<edifact::parser::ByteSource> source;
  if (identity) {
    source = std::make_unique<edifact::parser::MemoryByteSource>(raw);
  } else {
    source = std::make_unique<DecodingByteSource>(text, *table);
  }
  edifact::parser::OwnedSegmentStream stream(std::move(source), std::move(config));
  std::vector<edifact::model::Segment> segments;
  while (auto item = stream.next()) {
    if (!item->has_value()) {
      return std::unexpected(
          Error::edifact_parse(identity ? std::move(item->error()) : offsets.to_raw(std::move(item->error()))));
    }
    if (identity) {
      segments.push_back(std::move(**item));
      continue;
    }
    edifact::model::Segment segment = offsets.to_raw(std::move(**item));
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
