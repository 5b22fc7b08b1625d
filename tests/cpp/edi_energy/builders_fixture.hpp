// What the message builder tests share: fixed parties and the check that a built message reads
// back as built.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <concepts>
#include <functional>
#include <ostream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "../edifact/parsed_segments.hpp"
#include "edi_energy/error.hpp"

namespace builders_fixture {

// 13 digits from "99": agency "293"; from "98": agency "332"; other 13 digits: "9".
inline const std::string bdew_id = "9900000000003";
inline const std::string dvgw_id = "9800000000008";
inline const std::string gs1_id = "4012345000023";

// Holds every character that must be escaped, and some that must not.
inline std::string awkward(std::string_view tag) { return std::string(tag) + "+a:b?c'd \u00C4\u00D6\u00DC\u00DF"; }

template <class Builder>
concept Serializable = requires(Builder builder) { std::move(builder).serialize(); };

// One message a builder is expected to write, byte for byte.
struct LayoutCase {
  std::string_view name;
  std::function<edi_energy::Result<std::string>()> build;
  std::string message;

  friend void PrintTo(const LayoutCase& layout, std::ostream* os) { *os << layout.name; }
};

inline std::string layout_name(const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); }

// The message text of a build that cannot fail.
inline std::string text_of(const edi_energy::Result<std::string>& built) {
  EXPECT_TRUE(built.has_value()) << (built ? "" : built.error().message());
  return built.value_or("");
}

// Parsing `message` gives back each of `values` as one whole component, and UNT counts the
// segments parsed.
inline void expect_reads_back(std::string_view message, std::initializer_list<std::string> values) {
  const auto segments = edifact_test::parsed(message);
  ASSERT_FALSE(segments.empty());
  std::vector<std::string> texts;
  for (const auto& segment : segments) {
    for (const auto element : segment.elements()) {
      for (const auto component : element.components()) texts.emplace_back(component.text);
    }
  }
  for (const std::string& value : values) {
    EXPECT_NE(std::ranges::find(texts, value), texts.end()) << "lost or split: " << value << "\nin " << message;
  }
  const auto& unt = segments.back();
  ASSERT_EQ(unt.tag(), "UNT");
  EXPECT_EQ(unt.elements()[0].components().text(0), std::to_string(segments.size()));
}

}  // namespace builders_fixture
