// The shapes of Marktlokations-IDs and Messlokations-IDs.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "edi_energy/messages/common/location_id.hpp"

namespace {

using edi_energy::messages::common::is_valid_malo_id;
using edi_energy::messages::common::is_valid_melo_id;

struct ShapeCase {
  std::string text;
  bool malo;
  bool melo;
};

const std::string melo_tail(31, '0');  // 31 digits after the country code

const ShapeCase shape_cases[] = {
    {"51238696781", true, false},
    {"ABCDEFGHIJK", true, false},
    {"abcdefghijk", false, false},   // lower case is no Marktlokations-ID
    {"5123869678", false, false},    // 10
    {"512386967812", false, false},  // 12
    {"5123869678-", false, false},
    {"51238696\xC3\x84", false, false},  // 11 bytes ending in a two-byte letter
    {"", false, false},
    {"DE" + melo_tail, false, true},
    {"DE00056266802AO6G56M11SN51G21M24S", false, true},
    {"DE0005626680aBcDeFgHiJkLmNoPqRsTu", false, true},  // either case after the country
    {"de" + melo_tail, false, false},
    {"D1" + melo_tail, false, false},
    {"DE" + melo_tail + "0", false, false},  // 34
    {"DE" + melo_tail.substr(1), false, false},  // 32
    {"DE" + melo_tail.substr(2) + "\xC3\xA4", false, false},  // 33 bytes, one a non-ASCII letter
    {std::string("DE") + std::string(30, '0') + std::string(1, '\0'), false, false},
};

class LocationIdShape : public testing::TestWithParam<ShapeCase> {};

TEST_P(LocationIdShape, AcceptsExactlyItsShape) {
  EXPECT_EQ(is_valid_malo_id(GetParam().text), GetParam().malo);
  EXPECT_EQ(is_valid_melo_id(GetParam().text), GetParam().melo);
}

INSTANTIATE_TEST_SUITE_P(Texts, LocationIdShape, testing::ValuesIn(shape_cases));

}  // namespace
