#include <gtest/gtest.h>

#include "identifier_outcome.hpp"
#include "rubo4e/identifiers/ascii_ids.hpp"
#include "rubo4e/identifiers/checksum.hpp"
#include "rubo4e/identifiers/resource_id_kind.hpp"

namespace {

namespace ids = rubo4e::identifiers::ascii_ids;
using rubo4e::identifiers::checksum::compute_ascii_id_from_base;
using rubo4e::identifiers::checksum::validate_ascii_id;
using rubo4e_test::accepted;
using rubo4e_test::outcome;

struct AsciiCase {
  std::string text;
  std::string codetyp;
  std::string expected;
};

class AsciiIdCompletion : public testing::TestWithParam<AsciiCase> {};

TEST_P(AsciiIdCompletion, AppendsTheCheckDigitOrReportsTheBase) {
  const auto& c = GetParam();
  EXPECT_EQ(outcome(compute_ascii_id_from_base(c.text, c.codetyp)), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, AsciiIdCompletion,
    testing::Values(
        AsciiCase{"E123456789", "E", "E1234567891"}, AsciiCase{"A000000000", "A", "A0000000005"},
        AsciiCase{"P912345678", "P9", "P9123456786"}, AsciiCase{"FZZZZZZZZZ", "F", "FZZZZZZZZZ0"}, AsciiCase{"P9ABCDEFGH", "P9", "P9ABCDEFGH8"},
        AsciiCase{"E12345678", "E", "invalid length: expected exactly 10, got 9"},
        AsciiCase{"E1234567891", "E", "invalid length: expected exactly 10, got 11"},
        AsciiCase{"X123456789", "E", "invalid format: identifier must start with Codetyp \"E\", got \"X\""},
        AsciiCase{"P812345678", "P9", "invalid format: identifier must start with Codetyp \"P9\", got \"P8\""},
        // The message quotes whole characters, never half of one.
        AsciiCase{"\xC3\xA4" "12345678", "E", "invalid format: identifier must start with Codetyp \"E\", got \"ä\""},
        AsciiCase{"E1234567\xC3\xA4", "E", "invalid character 'ä' at position 8"},
        AsciiCase{"E12345678a", "E", "invalid character 'a' at position 9"},
        AsciiCase{"P9-2345678", "P9", "invalid character '-' at position 2"}));

class AsciiIdValidation : public testing::TestWithParam<AsciiCase> {};

TEST_P(AsciiIdValidation, ReportsTheFirstFailure) {
  const auto& c = GetParam();
  EXPECT_EQ(outcome(validate_ascii_id(c.text, c.codetyp)), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, AsciiIdValidation,
    testing::Values(
        AsciiCase{"E1234567891", "E", accepted}, AsciiCase{"A0000000005", "A", accepted},
        AsciiCase{"P9123456786", "P9", accepted},
        AsciiCase{"E1234567891", "F", "invalid format: identifier must start with Codetyp \"F\", got \"E\""},
        AsciiCase{"E1234567892", "E", "invalid checksum"},
        AsciiCase{"E123456789", "E", "invalid length: expected exactly 11, got 10"},
        AsciiCase{"E12345678\xC3\xA4", "E", "invalid character 'ä' at position 9"},
        // Non-ASCII is found before the Codetyp is compared.
        AsciiCase{"X12345678\xC3\xA4", "E", "invalid character 'ä' at position 9"},
        AsciiCase{"E12345678a1", "E", "invalid character 'a' at position 9"},
        AsciiCase{"E123456789A", "E", "invalid character 'A' at position 10"},
        AsciiCase{"e1234567891", "E", "invalid format: identifier must start with Codetyp \"E\", got \"e\""}));

TEST(CodetypIds, EachTypeUsesItsOwnCodetyp) {
  EXPECT_EQ(ids::NeloId::from_base("E123456789")->as_str(), "E1234567891");
  EXPECT_EQ(ids::CrId::from_base("A000000000")->as_str(), "A0000000005");
  EXPECT_TRUE(ids::NeloId::create("E1234567891").has_value());
  EXPECT_EQ(outcome(ids::NebeId::create("E1234567891")),
            "invalid format: identifier must start with Codetyp \"F\", got \"E\"");
  EXPECT_EQ(outcome(ids::SgId::from_base("E123456789")),
            "invalid format: identifier must start with Codetyp \"B\", got \"E\"");
  const std::array codetyps{ids::CrId::codetyp, ids::SgId::codetyp, ids::SrId::codetyp,
                            ids::TrId::codetyp, ids::NeloId::codetyp, ids::NebeId::codetyp};
  EXPECT_EQ(codetyps, (std::array<std::string_view, 6>{"A", "B", "C", "D", "E", "F"}));
  const auto tr = ids::TrId::from_base("D00000000X");
  ASSERT_TRUE(tr.has_value());
  EXPECT_EQ(tr->as_str(), "D00000000X6");
  EXPECT_EQ(ids::TrId::create(tr->as_str()), tr);
}

TEST(ResourceIdKinds, ListsTheSevenKindsInOrderAndMatchesNamesExactly) {
  std::vector<std::pair<std::string_view, std::string_view>> listed;
  for (const auto& entry : ids::resource_id_kinds) listed.emplace_back(entry.name, entry.codetyp);
  EXPECT_EQ(listed, (std::vector<std::pair<std::string_view, std::string_view>>{
                        {"nelo", "E"}, {"nebe", "F"}, {"cr", "A"}, {"sg", "B"}, {"sr", "C"}, {"tr", "D"}, {"paket", "P9"}}));
  for (const auto& entry : ids::resource_id_kinds) {
    EXPECT_EQ(ids::resource_id_kind_from_name(entry.name), entry.kind);
    EXPECT_EQ(ids::name(entry.kind), entry.name);
    EXPECT_EQ(ids::codetyp(entry.kind), entry.codetyp);
  }
  for (const char* unknown : {"NELO", "Nelo", " nelo", "", "p9", "P9"}) {
    EXPECT_FALSE(ids::resource_id_kind_from_name(unknown).has_value()) << unknown;
  }
}

TEST(ResourceIdKinds, DispatchToTheKindsCodetyp) {
  EXPECT_EQ(outcome(ids::resource_id_from_base(ids::ResourceIdKind::Paket, "P912345678")), "P9123456786");
  EXPECT_EQ(outcome(ids::validate_resource_id(ids::ResourceIdKind::Paket, "P9123456786")), accepted);
  EXPECT_EQ(outcome(ids::resource_id_from_base(ids::ResourceIdKind::Nelo, "E123456789")), "E1234567891");
  EXPECT_EQ(outcome(ids::validate_resource_id(ids::ResourceIdKind::Nebe, "E1234567891")),
            "invalid format: identifier must start with Codetyp \"F\", got \"E\"");
  EXPECT_EQ(outcome(ids::resource_id_from_base(ids::ResourceIdKind::Cr, "E123456789")),
            "invalid format: identifier must start with Codetyp \"A\", got \"E\"");
}

}  // namespace
