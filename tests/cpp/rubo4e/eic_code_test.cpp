#include <gtest/gtest.h>

#include "identifier_outcome.hpp"
#include "rubo4e/identifiers/bilanzkreis_id.hpp"
#include "rubo4e/identifiers/eic_code.hpp"

namespace {

namespace eic = rubo4e::identifiers::eic_code;
using rubo4e::identifiers::bilanzkreis_id::BilanzierungsgebietId;
using rubo4e::identifiers::bilanzkreis_id::BilanzkreisId;
using rubo4e_test::accepted;
using rubo4e_test::outcome;

// Published codes of German TSOs and bidding zones alongside constructed ones; every check
// character class (digit, letter, the letter O after many dashes) appears.
class EicKnownCodes : public testing::TestWithParam<std::string> {};

TEST_P(EicKnownCodes, CheckCharacterMatchesAndTheCodeValidates) {
  const std::string& code = GetParam();
  EXPECT_EQ(eic::compute_check_char(std::string_view(code).substr(0, 15)), code.back());
  EXPECT_EQ(outcome(eic::EicCode::complete_prefix(code.substr(0, 15))), code);
  EXPECT_EQ(outcome(eic::validate(code)), accepted);
}

INSTANTIATE_TEST_SUITE_P(Codes, EicKnownCodes,
                         testing::Values("11XABCDEFGHIJK-1", "10YAB-CDEFGHIJK7", "10XA-----------O",
                                         "10YDE-RWENET---I", "10YDE-EON------1", "10YDE-VE-------2",
                                         "10YDE-ENBW-----N", "10Y1001A1001A82H", "10Y1001A1001A83F",
                                         "10YCB-GERMANY--8"));

struct EicCase {
  std::string text;
  std::string expected;
};

class EicValidation : public testing::TestWithParam<EicCase> {};

TEST_P(EicValidation, ReportsTheFirstFailure) {
  EXPECT_EQ(outcome(eic::validate(GetParam().text)), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, EicValidation,
    testing::Values(
        // Non-ASCII is reported before the length, whatever the length.
        EicCase{"11XABCDEFGHIJK\xC3\xBC", "invalid format: EIC code must contain only ASCII characters"},
        EicCase{"\xC3\xBC", "invalid format: EIC code must contain only ASCII characters"},
        EicCase{"11XABCDEFGHIJK-", "invalid length: expected exactly 16, got 15"},
        EicCase{"11XABCDEFGHIJK-1 ", "invalid length: expected exactly 16, got 17"},
        EicCase{"11XABCDeFGHIJK-1", "invalid character 'e' at position 7"},
        EicCase{"11XABCDEFGHIJK_1", "invalid character '_' at position 14"},
        EicCase{"11BABCDEFGHIJK-1",
                "invalid format: position 3 must be a valid EIC object-type character (A/T/V/W/X/Y/Z)"},
        EicCase{"11-ABCDEFGHIJK-1",
                "invalid format: position 3 must be a valid EIC object-type character (A/T/V/W/X/Y/Z)"},
        EicCase{"11XABCDEFGHIJK-2", "invalid checksum"}, EicCase{"11XABCDEFGHIJK--", "invalid checksum"}));

TEST(EicCheckCharacter, APrefixWhoseCheckValueWouldBeADashCannotBeCompleted) {
  constexpr std::string_view prefix = "11XACG---------";
  EXPECT_FALSE(eic::compute_check_char(prefix).has_value());
  EXPECT_EQ(outcome(eic::EicCode::complete_prefix(prefix)), "invalid checksum");
  // No character at all completes it, the dash included.
  for (char last : std::string_view("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-")) {
    EXPECT_NE(outcome(eic::validate(std::string(prefix) + last)), accepted) << last;
  }
}

TEST(EicCompletion, TestsLengthThenAsciiAndLeavesCharactersToValidation) {
  EXPECT_EQ(outcome(eic::EicCode::complete_prefix("11XABCDEFGHIJK")), "invalid length: expected exactly 15, got 14");
  EXPECT_EQ(outcome(eic::EicCode::complete_prefix("11XABCDEFGHIJ\xC3\xBC")),
            "invalid format: EIC prefix must contain only ASCII characters");
  // A lower-case prefix completes, but the completed code does not validate.
  EXPECT_TRUE(eic::EicCode::complete_prefix("11xabcdefghijk-").has_value());
  EXPECT_EQ(outcome(eic::EicCode::new_from_prefix("11xabcdefghijk-")), "invalid character 'x' at position 2");
  EXPECT_EQ(outcome(eic::EicCode::new_from_prefix("11BABCDEFGHIJK-")),
            "invalid format: position 3 must be a valid EIC object-type character (A/T/V/W/X/Y/Z)");

  const auto code = eic::EicCode::new_from_prefix("10YDE-RWENET---");
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(code->as_str(), "10YDE-RWENET---I");
  EXPECT_EQ(code->object_type(), 'Y');
}

TEST(EicObjectType, ReadsTheThirdCharacterOfAValidCodeOnly) {
  EXPECT_EQ(eic::object_type_of("11XABCDEFGHIJK-1"), 'X');
  EXPECT_EQ(eic::object_type_of("10YDE-RWENET---I"), 'Y');
  EXPECT_EQ(outcome(eic::object_type_of("11XABCDEFGHIJK-2")), "invalid checksum");
  EXPECT_EQ(eic::object_type_name('W'), "Resource Object");
  EXPECT_FALSE(eic::object_type_name('B').has_value());
}

TEST(BalancingIdentifiers, RequireTheirObjectType) {
  EXPECT_EQ(outcome(BilanzkreisId::validate("11XABCDEFGHIJK-1")), accepted);
  EXPECT_EQ(outcome(BilanzierungsgebietId::validate("11XABCDEFGHIJK-1")),
            "invalid format: BilanzierungsgebietId requires EIC object type 'Y' (Area or Domain) at position 3, "
            "found 'X' (Party)");
  EXPECT_EQ(outcome(BilanzierungsgebietId::validate("10YDE-RWENET---I")), accepted);
  EXPECT_EQ(outcome(BilanzkreisId::validate("10YDE-RWENET---I")),
            "invalid format: BilanzkreisId requires EIC object type 'X' (Party) at position 3, found 'Y' "
            "(Area or Domain)");
  EXPECT_EQ(outcome(BilanzkreisId::validate("11ZABCDEFGHIJK-" + std::string(1, *eic::compute_check_char("11ZABCDEFGHIJK-")))),
            "invalid format: BilanzkreisId requires EIC object type 'X' (Party) at position 3, found 'Z' "
            "(Measurement Point)");
  // The EIC's own failure comes back unchanged.
  EXPECT_EQ(outcome(BilanzkreisId::validate("11XABCDEFGHIJK-2")), "invalid checksum");
}

TEST(BalancingIdentifiers, CompleteAPrefixAndThenValidateIt) {
  const auto bilanzkreis = BilanzkreisId::from_prefix("11XABCDEFGHIJK-");
  ASSERT_TRUE(bilanzkreis.has_value());
  EXPECT_EQ(bilanzkreis->as_str(), "11XABCDEFGHIJK-1");
  const auto gebiet = BilanzierungsgebietId::from_prefix("10YAB-CDEFGHIJK");
  ASSERT_TRUE(gebiet.has_value());
  EXPECT_EQ(gebiet->as_str(), "10YAB-CDEFGHIJK7");

  EXPECT_EQ(outcome(BilanzierungsgebietId::from_prefix("11XABCDEFGHIJK-")),
            "invalid format: BilanzierungsgebietId requires EIC object type 'Y' (Area or Domain) at position 3, "
            "found 'X' (Party)");
  EXPECT_EQ(outcome(BilanzkreisId::from_prefix("11XACG---------")), "invalid checksum");
  EXPECT_EQ(outcome(BilanzkreisId::from_prefix("11X")), "invalid length: expected exactly 15, got 3");
}

}  // namespace
