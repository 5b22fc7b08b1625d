#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "edi_energy/agency_code.hpp"
#include "edi_energy/lokationstyp.hpp"

namespace {

namespace agency_code = edi_energy::agency_code;
namespace lokationstyp = edi_energy::lokationstyp;
using lokationstyp::Lokationstyp;

TEST(AgencyCode, ChosenByLengthAndPrefixOfTheMpId) {
  const std::pair<std::string, std::string> cases[] = {
      {"9900000000003", "293"}, {"9800000000006", "332"}, {"4012345000023", "9"}, {"9012345000023", "9"},
      // Only length and prefix count: no digit or check-digit test.
      {"98ABCDEFGHIJK", "332"}, {"ABCDEFGHIJKLM", "9"}, {"98000000000061", "293"}, {"98000000000", "293"}, {"", "293"},
      // 13 bytes of UTF-8, not 13 characters.
      {"98\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4" "1", "332"},
  };
  for (const auto& [mp_id, expected] : cases) {
    EXPECT_EQ(agency_code::code(agency_code::for_mp_id(mp_id)), expected) << mp_id;
  }
}

TEST(Lokationstyp, EveryTypeRoundTripsItsQualifierInVariantOrder) {
  std::string codes;
  for (std::size_t number = 0; number < lokationstyp::qualifier_codes.size(); ++number) {
    const auto typ = static_cast<Lokationstyp>(number);
    const std::string code(lokationstyp::qualifier_code(typ));
    EXPECT_EQ(lokationstyp::from_qualifier_code(code), typ) << code;
    codes += code + " ";
  }
  EXPECT_EQ(codes, "172 Z15 Z16 Z17 Z18 Z19 Z20 Z21 Z22 ");
  EXPECT_EQ(lokationstyp::qualifier_code(Lokationstyp::RuhendeMarktlokation), "Z22");
}

TEST(Lokationstyp, NearMissesGiveNoType) {
  for (const std::string code : {"z16", "Z14", "Z23", "Z1", "172 ", "", "Z160"}) {
    EXPECT_EQ(lokationstyp::from_qualifier_code(code), std::nullopt) << code;
  }
  EXPECT_EQ(lokationstyp::from_qualifier_code(std::string("Z1\0", 3)), std::nullopt);
}

}  // namespace
