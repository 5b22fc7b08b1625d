#include <gtest/gtest.h>

#include "identifier_outcome.hpp"
#include "rubo4e/identifiers/marktpartner_id.hpp"

namespace {

namespace mp = rubo4e::identifiers::marktpartner_id;
using mp::CheckDigitScheme;
using mp::MarktpartnerId;
using rubo4e_test::outcome;

TEST(MarktpartnerId, AcceptsAnyThirteenDigitsWhateverTheirCheckDigit) {
  for (const char* text : {"9900000000003", "9900000000004", "0000000000000", "4006381333931"}) {
    const auto id = MarktpartnerId::create(text);
    ASSERT_TRUE(id.has_value()) << text;
    EXPECT_EQ(id->as_str(), text);
  }
}

TEST(MarktpartnerId, RejectsLengthBeforeCharacters) {
  EXPECT_EQ(outcome(MarktpartnerId::create("990000000000")), "invalid length: expected exactly 13, got 12");
  EXPECT_EQ(outcome(MarktpartnerId::create("99000000000x0")), "invalid character 'x' at position 11");
  EXPECT_EQ(outcome(MarktpartnerId::create("99000000000\xC3\xA4")), "invalid character 'ä' at position 11");
  EXPECT_EQ(outcome(MarktpartnerId::create("9900000000\xC3\xA4\xC3\xA4")),
            "invalid length: expected exactly 13, got 14");
}

struct SchemeCase {
  std::string text;
  std::vector<CheckDigitScheme> schemes;
};

class MarktpartnerCheckDigitSchemes : public testing::TestWithParam<SchemeCase> {};

TEST_P(MarktpartnerCheckDigitSchemes, NamesEverySchemeThatHoldsBdewFirst) {
  EXPECT_EQ(mp::check_digit_schemes(GetParam().text), GetParam().schemes) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, MarktpartnerCheckDigitSchemes,
    testing::Values(SchemeCase{"9900000000003", {CheckDigitScheme::Bdew}},
                    SchemeCase{"9900000000004", {CheckDigitScheme::Gln}},
                    SchemeCase{"4006381333931", {CheckDigitScheme::Gln}},
                    SchemeCase{"9900000000011", {CheckDigitScheme::Bdew, CheckDigitScheme::Gln}},
                    SchemeCase{"9900000000005", {}}, SchemeCase{"990000000000", {}},
                    SchemeCase{"99000000000O3", {}}));

TEST(MarktpartnerSchemeNames, AcceptExactSpellingsAndTheDvgwAlias) {
  EXPECT_EQ(mp::scheme_from_name("bdew"), CheckDigitScheme::Bdew);
  EXPECT_EQ(mp::scheme_from_name("dvgw"), CheckDigitScheme::Bdew);
  EXPECT_EQ(mp::scheme_from_name("gln"), CheckDigitScheme::Gln);
  for (const char* unknown : {"BDEW", "Gln", "", " bdew", "ean"}) {
    EXPECT_FALSE(mp::scheme_from_name(unknown).has_value()) << unknown;
  }
  EXPECT_EQ(mp::scheme_name(CheckDigitScheme::Bdew), "bdew");
  EXPECT_EQ(mp::scheme_name(CheckDigitScheme::Gln), "gln");
}

struct AuthorityCase {
  std::string text;
  std::string authority;
  std::string unb_qualifier;
};

class MarktpartnerAuthority : public testing::TestWithParam<AuthorityCase> {};

TEST_P(MarktpartnerAuthority, FollowsTheFirstTwoDigits) {
  const auto id = MarktpartnerId::create(GetParam().text);
  ASSERT_TRUE(id.has_value());
  EXPECT_EQ(mp::authority(*id), GetParam().authority);
  EXPECT_EQ(mp::unb_qualifier(*id), GetParam().unb_qualifier);
}

INSTANTIATE_TEST_SUITE_P(Prefixes, MarktpartnerAuthority,
                         testing::Values(AuthorityCase{"9900000000003", "BDEW", "500"},
                                         AuthorityCase{"9800000000000", "DVGW", "502"},
                                         AuthorityCase{"4006381333931", "GS1 GLN", "14"},
                                         AuthorityCase{"9700000000000", "GS1 GLN", "14"},
                                         AuthorityCase{"8900000000000", "GS1 GLN", "14"}));

TEST(MarktpartnerCompletion, BdewAndGlnSchemesCompleteTheSameBaseDifferently) {
  EXPECT_EQ(outcome(mp::bdew_from_base("990000000000")), "9900000000003");
  EXPECT_EQ(outcome(mp::bdew_from_base("99000000000")), "invalid length: expected exactly 12, got 11");
  const auto gln = mp::gln_from_base("990000000000");
  ASSERT_TRUE(gln.has_value());
  EXPECT_EQ(gln->as_str(), "9900000000004");
  EXPECT_EQ(mp::gln_from_base("400638133393")->as_str(), "4006381333931");
}

TEST(MarktpartnerCompletion, GlnBaseMustBeTwelveDigits) {
  for (const char* base : {"99000000000", "9900000000000", "99000000000x", "", "9900000000\xC3\xA4"}) {
    EXPECT_EQ(mp::gln_from_base(base), std::unexpected(mp::GlnCompletionFailure::BaseNotTwelveDigits)) << base;
  }
}

}  // namespace
