#include "edi_energy/builders/read_back.hpp"

#include <memory>
#include <utility>

#include "edifact/parse/parser_config.hpp"
#include "edifact/parse/segment_stream.hpp"

namespace edi_energy::builders {

Result<std::vector<edifact::model::Segment>> bytes_to_segments(std::string_view bytes) {
  edifact::ParserConfig config;
  config.service_string_advice = edifact::tokenizer::ServiceStringAdvice::DEFAULT;
  edifact::parser::OwnedSegmentStream stream(std::make_unique<edifact::parser::MemoryByteSource>(bytes),
                                             std::move(config));
  std::vector<edifact::model::Segment> segments;
  while (auto item = stream.next()) {
    if (!item->has_value()) return std::unexpected(Error::edifact_parse(std::move(item->error())));
    segments.push_back(std::move(**item));
  }
  return segments;
}

}  // namespace edi_energy::builders
