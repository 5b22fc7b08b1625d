#include <gtest/gtest.h>

#include <string>

#include "edi_energy/agency_code.hpp"
#include "edi_energy/lokationstyp.hpp"

namespace {

namespace agency_code = edi_energy::agency_code;
namespace lokationstyp = edi_energy::lokationstyp;
using agency_code::AgencyCode;
using lokationstyp::Lokationstyp;

struct AgencyCase {
  std::string mp_id;
  std::string expected_code;
};

void PrintTo(const AgencyCase& agency_case, std::ostream* out) { *out << '"' << agency_case.mp_id << '"'; }

class AgencyForMpId : public testing::TestWithParam<AgencyCase> {};

TEST_P(AgencyForMpId, ChoosesByLengthAndPrefix) {
  EXPECT_EQ(agency_code::code(agency_code::for_mp_id(GetParam().mp_id)), GetParam().expected_code);
}

INSTANTIATE_TEST_SUITE_P(
    Ids, AgencyForMpId,
    testing::Values(AgencyCase{"9900000000003", "293"}, AgencyCase{"9800000000006", "332"},
                    AgencyCase{"4012345000023", "9"}, AgencyCase{"9012345000023", "9"},
                    // Only length and prefix count: no digit or check-digit test.
                    AgencyCase{"99ABCDEFGHIJK", "293"}, AgencyCase{"98ABCDEFGHIJK", "332"},
                    AgencyCase{"ABCDEFGHIJKLM", "9"}, AgencyCase{"98000000000061", "293"},
                    AgencyCase{"98000000000", "293"}, AgencyCase{"40123450000", "293"}, AgencyCase{"", "293"},
                    // 13 bytes of UTF-8, not 13 characters.
                    AgencyCase{"98\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4" "1", "332"}));

TEST(AgencyCodeTexts, AreInVariantOrder) {
  EXPECT_EQ(agency_code::code(AgencyCode::Bdew), "293");
  EXPECT_EQ(agency_code::code(AgencyCode::Gs1), "9");
  EXPECT_EQ(agency_code::code(AgencyCode::Etso), "305");
  EXPECT_EQ(agency_code::code(AgencyCode::Dvgw), "332");
}

struct QualifierCase {
  std::string code;
  Lokationstyp typ;
  int number;
};

void PrintTo(const QualifierCase& qualifier_case, std::ostream* out) { *out << qualifier_case.code; }

class LokationstypQualifier : public testing::TestWithParam<QualifierCase> {};

TEST_P(LokationstypQualifier, RoundTripsItsCodeAndKeepsItsPlace) {
  EXPECT_EQ(lokationstyp::from_qualifier_code(GetParam().code), GetParam().typ);
  EXPECT_EQ(lokationstyp::qualifier_code(GetParam().typ), GetParam().code);
  EXPECT_EQ(static_cast<int>(GetParam().typ), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(AllNine, LokationstypQualifier,
                         testing::Values(QualifierCase{"172", Lokationstyp::Meldepunkt, 0},
                                         QualifierCase{"Z15", Lokationstyp::MabisZaehlpunkt, 1},
                                         QualifierCase{"Z16", Lokationstyp::Marktlokation, 2},
                                         QualifierCase{"Z17", Lokationstyp::Messlokation, 3},
                                         QualifierCase{"Z18", Lokationstyp::Netzlokation, 4},
                                         QualifierCase{"Z19", Lokationstyp::SteuerbareRessource, 5},
                                         QualifierCase{"Z20", Lokationstyp::TechnischeRessource, 6},
                                         QualifierCase{"Z21", Lokationstyp::Tranche, 7},
                                         QualifierCase{"Z22", Lokationstyp::RuhendeMarktlokation, 8}));

class UnknownQualifier : public testing::TestWithParam<std::string> {};

TEST_P(UnknownQualifier, GivesNoLokationstyp) {
  EXPECT_EQ(lokationstyp::from_qualifier_code(GetParam()), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(NearMisses, UnknownQualifier,
                         testing::Values("z16", "Z14", "Z23", "Z1", "172 ", " 172", "", "Z160",
                                         std::string("Z1\0", 3)));

}  // namespace
