// Parsing a byte slice in place: segments borrow their text from the slice, under the limits of
// a `ParserConfig`. The iterator stops for good at its first error.
#pragma once

#include <optional>
#include <string_view>

#include "edifact/error.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/parse/exact_parser.hpp"
#include "edifact/parse/parser_config.hpp"
#include "edifact/parse/limit_account.hpp"

namespace edifact {

class FromBytesIter {
 public:
  // The next segment (valid while the input lives), an error, or nothing at the end. After an
  // error every call yields nothing.
  std::optional<Result<model::Segment>> next();

 private:
  friend FromBytesIter from_bytes_with_config(std::string_view input, ParserConfig config);
  FromBytesIter(ParserConfig config, parser::Parser parser, std::optional<EdifactError> pending)
      : config_(std::move(config)),
        parser_(std::move(parser)),
        pending_(std::move(pending)),
        finished_(pending_.has_value()) {}

  ParserConfig config_;
  parser::Parser parser_;
  std::optional<EdifactError> pending_;
  bool finished_;
  parser::LimitAccount limits_;
};

// Reads the service string advice (a UNA, else the defaults), then parses from the first byte
// after the byte-order mark, whitespace and UNA. Never fails itself: a UNA that fails its check
// is the iterator's first item.
FromBytesIter from_bytes_with_config(std::string_view input, ParserConfig config);

}  // namespace edifact
