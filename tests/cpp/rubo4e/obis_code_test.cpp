#include <gtest/gtest.h>

#include "identifier_outcome.hpp"
#include "rubo4e/identifiers/obis_code.hpp"

namespace {

namespace obis = rubo4e::identifiers::obis_code;

std::string canonical(std::string_view text) {
  const auto code = obis::ObisCode::create(text);
  return code ? code->as_str() : code.error().message();
}

struct ObisCase {
  std::string text;
  std::string expected;
};

class ObisCodeParsing : public testing::TestWithParam<ObisCase> {};

TEST_P(ObisCodeParsing, RendersCanonicallyOrReportsTheFirstFailure) {
  EXPECT_EQ(canonical(GetParam().text), GetParam().expected) << GetParam().text;
}

std::string component_message(char group) {
  return std::string("invalid format: ") + group + ": component must be a single octet (0-255) per IEC 62056-61";
}
const std::string separator_message = "invalid format: expected '.' separator between C and D";
const std::string trailing_message = "invalid format: unexpected trailing characters after OBIS code";

INSTANTIATE_TEST_SUITE_P(
    Examples, ObisCodeParsing,
    testing::Values(
        ObisCase{"1-0:1.8.0*255", "1-0:1.8.0*255"}, ObisCase{"1-0:1.8.0&255", "1-0:1.8.0*255"},
        ObisCase{"01-00:001.008.000", "1-0:1.8.0"}, ObisCase{"1.8.0", "1.8.0"}, ObisCase{"1.8", "1.8"},
        ObisCase{"7:99.98.1", "7:99.98.1"}, ObisCase{"1-1:0.0.0*0", "1-1:0.0.0*0"},
        ObisCase{"1-0:1.8*3", "1-0:1.8*3"}, ObisCase{"255-255:255.255.255*255", "255-255:255.255.255*255"},
        ObisCase{"1-0:1.8.0*255&7", trailing_message},
        ObisCase{"", "invalid format: OBIS code must not be empty"},
        ObisCase{"1-0:256.8.0", component_message('C')}, ObisCase{"1-0:1.8.0*x", component_message('F')},
        ObisCase{"1-0:1.8.0*", component_message('F')}, ObisCase{"1-0:1.8.0*25 5", component_message('F')},
        ObisCase{"1-0:1", separator_message}, ObisCase{"1-0:1,8", separator_message},
        ObisCase{"1-0:1.8.0.1", trailing_message}, ObisCase{"1-0:1.8x", trailing_message},
        ObisCase{"1-0:1.8.0x", trailing_message}, ObisCase{"1-0:.8.0", component_message('C')},
        ObisCase{"1-0:1..0", component_message('D')}, ObisCase{"1-0:1.999", component_message('D')},
        ObisCase{"1-0:1.8.", component_message('E')}, ObisCase{"1-0:1.8.256", component_message('E')},
        ObisCase{"x-0:1.8.0", component_message('A')}, ObisCase{":1.8.0", component_message('A')},
        ObisCase{"1-:1.8.0", component_message('B')}, ObisCase{"1-0-0:1.8.0", component_message('B')},
        ObisCase{"300-0:1.8.0", component_message('A')},
        // F is taken first: a bad A and a bad F report F.
        ObisCase{"x-0:1.8.0*x", component_message('F')},
        ObisCase{"1-0:1.8.0*2x5", component_message('F')}));

TEST(ObisCodeParsing, KeepsEveryGroupItRead) {
  const auto code = obis::ObisCode::create("1-2:3.4.5&6");
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(code->components(), (obis::ObisComponents{1, 2, 3, 4, 5, 6}));
  const auto short_code = obis::ObisCode::create("3.4");
  ASSERT_TRUE(short_code.has_value());
  EXPECT_EQ(short_code->components(), (obis::ObisComponents{std::nullopt, std::nullopt, 3, 4, std::nullopt, std::nullopt}));
}

TEST(ObisComponentsRender, WritesFOnlyOnRequestAndNeverBWithoutA) {
  const obis::ObisComponents full{1, 0, 1, 8, 0, 255};
  EXPECT_EQ(full.render(true), "1-0:1.8.0*255");
  EXPECT_EQ(full.render(false), "1-0:1.8.0");
  EXPECT_EQ((obis::ObisComponents{std::nullopt, 5, 1, 8, std::nullopt, 1}).render(true), "1.8*1");
  EXPECT_EQ((obis::ObisComponents{9, std::nullopt, 1, 8, 2, std::nullopt}).render(true), "9:1.8.2");
}

TEST(ObisParseGroup, ReadsOneOctetAndReturnsTheRest) {
  EXPECT_EQ(obis::parse_group("255.8"), (obis::ParsedGroup{255, ".8"}));
  EXPECT_EQ(obis::parse_group("0000000000000000000007x"), (obis::ParsedGroup{7, "x"}));
  EXPECT_EQ(obis::parse_group("0"), (obis::ParsedGroup{0, ""}));
  for (std::string_view none : {"", "x1", "256", "99999999999999999999999", "-1", " 1"}) {
    EXPECT_FALSE(obis::parse_group(none).has_value()) << none;
  }
}

}  // namespace
