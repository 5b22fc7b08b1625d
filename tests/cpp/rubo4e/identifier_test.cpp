// Example identifiers of every kind: the order in which failures are reported, the exact error
// texts, and completion of a base with its check character.
#include <gtest/gtest.h>

#include "identifier_outcome.hpp"
#include "rubo4e/identifiers/ascii_ids.hpp"
#include "rubo4e/identifiers/bilanzkreis_id.hpp"
#include "rubo4e/identifiers/checksum.hpp"
#include "rubo4e/identifiers/eic_code.hpp"
#include "rubo4e/identifiers/malo_id.hpp"
#include "rubo4e/identifiers/marktpartner_id.hpp"
#include "rubo4e/identifiers/obis_code.hpp"
#include "rubo4e/identifiers/resource_id_kind.hpp"
#include "rubo4e/identifiers/zaehlpunkt.hpp"
#include "support/internal_fault.hpp"

namespace {

namespace checksum = rubo4e::identifiers::checksum;
namespace eic = rubo4e::identifiers::eic_code;
namespace ids = rubo4e::identifiers::ascii_ids;
namespace malo_id = rubo4e::identifiers::malo_id;
namespace mp = rubo4e::identifiers::marktpartner_id;
namespace obis = rubo4e::identifiers::obis_code;
using rubo4e::error::ExpectedLength;
using rubo4e::error::IdentifierError;
using rubo4e::identifiers::bilanzkreis_id::BilanzierungsgebietId;
using rubo4e::identifiers::bilanzkreis_id::BilanzkreisId;
using mp::MarktpartnerId;
using rubo4e_test::accepted;
using rubo4e_test::outcome;
using Cases = std::vector<std::pair<std::string_view, std::string>>;

TEST(IdentifierError, RendersEachKindAndDecodesWholeCharacters) {
  const std::pair<IdentifierError, std::string_view> cases[] = {
      {IdentifierError::invalid_length(ExpectedLength::exactly(11), 10), "invalid length: expected exactly 11, got 10"},
      {IdentifierError::invalid_length(ExpectedLength::range(1, 3), 0), "invalid length: expected 1..=3, got 0"},
      {IdentifierError::invalid_character(U'\'', 0), "invalid character '\\'' at position 0"},
      {IdentifierError::invalid_character(U'\t', 3), "invalid character '\\t' at position 3"},
      {IdentifierError::invalid_character_at("ab\xF0\x9D\x84\x9E", 2), "invalid character '𝄞' at position 2"},
      // Malformed or truncated sequences must not be read past.
      {IdentifierError::invalid_character_at("12\xC3", 2), "invalid character '\uFFFD' at position 2"},
      {IdentifierError::invalid_format("OBIS code must not be empty"), "invalid format: OBIS code must not be empty"}};
  for (const auto& [error, text] : cases) EXPECT_EQ(error.message(), text);
}

TEST(NumericId, ReportsTheFirstFailureWhenValidatingAndCompleting) {
  const std::string vergabestelle = "invalid format: first digit (Vergabestelle) must be 1-9, got '0'";
  const std::string long_base = "invalid length: expected exactly 10, got 11";
  const std::tuple<std::string_view, std::size_t, std::uint8_t, std::string, std::string> cases[] = {
      // text, length, minimum first digit, outcome of validating the text, of completing it as a base
      {"51234567895", 11, 1, accepted, long_base},
      {"9900000000003", 13, 0, accepted, "invalid length: expected exactly 12, got 13"},
      {"51234567894", 11, 1, "invalid checksum", long_base},
      {"5123456789", 11, 1, "invalid length: expected exactly 11, got 10", "51234567895"},
      // Eleven characters but twelve bytes: lengths count bytes.
      {"5123456789\xC3\xA4", 11, 1, "invalid length: expected exactly 11, got 12", "invalid length: expected exactly 10, got 12"},
      {"512345678\xC3\xA4", 11, 1, "invalid character 'ä' at position 9", long_base},
      {"51234567-9", 11, 1, "invalid length: expected exactly 11, got 10", "invalid character '-' at position 8"},
      // Characters are tested before the Vergabestelle digit.
      {"0123456789X", 11, 1, "invalid character 'X' at position 10", long_base},
      {"01234567890", 11, 1, vergabestelle, long_base},
      {"0123456789", 11, 1, "invalid length: expected exactly 11, got 10", vergabestelle},
      {"", 1, 0, "invalid length: expected exactly 1, got 0", "0"}};
  for (const auto& [text, length, min_first_digit, validated, completed] : cases) {
    EXPECT_EQ(outcome(checksum::validate_numeric_id(text, length, min_first_digit)), validated) << text;
    EXPECT_EQ(outcome(checksum::compute_numeric_id_from_base(text, length, min_first_digit)), completed) << text;
  }
  // An empty identifier has no check digit to agree with, and no room for one.
  EXPECT_EQ(outcome(checksum::validate_numeric_id("", 0, 0)), "invalid checksum");
  EXPECT_THROW((void)checksum::compute_numeric_id_from_base("", 0, 0), support::InternalFault);

  EXPECT_EQ(outcome(malo_id::validate("01234567890")), vergabestelle);
  EXPECT_EQ(outcome(malo_id::from_base("4137355924")), "41373559241");
  EXPECT_EQ(malo_id::check_digit("5123456789"), 5);
  EXPECT_EQ(outcome(malo_id::check_digit("123")), "invalid length: expected exactly 10, got 3");
}

TEST(AsciiId, ReportsTheFirstFailureWhenCompletingAndValidating) {
  const std::tuple<std::string_view, std::string_view, std::string> completions[] = {
      {"P9ABCDEFGH", "P9", "P9ABCDEFGH8"},
      {"E12345678", "E", "invalid length: expected exactly 10, got 9"},
      {"P812345678", "P9", "invalid format: identifier must start with Codetyp \"P9\", got \"P8\""},
      // The message quotes whole characters, never half of one.
      {"\xC3\xA4" "12345678", "E", "invalid format: identifier must start with Codetyp \"E\", got \"ä\""},
      {"E12345678a", "E", "invalid character 'a' at position 9"}};
  for (const auto& [text, codetyp, expected] : completions) {
    EXPECT_EQ(outcome(checksum::compute_ascii_id_from_base(text, codetyp)), expected);
  }
  const Cases validations = {
      {"E1234567891", accepted},
      {"E1234567892", "invalid checksum"},
      {"E123456789", "invalid length: expected exactly 11, got 10"},
      // Non-ASCII is found before the Codetyp is compared.
      {"X12345678\xC3\xA4", "invalid character 'ä' at position 9"},
      {"E123456789A", "invalid character 'A' at position 10"},
      {"e1234567891", "invalid format: identifier must start with Codetyp \"E\", got \"e\""}};
  for (const auto& [text, expected] : validations) EXPECT_EQ(outcome(checksum::validate_ascii_id(text, "E")), expected);
}

TEST(AsciiId, TypesAndKindsCheckWithTheirOwnCodetyp) {
  EXPECT_EQ(ids::NeloId::from_base("E123456789")->as_str(), "E1234567891");
  EXPECT_EQ(outcome(ids::NebeId::create("E1234567891")),
            "invalid format: identifier must start with Codetyp \"F\", got \"E\"");
  const auto tr = ids::TrId::from_base("D00000000X");
  ASSERT_TRUE(tr.has_value());
  EXPECT_EQ(ids::TrId::create(tr->as_str()), tr);
  for (const auto& entry : ids::resource_id_kinds) {
    EXPECT_EQ(ids::resource_id_kind_from_name(entry.name), entry.kind);
    EXPECT_EQ(ids::name(entry.kind), entry.name);
    EXPECT_EQ(ids::codetyp(entry.kind), entry.codetyp);
  }
  for (const char* unknown : {"NELO", " nelo", "", "P9"}) EXPECT_FALSE(ids::resource_id_kind_from_name(unknown)) << unknown;
  EXPECT_EQ(outcome(ids::resource_id_from_base(ids::ResourceIdKind::Paket, "P912345678")), "P9123456786");
  EXPECT_EQ(outcome(ids::validate_resource_id(ids::ResourceIdKind::Cr, "E1234567891")),
            "invalid format: identifier must start with Codetyp \"A\", got \"E\"");
}

TEST(MarktpartnerId, AcceptsAnyThirteenDigitsAndNamesTheSchemesThatHold) {
  EXPECT_EQ(outcome(MarktpartnerId::create("990000000000")), "invalid length: expected exactly 13, got 12");
  EXPECT_EQ(outcome(MarktpartnerId::create("99000000000\xC3\xA4")), "invalid character 'ä' at position 11");
  const std::pair<std::string_view, std::vector<mp::CheckDigitScheme>> cases[] = {
      {"9900000000003", {mp::CheckDigitScheme::Bdew}},
      {"4006381333931", {mp::CheckDigitScheme::Gln}},
      {"9900000000011", {mp::CheckDigitScheme::Bdew, mp::CheckDigitScheme::Gln}},
      {"9900000000005", {}},
      {"99000000000O3", {}}};
  for (const auto& [text, schemes] : cases) EXPECT_EQ(mp::check_digit_schemes(text), schemes) << text;
  EXPECT_EQ(mp::scheme_from_name("dvgw"), mp::CheckDigitScheme::Bdew);
  EXPECT_EQ(mp::scheme_from_name("gln"), mp::CheckDigitScheme::Gln);
  for (const char* unknown : {"BDEW", "", "ean"}) EXPECT_FALSE(mp::scheme_from_name(unknown).has_value()) << unknown;
  EXPECT_EQ(mp::scheme_name(mp::CheckDigitScheme::Gln), "gln");
}

TEST(MarktpartnerId, AuthorityFollowsThePrefixAndSchemesCompleteDifferently) {
  for (const auto& [text, authority, qualifier] : {std::array<std::string_view, 3>{"9900000000003", "BDEW", "500"},
                                                   {"9800000000000", "DVGW", "502"},
                                                   {"9700000000000", "GS1 GLN", "14"}}) {
    const auto id = MarktpartnerId::create(text);
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(mp::authority(*id), authority);
    EXPECT_EQ(mp::unb_qualifier(*id), qualifier);
  }
  EXPECT_EQ(outcome(mp::bdew_from_base("990000000000")), "9900000000003");
  EXPECT_EQ(mp::gln_from_base("990000000000")->as_str(), "9900000000004");
  EXPECT_EQ(mp::gln_from_base("400638133393")->as_str(), "4006381333931");
  for (const char* base : {"99000000000", "99000000000x"}) {
    EXPECT_EQ(mp::gln_from_base(base), std::unexpected(mp::GlnCompletionFailure::BaseNotTwelveDigits)) << base;
  }
}

TEST(EicCode, PublishedCodesCompleteFromTheirPrefixAndFailuresComeInOrder) {
  // German TSOs and bidding zones: check characters that are digits, letters, and after dashes.
  for (const std::string code : {"10YDE-RWENET---I", "10YDE-EON------1", "10Y1001A1001A82H", "10XA-----------O"}) {
    EXPECT_EQ(outcome(eic::EicCode::complete_prefix(code.substr(0, 15))), code);
    EXPECT_EQ(outcome(eic::validate(code)), accepted) << code;
  }
  const std::string object_type = "invalid format: position 3 must be a valid EIC object-type character (A/T/V/W/X/Y/Z)";
  const Cases cases = {
      // Non-ASCII is reported before the length, whatever the length.
      {"\xC3\xBC", "invalid format: EIC code must contain only ASCII characters"},
      {"11XABCDEFGHIJK-1 ", "invalid length: expected exactly 16, got 17"},
      {"11XABCDeFGHIJK-1", "invalid character 'e' at position 7"},
      {"11BABCDEFGHIJK-1", object_type},
      {"11XABCDEFGHIJK--", "invalid checksum"}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(outcome(eic::validate(text)), expected) << text;
  EXPECT_EQ(eic::object_type_of("11XABCDEFGHIJK-1"), 'X');
  EXPECT_EQ(outcome(eic::object_type_of("11XABCDEFGHIJK-2")), "invalid checksum");
  EXPECT_EQ(eic::object_type_name('W'), "Resource Object");
  EXPECT_FALSE(eic::object_type_name('B').has_value());
}

TEST(EicCode, CompletionTestsLengthThenAsciiAndLeavesCharactersToValidation) {
  EXPECT_EQ(outcome(eic::EicCode::complete_prefix("11XABCDEFGHIJK")), "invalid length: expected exactly 15, got 14");
  EXPECT_EQ(outcome(eic::EicCode::complete_prefix("11XABCDEFGHIJ\xC3\xBC")),
            "invalid format: EIC prefix must contain only ASCII characters");
  EXPECT_TRUE(eic::EicCode::complete_prefix("11xabcdefghijk-").has_value());
  EXPECT_EQ(outcome(eic::EicCode::new_from_prefix("11xabcdefghijk-")), "invalid character 'x' at position 2");
  // A prefix whose check value would be the dash has no completion at all.
  EXPECT_EQ(outcome(eic::EicCode::complete_prefix("11XACG---------")), "invalid checksum");

  const std::string party = "invalid format: BilanzierungsgebietId requires EIC object type 'Y' (Area or Domain) at "
                            "position 3, found 'X' (Party)";
  EXPECT_EQ(outcome(BilanzkreisId::validate("11XABCDEFGHIJK-1")), accepted);
  EXPECT_EQ(outcome(BilanzierungsgebietId::validate("11XABCDEFGHIJK-1")), party);
  EXPECT_EQ(outcome(BilanzkreisId::validate("10YDE-RWENET---I")),
            "invalid format: BilanzkreisId requires EIC object type 'X' (Party) at position 3, found 'Y' (Area or Domain)");
  EXPECT_EQ(outcome(BilanzkreisId::validate("11XABCDEFGHIJK-2")), "invalid checksum");
  EXPECT_EQ(BilanzierungsgebietId::from_prefix("10YAB-CDEFGHIJK")->as_str(), "10YAB-CDEFGHIJK7");
  EXPECT_EQ(outcome(BilanzierungsgebietId::from_prefix("11XABCDEFGHIJK-")), party);
  EXPECT_EQ(outcome(BilanzkreisId::from_prefix("11XACG---------")), "invalid checksum");
}

TEST(ObisCode, RendersCanonicallyOrReportsTheFirstFailure) {
  const auto component = [](char group) {
    return std::string("invalid format: ") + group + ": component must be a single octet (0-255) per IEC 62056-61";
  };
  const std::string separator = "invalid format: expected '.' separator between C and D";
  const std::string trailing = "invalid format: unexpected trailing characters after OBIS code";
  const Cases cases = {
      {"1-0:1.8.0&255", "1-0:1.8.0*255"}, {"01-00:001.008.000", "1-0:1.8.0"}, {"7:99.98.1", "7:99.98.1"},
      {"1-0:1.8*3", "1-0:1.8*3"}, {"", "invalid format: OBIS code must not be empty"},
      {"1-0:1.8.0*255&7", trailing}, {"1-0:1.8.0.1", trailing}, {"1-0:1.8x", trailing},
      {"1-0:1", separator}, {"300-0:1.8.0", component('A')}, {"1-0-0:1.8.0", component('B')},
      {"1-0:256.8.0", component('C')}, {"1-0:1..0", component('D')}, {"1-0:1.8.", component('E')},
      // F is taken first: a bad A and a bad F report F.
      {"1-0:1.8.0*", component('F')}, {"x-0:1.8.0*2x5", component('F')}};
  for (const auto& [text, expected] : cases) {
    const auto code = obis::ObisCode::create(text);
    EXPECT_EQ(code ? code->as_str() : code.error().message(), expected) << text;
  }
  EXPECT_EQ(obis::ObisCode::create("3.4")->components(),
            (obis::ObisComponents{std::nullopt, std::nullopt, 3, 4, std::nullopt, std::nullopt}));
  EXPECT_EQ((obis::ObisComponents{1, 0, 1, 8, 0, 255}).render(false), "1-0:1.8.0");
  EXPECT_EQ((obis::ObisComponents{std::nullopt, 5, 1, 8, std::nullopt, 1}).render(true), "1.8*1");
  // Long runs of digits saturate rather than overflow.
  EXPECT_EQ(obis::parse_group("0000000000000000000007x"), (obis::ParsedGroup{7, "x"}));
  EXPECT_FALSE(obis::parse_group("99999999999999999999999").has_value());
}

TEST(Zaehlpunktbezeichnung, ReportsTheFirstFailure) {
  const std::string country_code =
      "invalid format: first two characters must be uppercase ISO 3166-1 country code (e.g. \"DE\")";
  const Cases cases = {
      {"ATabcdefghijklmnopqrstuvwxyz01234", accepted},
      {"DE000145457680000000000000000305", "invalid length: expected exactly 33, got 32"},
      {"D10001454576800000000000000003054", country_code},
      // The country code is tested before the characters after it.
      {"d-000145457680000000000000000305-", country_code},
      {"DE00014545768000000000000000030\xC3\xA4", "invalid character 'ä' at position 31"}};
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(outcome(rubo4e::identifiers::zaehlpunkt::validate_zaehlpunktbezeichnung(text)), expected) << text;
  }
}

}  // namespace
