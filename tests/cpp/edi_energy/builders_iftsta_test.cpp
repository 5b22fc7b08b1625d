#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <string_view>

#include "builders_fixture.hpp"
#include "edi_energy/builders/iftsta.hpp"

namespace {

using edi_energy::builders::AgencyKind;
using edi_energy::builders::Set;
using edi_energy::builders::Unset;
using edi_energy::builders::iftsta::IftstaBuilder;
using edi_energy::release::Release;
using namespace builders_fixture;

using Ready = IftstaBuilder<Set, Set>;

static_assert(!Serializable<IftstaBuilder<>>);
static_assert(!Serializable<IftstaBuilder<Set, Unset>>);
static_assert(!Serializable<IftstaBuilder<Unset, Set>>);
static_assert(Serializable<Ready>);

Ready dated(std::string sender = bdew_id, std::string receiver = dvgw_id) {
  return IftstaBuilder(Release("2.1")).sender(std::move(sender)).receiver(std::move(receiver))
      .document_date("20260401");
}

class IftstaLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(IftstaLayout, WritesTheSegmentsInOrder) {
  EXPECT_EQ(text_of(GetParam().build()), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Builders, IftstaLayout,
    testing::Values(
        LayoutCase{"wim_status",
                   [] {
                     return dated().pruefidentifikator(21039).status_category("Z21").status("105")
                         .vorgangsnummer("V1").order_reference("B7").serialize();
                   },
                   "UNH+1+IFTSTA:D:18A:UN:2.1'BGM+Z03+1'DTM+137:202604010000?+00:303'"
                   "NAD+MR+9800000000008::332'NAD+MS+9900000000003::293'CNI+V1'STS+Z21+105'"
                   "RFF+Z13:21039'RFF+AGI:B7'UNT+10+1'"},
        LayoutCase{"every_field",
                   [] {
                     return dated().message_reference("7").document_code("Z35").document_id("D9")
                         .pruefidentifikator(21000).status_category("Z21").status("105").status_reason("E01")
                         .status_reason_code_list("E_0401").location("L1").ave_reference("A1")
                         .dtm_76_date("20260501").vorgangsnummer("V1").order_reference("B7")
                         .vertragsende("202612310000+01").serialize();
                   },
                   "UNH+7+IFTSTA:D:18A:UN:2.1'BGM+Z35+D9'DTM+137:202604010000?+00:303'"
                   "NAD+MR+9800000000008::332'NAD+MS+9900000000003::293'CNI+V1'LOC+172+L1'"
                   "STS+Z21+105+E01:E_0401'RFF+Z13:21000'RFF+AVE:A1'RFF+AGI:B7'DTM+76:20260501:102'"
                   "DTM+93:202612310000?+01:303'UNT+14+7'"},
        LayoutCase{"equipment_group_takes_the_pid_and_the_status_and_no_cni",
                   [] {
                     return dated().equipment_qualifier("Z01").pruefidentifikator(21000).status_category("Z01")
                         .status("Z07").vorgangsnummer("V1").order_reference("B7").serialize();
                   },
                   "UNH+1+IFTSTA:D:18A:UN:2.1'BGM+Z03+1'DTM+137:202604010000?+00:303'"
                   "NAD+MR+9800000000008::332'NAD+MS+9900000000003::293'EQD+Z01'RFF+Z13:21000'STS+Z01+Z07'"
                   "UNT+9+1'"},
        LayoutCase{"empty_status_writes_the_category_alone",
                   [] { return dated().status_category("Z02").status("").serialize(); },
                   "UNH+1+IFTSTA:D:18A:UN:2.1'BGM+Z03+1'DTM+137:202604010000?+00:303'"
                   "NAD+MR+9800000000008::332'NAD+MS+9900000000003::293'STS+Z02'UNT+7+1'"},
        LayoutCase{"parties_only", [] { return dated().serialize(); },
                   "UNH+1+IFTSTA:D:18A:UN:2.1'BGM+Z03+1'DTM+137:202604010000?+00:303'"
                   "NAD+MR+9800000000008::332'NAD+MS+9900000000003::293'UNT+6+1'"},
        LayoutCase{"reason_without_code_list_leaves_the_plain_status",
                   [] { return dated().status_category("Z21").status("105").status_reason("E01").serialize(); },
                   "UNH+1+IFTSTA:D:18A:UN:2.1'BGM+Z03+1'DTM+137:202604010000?+00:303'"
                   "NAD+MR+9800000000008::332'NAD+MS+9900000000003::293'STS+Z21+105'UNT+7+1'"},
        LayoutCase{"category_without_status_writes_no_sts",
                   [] { return dated().status_category("Z21").status_reason_code_list("E_0401").serialize(); },
                   "UNH+1+IFTSTA:D:18A:UN:2.1'BGM+Z03+1'DTM+137:202604010000?+00:303'"
                   "NAD+MR+9800000000008::332'NAD+MS+9900000000003::293'UNT+6+1'"},
        LayoutCase{"day_dates_get_midnight_and_zone",
                   [] { return dated().document_date("202604011230").vertragsende("20261231").serialize(); },
                   "UNH+1+IFTSTA:D:18A:UN:2.1'BGM+Z03+1'DTM+137:202604011230?+00:303'"
                   "NAD+MR+9800000000008::332'NAD+MS+9900000000003::293'DTM+93:202612310000?+00:303'"
                   "UNT+7+1'"},
        LayoutCase{"agency_from_the_id_or_as_chosen",
                   [] {
                     return dated(gs1_id, "1234567890123456").receiver_agency(AgencyKind::Code305).serialize();
                   },
                   "UNH+1+IFTSTA:D:18A:UN:2.1'BGM+Z03+1'DTM+137:202604010000?+00:303'"
                   "NAD+MR+1234567890123456::305'NAD+MS+4012345000023::9'UNT+6+1'"}),
    layout_name);

TEST(IftstaBuilder, DatesAMessageWithoutDocumentDateNow) {
  const std::string message =
      text_of(IftstaBuilder(Release("2.1")).sender(bdew_id).receiver(dvgw_id).serialize());
  EXPECT_TRUE(std::regex_search(message, std::regex("'DTM\\+137:\\d{12}\\?\\+00:303'"))) << message;
}

TEST(IftstaBuilder, ValuesWithServiceCharactersAndUmlautsReadBack) {
  const std::string message = text_of(dated(awkward("s"), awkward("r"))
                                          .message_reference(awkward("m")).document_code(awkward("c"))
                                          .status_category(awkward("k")).status(awkward("t"))
                                          .status_reason(awkward("g")).status_reason_code_list(awkward("l"))
                                          .location(awkward("o")).vorgangsnummer(awkward("v"))
                                          .order_reference(awkward("b")).ave_reference(awkward("a"))
                                          .dtm_76_date(awkward("d"))
                                          .serialize());
  expect_reads_back(message, {awkward("s"), awkward("r"), awkward("m"), awkward("c"), awkward("k"), awkward("t"),
                              awkward("g"), awkward("l"), awkward("o"), awkward("v"), awkward("b"), awkward("a"),
                              awkward("d")});
}

}  // namespace
