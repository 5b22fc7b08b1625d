#include <gtest/gtest.h>

#include "identifier_outcome.hpp"
#include "rubo4e/identifiers/checksum.hpp"
#include "rubo4e/identifiers/malo_id.hpp"
#include "support/internal_fault.hpp"

namespace {

using rubo4e::identifiers::checksum::compute_numeric_id_from_base;
using rubo4e::identifiers::checksum::validate_numeric_id;
using rubo4e_test::accepted;
using rubo4e_test::outcome;

struct NumericCase {
  std::string text;
  std::size_t length;
  std::uint8_t min_first_digit;
  std::string expected;
};

class NumericIdValidation : public testing::TestWithParam<NumericCase> {};

TEST_P(NumericIdValidation, ReportsTheFirstFailure) {
  const auto& c = GetParam();
  EXPECT_EQ(outcome(validate_numeric_id(c.text, c.length, c.min_first_digit)), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    MaloAndMarktpartner, NumericIdValidation,
    testing::Values(
        NumericCase{"51234567895", 11, 1, accepted}, NumericCase{"41373559241", 11, 1, accepted},
        NumericCase{"9900000000003", 13, 0, accepted}, NumericCase{"0000000000000", 13, 0, accepted},
        NumericCase{"51234567894", 11, 1, "invalid checksum"},
        NumericCase{"9900000000004", 13, 0, "invalid checksum"},
        NumericCase{"5123456789", 11, 1, "invalid length: expected exactly 11, got 10"},
        NumericCase{"", 11, 1, "invalid length: expected exactly 11, got 0"},
        // Eleven characters but twelve bytes: the length test comes first and counts bytes.
        NumericCase{"5123456789\xC3\xA4", 11, 1, "invalid length: expected exactly 11, got 12"},
        NumericCase{"5123456789X", 11, 1, "invalid character 'X' at position 10"},
        NumericCase{"512345678\xC3\xA4", 11, 1, "invalid character 'ä' at position 9"},
        NumericCase{"5 234567895", 11, 1, "invalid character ' ' at position 1"},
        // Characters are tested before the Vergabestelle digit.
        NumericCase{"0123456789X", 11, 1, "invalid character 'X' at position 10"},
        NumericCase{"01234567890", 11, 1, "invalid format: first digit (Vergabestelle) must be 1-9, got '0'"},
        NumericCase{"39000000000", 11, 4, "invalid format: first digit (Vergabestelle) must be 4-9, got '3'"},
        NumericCase{"", 0, 0, "invalid checksum"}));

TEST(NumericIdValidation, MarktpartnerIdsMayBeginWithZero) {
  const auto completed = compute_numeric_id_from_base("012345678901", 13, 0);
  ASSERT_TRUE(completed.has_value());
  EXPECT_EQ(outcome(validate_numeric_id(*completed, 13, 0)), accepted);
  EXPECT_NE(outcome(validate_numeric_id(*completed, 13, 1)), accepted);
}

class NumericIdCompletion : public testing::TestWithParam<NumericCase> {};

TEST_P(NumericIdCompletion, AppendsTheCheckDigitOrReportsTheBase) {
  const auto& c = GetParam();
  EXPECT_EQ(outcome(compute_numeric_id_from_base(c.text, c.length, c.min_first_digit)), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    MaloAndMarktpartner, NumericIdCompletion,
    testing::Values(NumericCase{"5123456789", 11, 1, "51234567895"}, NumericCase{"4137355924", 11, 1, "41373559241"},
                    NumericCase{"990000000000", 13, 0, "9900000000003"},
                    NumericCase{"51234567895", 11, 1, "invalid length: expected exactly 10, got 11"},
                    NumericCase{"512345678", 11, 1, "invalid length: expected exactly 10, got 9"},
                    NumericCase{"51234567-9", 11, 1, "invalid character '-' at position 8"},
                    NumericCase{"0123456789", 11, 1, "invalid format: first digit (Vergabestelle) must be 1-9, got '0'"},
                    NumericCase{"1", 2, 0, "19"}, NumericCase{"", 1, 0, "0"}));

TEST(NumericIdCompletion, AnIdentifierWithoutRoomForItsCheckDigitIsAProgrammingFault) {
  EXPECT_THROW((void)compute_numeric_id_from_base("", 0, 0), support::InternalFault);
}

TEST(MaloId, UsesElevenDigitsWithAVergabestelleFromOne) {
  namespace malo_id = rubo4e::identifiers::malo_id;
  EXPECT_EQ(outcome(malo_id::validate("51234567895")), accepted);
  EXPECT_EQ(outcome(malo_id::validate("01234567890")),
            "invalid format: first digit (Vergabestelle) must be 1-9, got '0'");
  EXPECT_EQ(outcome(malo_id::from_base("5123456789")), "51234567895");
  EXPECT_EQ(malo_id::check_digit("5123456789"), 5);
  EXPECT_EQ(malo_id::check_digit("4137355924"), 1);
  ASSERT_FALSE(malo_id::check_digit("0123456789").has_value());
  EXPECT_EQ(outcome(malo_id::check_digit("123")), "invalid length: expected exactly 10, got 3");
}

}  // namespace
