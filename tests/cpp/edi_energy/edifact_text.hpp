// Test messages written as EDIFACT text and parsed with the library, as a received message is.
#pragma once

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "edifact/parse/from_bytes.hpp"

namespace edifact_text {

// The segments of `text`, which must parse; they borrow from `text`, so their spans are offsets
// into it.
inline std::vector<edifact::model::Segment> parsed(std::string_view text) {
  std::vector<edifact::model::Segment> segments;
  auto reader = edifact::from_bytes_with_config(text, {});
  while (auto item = reader.next()) {
    if (!*item) {
      ADD_FAILURE() << "test input does not parse: " << item->error().message();
      break;
    }
    segments.push_back(std::move(**item));
  }
  return segments;
}

}  // namespace edifact_text
