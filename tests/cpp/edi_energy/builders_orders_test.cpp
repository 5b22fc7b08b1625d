#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "builders_fixture.hpp"
#include "edi_energy/builders/orders.hpp"
#include "edi_energy/builders/ordrsp.hpp"

namespace {

using edi_energy::builders::Set;
using edi_energy::builders::Unset;
using edi_energy::builders::orders::OrdersBuilder;
using edi_energy::builders::ordrsp::OrdrespBuilder;
using edi_energy::release::Release;
using namespace builders_fixture;

static_assert(!Serializable<OrdersBuilder<>>);
static_assert(!Serializable<OrdersBuilder<Set, Unset>>);
static_assert(Serializable<OrdersBuilder<Set, Set>>);
static_assert(!Serializable<OrdrespBuilder<Unset, Set>>);
static_assert(Serializable<OrdrespBuilder<Set, Set>>);

// Sender and receiver come in the other order than usual, which the typestate must not mind.
OrdersBuilder<Set, Set> order() {
  return OrdersBuilder(Release("1.4c")).receiver(dvgw_id).sender(bdew_id).document_date("20260401");
}
OrdrespBuilder<Set, Set> answer() {
  return OrdrespBuilder(Release("1.4c")).sender(bdew_id).receiver(dvgw_id).document_date("20260401");
}

constexpr std::string_view parties = "NAD+MS+9900000000003::293'NAD+MR+9800000000008::332'";

class OrderLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(OrderLayout, WritesTheSegmentsInOrder) { EXPECT_EQ(text_of(GetParam().build()), GetParam().message); }

const std::string orders_head = "UNH+1+ORDERS:D:09B:UN:1.4c'";
const std::string ordrsp_head = "UNH+1+ORDRSP:D:10A:UN:1.4c'";
const std::string dtm = "DTM+137:202604010000?+00:303'";

INSTANTIATE_TEST_SUITE_P(
    Builders, OrderLayout,
    testing::Values(
        LayoutCase{"orders_sperrung",
                   [] {
                     return order().pruefidentifikator(17115).document_code("Z12").abonnement("Z01")
                         .ausfuehrungsdatum("20260415").location("L1").serialize();
                   },
                   orders_head + "BGM+Z12+1'" + dtm + "DTM+203:202604150000?+00:303'IMD++Z01'RFF+Z13:17115'" +
                       std::string(parties) + "NAD+DP'LOC+172+L1'UNS+S'UNT+12+1'"},
        LayoutCase{"orders_parties_only_leave_the_document_code_empty", [] { return order().serialize(); },
                   orders_head + "BGM++1'" + dtm + std::string(parties) + "UNS+S'UNT+7+1'"},
        // The ORDERS MIG has no DE 7077, so the item description is written as the DE 7081 code of
        // its own IMD (no IMD+A), after the Abonnement's IMD when both are given.
        LayoutCase{"orders_item_description_alone_and_references_before_the_pid",
                   [] {
                     return order().item_description("anything").reference("ACW", "X1").reference("AGI", "X2")
                         .pruefidentifikator(17101).ausfuehrungsdatum("2026-04-15").message_reference("7")
                         .serialize();
                   },
                   "UNH+7+ORDERS:D:09B:UN:1.4c'BGM++7'" + dtm +
                       "DTM+203:2026-04-15:303'IMD++anything'RFF+ACW:X1'RFF+AGI:X2'RFF+Z13:17101'" + std::string(parties) +
                       "UNS+S'UNT+12+7'"},
        LayoutCase{"orders_abonnement_before_item_description",
                   [] { return order().item_description("x").abonnement("Z01").serialize(); },
                   orders_head + "BGM++1'" + dtm + "IMD++Z01'IMD++x'" + std::string(parties) + "UNS+S'UNT+9+1'"},
        LayoutCase{"ordrsp_answer_with_line_item",
                   [] {
                     return answer().pruefidentifikator(19011).antwortcode("A01").antwort_ebd("E_0001")
                         .line_item(true).serialize();
                   },
                   ordrsp_head + "BGM+7+1'" + dtm + "RFF+Z13:19011'AJT+A01+E_0001'" + std::string(parties) +
                       "LIN+1'UNS+S'UNT+10+1'"},
        // Like ORDERS, the ORDRSP MIG has no DE 7077: the item description is the DE 7081 code of
        // its own IMD, never IMD+A.
        LayoutCase{"ordrsp_empty_ebd_and_adjustment_reason",
                   [] {
                     return answer().document_code("Z12").document_id("D1").antwortcode("A01").antwort_ebd("")
                         .adjustment_reason("Z01").item_description("Z13").reference("ACW", "X1").serialize();
                   },
                   ordrsp_head + "BGM+Z12+D1'" + dtm + "IMD++Z13'RFF+ACW:X1'AJT+A01'FTX+Z01'" + std::string(parties) +
                       "UNS+S'UNT+11+1'"},
        LayoutCase{"ordrsp_abonnement_and_no_flags",
                   [] { return answer().abonnement("Z02").line_item(false).serialize(); },
                   ordrsp_head + "BGM+7+1'" + dtm + "IMD++Z02'" + std::string(parties) + "UNS+S'UNT+8+1'"},
        LayoutCase{"ordrsp_abonnement_before_item_description",
                   [] { return answer().item_description("Z11").abonnement("Z01").serialize(); },
                   ordrsp_head + "BGM+7+1'" + dtm + "IMD++Z01'IMD++Z11'" + std::string(parties) + "UNS+S'UNT+9+1'"}),
    layout_name);

TEST(OrderBuilders, ValuesWithServiceCharactersAndUmlautsReadBack) {
  const std::string orders = text_of(order()
                                         .message_reference(awkward("m")).document_code(awkward("c"))
                                         .document_id(awkward("i")).reference(awkward("q"), awkward("v"))
                                         .abonnement(awkward("a")).location(awkward("l"))
                                         .serialize());
  expect_reads_back(orders, {awkward("m"), awkward("c"), awkward("i"), awkward("q"), awkward("v"), awkward("a"),
                             awkward("l")});
  const std::string ordrsp = text_of(answer()
                                         .antwortcode(awkward("code")).antwort_ebd(awkward("ebd"))
                                         .adjustment_reason(awkward("r")).abonnement(awkward("a"))
                                         .serialize());
  expect_reads_back(ordrsp, {awkward("code"), awkward("ebd"), awkward("r"), awkward("a")});
}

}  // namespace
