// The bounds read from Wiederholbarkeit texts, and the texts that must stay unread.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "conditions_render.hpp"
#include "edi_energy/profile/conditions/repeat_limit.hpp"

namespace {

namespace conditions = edi_energy::profile::conditions;
using conditions::RepeatLimit;
using conditions_test::render;

// "<limit> <scope> <target>": scope "parent", "message" or the group with its trigger pattern;
// target "either", "segment", "group", then the named group and pattern.
std::string describe(const RepeatLimit& limit) {
  std::string out = std::to_string(limit.limit) + " ";
  switch (limit.scope) {
    case RepeatLimit::Scope::Parent: out += "parent"; break;
    case RepeatLimit::Scope::Message: out += "message"; break;
    case RepeatLimit::Scope::Group:
      out += limit.scope_group + (limit.scope_trigger ? ":" + render(*limit.scope_trigger) : "");
      break;
  }
  static constexpr const char* targets[] = {"either", "segment", "group"};
  out += std::string(" ") + targets[static_cast<int>(limit.target)];
  if (limit.target_group) out += " " + *limit.target_group;
  if (limit.target_pattern) out += " " + render(*limit.target_pattern);
  return out;
}

TEST(RepeatLimitParse, ReadsTheBoundAndTheScopeItHoldsIn) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"Segment bzw. Segmentgruppe ist genau einmal je SG4 IDE (Vorgang) anzugeben", "1 SG4:IDE either"},
      {"Segmentgruppe ist max. zweimal je SG4 IDE+24 (Vorgang) anzugeben", "2 SG4:IDE[24] group"},
      {"Segmentgruppe ist bis zu drei Mal je SG5 NAD+DP anzugeben", "3 SG5:NAD[DP] group"},
      {"Segmentgruppe ist nur einmal je UNH anzugeben", "1 message group"},
      {"Segment bzw. Segmentgruppe ist genau einmal anzugeben", "1 parent either"},
      {"Segmentgruppe ist genau einmal je SG8 SEQ+Z01/ Z80/Z81 (Daten der Marktlokation/ Erwartete Daten) anzugeben",
       "1 SG8:SEQ[Z01/Z80/Z81] group"},
      {"Je SG8 SEQ+Z58/ ZC9/ ZD0/ ZD6 (Zuordnung Lokation) genau einmal anzugeben", "1 SG8:SEQ[Z58/ZC9/ZD0/ZD6] either"},
      {"Je SG5 LOC+Z16 (Marktlokation) ist genau einmal die Segmentgruppe anzugeben", "1 SG5:LOC[Z16] group"},
      {"Pro Nachricht ist die SG27 genau einmal anzugeben", "1 message either SG27"},
      {"Pro Nachricht ist die SG29 LIN++Z65 (Erforderliches Produkt) maximal einmal anzugeben",
       "1 message either SG29 LIN[][Z65]"},
      {"Pro SG29 LIN ist die SG34 RFF+Z09 (Gerätenummer) bis zu dreimal anzugeben", "3 SG29:LIN either SG34 RFF[Z09]"},
      {"Pro SG27 LIN ist die SG31 PRI zweimal anzugeben. Dabei muss genau eine SG31 PRI vorhanden sein.",
       "2 SG27:LIN either SG31 PRI"},
      {"Segment ist höchstens 5-mal je SG4 IDE anzugeben", "5 SG4:IDE segment"},
  };
  for (const auto& [text, expected] : cases) {
    const auto limit = RepeatLimit::parse(text);
    ASSERT_TRUE(limit.has_value()) << text;
    EXPECT_EQ(describe(*limit), expected) << text;
  }
}

TEST(RepeatLimitParse, LeavesTextsWithoutAPlainBoundUnread) {
  const std::string_view texts[] = {
      "Segmentgruppe ist mindestens zweimal je SG4 IDE+24 (Vorgang) anzugeben",  // no upper bound
      "Ist mindestens zwei Mal anzugeben",
      "Wenn SG10 CAV+NZR ist die Segmentgruppe genau zwei Mal je IDE+24 anzugeben",  // a condition
      "Segmentgruppe ist genau einmal für jede SG8 SEQ+Z01 (Daten) anzugeben, bei der die Bedingung [199] erfüllt ist",
      "Für jede ID im SG5 LOC+Z16 (Marktlokation) DE3225 genau einmal anzugeben",
      "Segmentgruppe ist genau einmal für die Angabe der Informativen Daten der Marktlokation anzugeben",
      "Code einmal je SG4 IDE+24 (Vorgang)",
      "Die SG29 ist so oft zu wiederholen, dass alle Messprodukte genannt sind.",
      "Diese SG31 PRI ist bis zu dreimal anzugeben. Es ist so oft anzugeben, wie PIA+Z02 vorhanden ist.",
      "Pro SG27 LIN kann die SG31 Preisangabe zur Position nur einmal angegeben werden.",
      "Segmentgruppe ist genau einmal je SG4 IDE (Vorgang anzugeben",  // a bracket left open
      "Segmentgruppe ist genau nullmal je SG4 anzugeben",
      "Segmentgruppe ist genau 0-mal je SG4 anzugeben",
      "Segmentgruppe ist genau einmal je SG4 IDE anzugeben und zu prüfen",
      "",
  };
  for (const std::string_view text : texts) EXPECT_FALSE(RepeatLimit::parse(text).has_value()) << text;
}

}  // namespace
