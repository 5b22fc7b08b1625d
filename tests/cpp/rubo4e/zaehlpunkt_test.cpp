#include <gtest/gtest.h>

#include "identifier_outcome.hpp"
#include "rubo4e/identifiers/zaehlpunkt.hpp"

namespace {

using rubo4e::identifiers::zaehlpunkt::validate_zaehlpunktbezeichnung;
using rubo4e_test::accepted;
using rubo4e_test::outcome;

struct ZaehlpunktCase {
  std::string text;
  std::string expected;
};

class Zaehlpunktbezeichnung : public testing::TestWithParam<ZaehlpunktCase> {};

TEST_P(Zaehlpunktbezeichnung, ReportsTheFirstFailure) {
  EXPECT_EQ(outcome(validate_zaehlpunktbezeichnung(GetParam().text)), GetParam().expected) << GetParam().text;
}

constexpr const char* country_code_message =
    "invalid format: first two characters must be uppercase ISO 3166-1 country code (e.g. \"DE\")";

INSTANTIATE_TEST_SUITE_P(
    Examples, Zaehlpunktbezeichnung,
    testing::Values(
        ZaehlpunktCase{"DE0001454576800000000000000003054", accepted},
        ZaehlpunktCase{"ATabcdefghijklmnopqrstuvwxyz01234", accepted},
        ZaehlpunktCase{"DE000145457680000000000000000305", "invalid length: expected exactly 33, got 32"},
        ZaehlpunktCase{"DE00014545768000000000000000030540", "invalid length: expected exactly 33, got 34"},
        ZaehlpunktCase{"de0001454576800000000000000003054", country_code_message},
        ZaehlpunktCase{"D10001454576800000000000000003054", country_code_message},
        // The country code is tested before the characters after it.
        ZaehlpunktCase{"d-000145457680000000000000000305-", country_code_message},
        ZaehlpunktCase{"DE000-1454576800000000000000003054", "invalid length: expected exactly 33, got 34"},
        ZaehlpunktCase{"DE000-145457680000000000000003054", "invalid character '-' at position 5"},
        ZaehlpunktCase{"DE000145457680000000000000000305 ", "invalid character ' ' at position 32"},
        ZaehlpunktCase{"DE00014545768000000000000000030\xC3\xA4", "invalid character 'ä' at position 31"},
        ZaehlpunktCase{"\xC3\x84" "0001454576800000000000000003054", country_code_message}));

}  // namespace
