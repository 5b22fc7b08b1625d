// Test input written as EDIFACT text instead of built segment by segment.
#pragma once

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "edifact/parse/from_bytes.hpp"

namespace edifact_test {

// The segments of `text`, owning their texts; the text must parse.
inline std::vector<edifact::model::Segment> parsed(std::string_view text) {
  std::vector<edifact::model::Segment> segments;
  auto reader = edifact::from_bytes_with_config(text, {});
  while (auto item = reader.next()) {
    if (!*item) {
      ADD_FAILURE() << "test input does not parse: " << item->error().message();
      break;
    }
    segments.push_back(std::move(**item).into_owned());
  }
  return segments;
}

}  // namespace edifact_test
