// Hand-written EDIFACT text turned into owned segments, for the message tests.
#pragma once

#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "edifact/model/segment.hpp"
#include "edifact/parse/from_bytes.hpp"

namespace messages_text {

// Default service characters; a text that does not parse fails the test that wrote it.
inline std::vector<edifact::model::Segment> segments_of(std::string_view text) {
  std::vector<edifact::model::Segment> segments;
  auto iter = edifact::from_bytes_with_config(text, edifact::ParserConfig{});
  while (auto item = iter.next()) {
    if (!item->has_value()) {
      ADD_FAILURE() << "unparsable test text: " << item->error().message();
      break;
    }
    segments.push_back(std::move(**item).into_owned());
  }
  return segments;
}

}  // namespace messages_text
