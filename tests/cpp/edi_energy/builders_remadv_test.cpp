#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "builders_fixture.hpp"
#include "edi_energy/builders/remadv.hpp"

namespace {

using edi_energy::builders::Set;
using edi_energy::builders::Unset;
using edi_energy::builders::remadv::Abweichungsgrund;
using edi_energy::builders::remadv::Positionsfehler;
using edi_energy::builders::remadv::Rechnungsbezug;
using edi_energy::builders::remadv::RemadvBuilder;
using edi_energy::release::Release;
using namespace builders_fixture;

using Ready = RemadvBuilder<Set, Set>;

static_assert(!Serializable<RemadvBuilder<>>);
static_assert(!Serializable<RemadvBuilder<Set, Unset>>);
static_assert(!Serializable<RemadvBuilder<Unset, Set>>);
static_assert(Serializable<Ready>);

Ready dated() {
  return RemadvBuilder(Release("2.9e")).sender(bdew_id).receiver(dvgw_id).document_date("20260401");
}

Rechnungsbezug invoice(std::string transferred) {
  return Rechnungsbezug{"380", "R1", "100.00", std::move(transferred), "20260301"};
}

constexpr std::string_view head =
    "UNH+1+REMADV:D:05A:UN:2.9e'BGM+239+1'DTM+137:202604010000?+00:303'";
constexpr std::string_view parties = "NAD+MS+9900000000003::293'NAD+MR+9800000000008::332'";

class RemadvLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(RemadvLayout, WritesTheSegmentsInOrder) {
  EXPECT_EQ(text_of(GetParam().build()), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Builders, RemadvLayout,
    testing::Values(
        LayoutCase{"refusal_without_reasons",
                   [] { return dated().pruefidentifikator(33004).rechnungsbezug(invoice("0")).serialize(); },
                   std::string(head) + "RFF+Z13:33004'" + std::string(parties) +
                       "CUX+2:EUR:11'DOC+380+R1'MOA+9:100.00'MOA+12:0'DTM+137:202603010000?+00:303'"
                       "UNS+S'MOA+12:0'UNT+14+1'"},
        LayoutCase{"nothing_but_parties", [] { return dated().serialize(); },
                   std::string(head) + std::string(parties) + "CUX+2:EUR:11'UNS+S'MOA+12:0'UNT+9+1'"},
        LayoutCase{"zahlungsavis_with_the_column_code",
                   [] {
                     return dated().pruefidentifikator(33001).document_code("481").document_id("ZA1")
                         .currency("CHF").rechnungsbezug(invoice("100.00")).serialize();
                   },
                   "UNH+1+REMADV:D:05A:UN:2.9e'BGM+481+ZA1'DTM+137:202604010000?+00:303'RFF+Z13:33001'" +
                       std::string(parties) +
                       "CUX+2:CHF:11'DOC+380+R1'MOA+9:100.00'MOA+12:100.00'DTM+137:202603010000?+00:303'"
                       "UNS+S'MOA+12:100.00'UNT+14+1'"},
        LayoutCase{"reasons_at_header_and_position_level",
                   [] {
                     return dated()
                         .rechnungsbezug(invoice("0"))
                         .kopf_grund(Abweichungsgrund{"A01", "E_0459"})
                         .kopf_grund(Abweichungsgrund{"A02", std::nullopt})
                         .kopf_grund(Abweichungsgrund{"A03", ""})
                         .positionsfehler(Positionsfehler{{{"B01", "E_0460"}, {"B02", "E_0460"}}, std::nullopt, 3})
                         .positionsfehler(Positionsfehler{{}, "ohne Grund", 0})
                         .positionsfehler(Positionsfehler{{{"C01", std::nullopt}}, "letzte", 65535}).serialize();
                   },
                   std::string(head) + std::string(parties) +
                       "CUX+2:EUR:11'DOC+380+R1'MOA+9:100.00'MOA+12:0'DTM+137:202603010000?+00:303'"
                       "AJT+A01+E_0459'AJT+A02'AJT+A03'"
                       "DLI+1+3'AJT+B01+E_0460'AJT+B02+E_0460'"
                       "DLI+1+0'FTX+ABO+++ohne Grund'"
                       "DLI+1+65535'AJT+C01'FTX+ABO+++letzte'"
                       "UNS+S'MOA+12:0'UNT+24+1'"}),
    layout_name);

TEST(RemadvBuilder, ValuesWithServiceCharactersAndUmlautsReadBack) {
  const std::string message =
      text_of(dated()
                  .message_reference(awkward("m")).document_code(awkward("c")).document_id(awkward("i"))
                  .currency(awkward("w"))
                  .rechnungsbezug(Rechnungsbezug{awkward("art"), awkward("nr"), awkward("f"), awkward("u"), "20260301"})
                  .kopf_grund(Abweichungsgrund{awkward("k"), awkward("kebd")})
                  .positionsfehler(Positionsfehler{{{awkward("p"), awkward("pebd")}}, awkward("e"), 1})
                  .serialize());
  expect_reads_back(message, {awkward("m"), awkward("c"), awkward("i"), awkward("w"), awkward("art"), awkward("nr"),
                              awkward("f"), awkward("u"), awkward("k"), awkward("kebd"), awkward("p"),
                              awkward("pebd"), awkward("e")});
}

}  // namespace
