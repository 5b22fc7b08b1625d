// The code values a presence text lists, read from texts far longer than any AHB writes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "edi_energy/profile/conditions/voraussetzung.hpp"

namespace {

namespace conditions = edi_energy::profile::conditions;

struct ListCase {
  std::string_view name;
  std::string_view opening;
  // The text that carries value number i; a value written twice is collected once.
  std::function<std::string(std::size_t)> word;
  std::string_view value_prefix;
};

// About 270 KB of text: reading it must take time in proportion to its length, which the
// benchmark of the value lists shows; here the whole list must come back, in order and once.
TEST(ListedValues, LongListsComeBackWholeInOrderAndOnce) {
  constexpr std::size_t count = 40'000;
  const std::vector<ListCase> cases{
      {"words after Code", "Wenn SG8 SEQ+Z01 DE1229 der Code", [](std::size_t i) { return " A" + std::to_string(i); },
       "A"},
      {"one word of slashes", "Wenn SG8 SEQ+Z01 DE1229 der Code A0",
       [](std::size_t i) { return "/A" + std::to_string(i) + "/A" + std::to_string(i / 2); }, "A"},
      {"a run after Werte", "Wenn SG8 SEQ+Z01 DE1229 Werte",
       [](std::size_t i) { return " a" + std::to_string(i) + " a" + std::to_string(i); }, "a"},
  };
  for (const ListCase& c : cases) {
    std::string text(c.opening);
    for (std::size_t i = 0; i < count; ++i) text += c.word(i);
    text += " vorhanden";
    const auto reading = conditions::Voraussetzung::parse(text);
    ASSERT_TRUE(reading.has_value()) << c.name;
    const auto* value = std::get_if<conditions::Voraussetzung::DeValue>(&reading->shape);
    ASSERT_NE(value, nullptr) << c.name;
    ASSERT_EQ(value->values.size(), count) << c.name;
    for (std::size_t i = 0; i < count; ++i) {
      ASSERT_EQ(value->values[i], std::string(c.value_prefix) + std::to_string(i)) << c.name << " at " << i;
    }
  }
}

}  // namespace
