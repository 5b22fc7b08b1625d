#include <gtest/gtest.h>

#include "rubo4e/error.hpp"

namespace {

using rubo4e::error::ExpectedLength;
using rubo4e::error::IdentifierError;

struct DisplayCase {
  IdentifierError error;
  std::string text;
};

class IdentifierErrorDisplay : public testing::TestWithParam<DisplayCase> {};

TEST_P(IdentifierErrorDisplay, RendersTheFixedText) { EXPECT_EQ(GetParam().error.message(), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    AllKinds, IdentifierErrorDisplay,
    testing::Values(
        DisplayCase{IdentifierError::invalid_length(ExpectedLength::exactly(11), 10),
                    "invalid length: expected exactly 11, got 10"},
        DisplayCase{IdentifierError::invalid_length(ExpectedLength::range(1, 3), 0),
                    "invalid length: expected 1..=3, got 0"},
        DisplayCase{IdentifierError::invalid_character(U'X', 10), "invalid character 'X' at position 10"},
        DisplayCase{IdentifierError::invalid_character(U'ä', 8), "invalid character 'ä' at position 8"},
        DisplayCase{IdentifierError::invalid_character(U'\'', 0), "invalid character '\\'' at position 0"},
        DisplayCase{IdentifierError::invalid_character(U'\t', 3), "invalid character '\\t' at position 3"},
        DisplayCase{IdentifierError::invalid_checksum(), "invalid checksum"},
        DisplayCase{IdentifierError::invalid_format("OBIS code must not be empty"),
                    "invalid format: OBIS code must not be empty"}));

TEST(IdentifierErrorCharacterAt, DecodesTheCharacterThatStartsAtThePosition) {
  EXPECT_EQ(IdentifierError::invalid_character_at("E1234567\xC3\xA4", 8), IdentifierError::invalid_character(U'ä', 8));
  EXPECT_EQ(IdentifierError::invalid_character_at("ab\xF0\x9D\x84\x9E", 2), IdentifierError::invalid_character(U'𝄞', 2));
  // Malformed or truncated sequences must not be read past; they show as U+FFFD.
  EXPECT_EQ(IdentifierError::invalid_character_at("12\xFF", 2), IdentifierError::invalid_character(U'\uFFFD', 2));
  EXPECT_EQ(IdentifierError::invalid_character_at("12\xC3", 2), IdentifierError::invalid_character(U'\uFFFD', 2));
}

}  // namespace
