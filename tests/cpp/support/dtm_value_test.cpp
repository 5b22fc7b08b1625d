#include <gtest/gtest.h>

#include <string_view>

#include "support/time_text/dtm_value.hpp"

namespace {

using support::time_text::check_dtm_value;
using support::time_text::DtmValue;

struct DtmCase {
  std::string_view code;
  std::string_view value;
  DtmValue verdict;
};

class DtmValueCheck : public testing::TestWithParam<DtmCase> {};

TEST_P(DtmValueCheck, ReadsLayoutAndCalendar) {
  EXPECT_EQ(check_dtm_value(GetParam().code, GetParam().value), GetParam().verdict)
      << GetParam().code << " " << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, DtmValueCheck,
    testing::Values(
        DtmCase{"102", "20261001", DtmValue::Fits}, DtmCase{"102", "20280229", DtmValue::Fits},
        DtmCase{"102", "20000229", DtmValue::Fits}, DtmCase{"102", "20260229", DtmValue::NoSuchDate},
        DtmCase{"102", "21000229", DtmValue::NoSuchDate}, DtmCase{"102", "20261340", DtmValue::NoSuchDate},
        DtmCase{"102", "20269999", DtmValue::NoSuchDate}, DtmCase{"102", "20260431", DtmValue::NoSuchDate},
        DtmCase{"102", "20260000", DtmValue::NoSuchDate}, DtmCase{"102", "2026100", DtmValue::Misshapen},
        DtmCase{"102", "202610011", DtmValue::Misshapen}, DtmCase{"102", "2026-10-01", DtmValue::Misshapen},
        DtmCase{"106", "0229", DtmValue::Fits}, DtmCase{"106", "0230", DtmValue::NoSuchDate},
        DtmCase{"104", "10011004", DtmValue::Fits}, DtmCase{"104", "1001-1004", DtmValue::Fits},
        DtmCase{"104", "10051004", DtmValue::NoSuchDate}, DtmCase{"104", "13011304", DtmValue::NoSuchDate},
        DtmCase{"203", "202610012359", DtmValue::Fits}, DtmCase{"203", "202610012400", DtmValue::NoSuchDate},
        DtmCase{"203", "202610011260", DtmValue::NoSuchDate}, DtmCase{"204", "20261001235959", DtmValue::Fits},
        DtmCase{"204", "20261001235960", DtmValue::NoSuchDate}, DtmCase{"303", "202610012200+00", DtmValue::Fits},
        DtmCase{"303", "202610012200-05", DtmValue::Fits}, DtmCase{"303", "202613400000+00", DtmValue::NoSuchDate},
        DtmCase{"303", "202602302200+00", DtmValue::NoSuchDate}, DtmCase{"303", "202610012200", DtmValue::Misshapen},
        DtmCase{"303", "202610012200X00", DtmValue::Misshapen}, DtmCase{"303", "", DtmValue::Misshapen},
        DtmCase{"304", "20261001220000+00", DtmValue::Fits}, DtmCase{"304", "202610012200+00", DtmValue::Misshapen},
        DtmCase{"401", "2359", DtmValue::Fits}, DtmCase{"401", "1275", DtmValue::NoSuchDate},
        DtmCase{"501", "08001600", DtmValue::Fits}, DtmCase{"501", "08002500", DtmValue::NoSuchDate},
        DtmCase{"602", "2026", DtmValue::Fits}, DtmCase{"602", "202610", DtmValue::Misshapen},
        DtmCase{"610", "202612", DtmValue::Fits}, DtmCase{"610", "202613", DtmValue::NoSuchDate},
        DtmCase{"610", "abcdef", DtmValue::Misshapen}, DtmCase{"718", "2026100120261031", DtmValue::Fits},
        DtmCase{"718", "20261001-20261032", DtmValue::NoSuchDate},
        DtmCase{"719", "201609160400201609090400", DtmValue::Fits},
        DtmCase{"719", "202609310400202610010400", DtmValue::NoSuchDate},
        DtmCase{"719", "2016091604002016090904", DtmValue::Misshapen}, DtmCase{"802", "3", DtmValue::Unchecked},
        DtmCase{"Z01", "03MQ", DtmValue::Fits}, DtmCase{"Z01", "00MT", DtmValue::Misshapen},
        DtmCase{"", "x", DtmValue::Unchecked}));

}  // namespace
