#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "builders_fixture.hpp"
#include "edi_energy/builders/quotes.hpp"

namespace {

using edi_energy::builders::Set;
using edi_energy::builders::Unset;
using edi_energy::builders::quotes::Contact;
using edi_energy::builders::quotes::DatedValue;
using edi_energy::builders::quotes::Price;
using edi_energy::builders::quotes::QuotesBuilder;
using edi_energy::release::Release;
using namespace builders_fixture;

using Ready = QuotesBuilder<Set, Set>;

static_assert(!Serializable<QuotesBuilder<>>);
static_assert(!Serializable<QuotesBuilder<Unset, Set>>);
static_assert(Serializable<Ready>);

Ready dated() {
  return QuotesBuilder(Release("1.3c")).sender(bdew_id).receiver(dvgw_id).document_date("20251001");
}

const std::string head = "UNH+1+QUOTES:D:10A:UN:1.3c'BGM+310+1'DTM+137:202510010000?+00:303'";
const std::string sender_nad = "NAD+MS+9900000000003::293'";
const std::string receiver_nad = "NAD+MR+9800000000008::332'";

class QuotesLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(QuotesLayout, WritesTheSegmentsInOrder) {
  EXPECT_EQ(text_of(GetParam().build()), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Builders, QuotesLayout,
    testing::Values(
        LayoutCase{"esa_angebot",
                   [] {
                     return dated().pruefidentifikator(15003).bindungsfrist("3\x01" "802").product("P1")
                         .artikel_identifier("0999100000000001").price(Price{"12.50", "Z01", "H87"})
                         .contact(Contact{"Name", "a.b"}).currency("EUR").serialize();
                   },
                   head + "DTM+273:3:802'RFF+Z13:15003'CUX+2:EUR:4'" + sender_nad + "CTA+IC+:Name'COM+a.b:EM'" +
                       receiver_nad + "LIN+1+Z67'PIA+5+P1:Z11'PIA+Z02+0999100000000001:Z09'PRI+CAL:12.50::Z01:1:H87'"
                       "UNS+S'UNT+16+1'"},
        LayoutCase{"prices_without_product_leave_no_line_item",
                   [] {
                     return dated().pruefidentifikator(15001).bindungsfrist("14").artikel_identifier("A")
                         .srw_identifier("S").price(Price{"1", "Z01", "H87"}).single_price("2").serialize();
                   },
                   head + "DTM+273:14:804'RFF+Z13:15001'" + sender_nad + receiver_nad + "UNS+S'UNT+9+1'"},
        LayoutCase{"every_field",
                   [] {
                     return dated().message_reference("9").document_code("Z77").document_id("Q1")
                         .dtm_469("20251101").dtm_279(DatedValue{"202510", "610"}).bindungsfrist("2\x01" "803")
                         .remark("Hinweis").reference("AGI", "B7").pruefidentifikator(15002)
                         .delivery_point(true).location("L1").product("P2").artikel_identifier("A1")
                         .artikel_identifier("A2").srw_identifier("S1").price(Price{"1.00", "Z01", "H87"})
                         .price(Price{"2.00", "Z02", "KWH"}).single_price("ignored").serialize();
                   },
                   "UNH+9+QUOTES:D:10A:UN:1.3c'BGM+Z77+Q1'DTM+137:202510010000?+00:303'"
                   "DTM+469:202511010000?+00:303'DTM+279:202510:610'DTM+273:2:803'FTX+ACB+++Hinweis'"
                   "RFF+AGI:B7'RFF+Z13:15002'" + sender_nad + receiver_nad + "NAD+DP'LOC+172+L1'"
                   "LIN+1+Z67'PIA+5+P2:Z11'PIA+Z02+A1:Z09'PIA+Z02+A2:Z09'PIA+5+S1:SRW'"
                   "PRI+CAL:1.00::Z01:1:H87'PRI+CAL:2.00::Z02:1:KWH'UNS+S'UNT+22+9'"},
        LayoutCase{"product_with_a_single_price_only",
                   [] { return dated().product("P1").single_price("9.99").serialize(); },
                   head + sender_nad + receiver_nad + "LIN+1+Z67'PIA+5+P1:Z11'PRI+CAL:9.99'UNS+S'UNT+10+1'"},
        LayoutCase{"line_item_code_writes_a_price_without_a_product",
                   [] { return dated().line_item_code("").single_price("12.50").serialize(); },
                   head + sender_nad + receiver_nad + "LIN+1'PRI+CAL:12.50'UNS+S'UNT+9+1'"},
        LayoutCase{"line_item_code_names_the_products_line_item",
                   [] { return dated().line_item_code("Z19").product("P1").serialize(); },
                   head + sender_nad + receiver_nad + "LIN+1+Z19'PIA+5+P1:Z11'UNS+S'UNT+9+1'"},
        LayoutCase{"bindungsfrist_splits_at_the_first_separator_only",
                   [] { return dated().bindungsfrist("drei\x01" "802\x01" "x").serialize(); },
                   head + "DTM+273:drei:802\x01x'" + sender_nad + receiver_nad + "UNS+S'UNT+8+1'"}),
    layout_name);

TEST(QuotesBuilder, ValuesWithServiceCharactersAndUmlautsReadBack) {
  const std::string message =
      text_of(dated()
                  .remark(awkward("r")).reference(awkward("q"), awkward("v")).currency(awkward("w"))
                  .contact(Contact{awkward("n"), awkward("e")}).location(awkward("l")).product(awkward("p"))
                  .artikel_identifier(awkward("a")).srw_identifier(awkward("s"))
                  .price(Price{awkward("b"), awkward("c"), awkward("u")})
                  .bindungsfrist(awkward("count") + "\x01" + awkward("unit"))
                  .serialize());
  expect_reads_back(message, {awkward("r"), awkward("q"), awkward("v"), awkward("w"), awkward("n"), awkward("e"),
                              awkward("l"), awkward("p"), awkward("a"), awkward("s"), awkward("b"), awkward("c"),
                              awkward("u"), awkward("count"), awkward("unit")});
}

}  // namespace
