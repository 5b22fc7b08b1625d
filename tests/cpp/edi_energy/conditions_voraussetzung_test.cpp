// Reading Voraussetzung and Wiederholbarkeit texts as the AHB documents write them.
#include <gtest/gtest.h>

#include <optional>

#include "conditions_render.hpp"
#include "edi_energy/profile/conditions/read_conditions.hpp"
#include "edi_energy/profile/conditions/text_tokens.hpp"
#include "edi_energy/profile/conditions/voraussetzung.hpp"

namespace {

namespace conditions = edi_energy::profile::conditions;
using conditions::ProSegment;
using conditions::Voraussetzung;
using conditions_test::render;

struct Case {
  std::string_view text;
  std::string_view reading;  // empty: no Voraussetzung
};

TEST(VoraussetzungParse, ReadsTheKnownShapes) {
  const Case cases[] = {
      // counts
      {"Wenn SG10 CCI+Z19 (Bilanzkreis) im Vorgang mehr als einmal vorhanden", "CCI[Z19] more than 1 in SG4"},
      {"Wenn SG10 CCI+Z19 (Bilanzkreis) im Vorgang mehr als zweimal vorhanden", "CCI[Z19] more than 2 in SG4"},
      {"Wenn mehr als ein SG8 SEQ+ZH0 (Priorisierung erforderliches Produktpaket) vorhanden", ""},
      // presence and absence, with line-wrapped patterns repaired
      {"Wenn SG9 PIA+5+1- 1?:1.9.0 nicht vorhanden", "absent PIA[5][1-1:1.9.0] in SG9"},
      // the bracket explains the placeholder b; a Codeliste elsewhere relates values
      {"Wenn nicht SG9 PIA+5+1-b?:9.99.0 (b= Kanal: Wert gemäß Codeliste der OBIS-Kennzahlen) vorhanden",
       "absent PIA[5][1-b:9.99.0] in SG9"},
      {"Wenn nicht SG9 PIA+5+1-b?:9.99.0 (Wert gemäß Codeliste der OBIS-Kennzahlen) vorhanden", ""},
      {"wenn SG3 AJT+Z58+G_0089 oder SG3 AJT+Z59+G_0089 oder SG3 AJT+Z60+G_0089 vorhanden",
       "present AJT[Z58][G_0089] | AJT[Z59][G_0089] | AJT[Z60][G_0089] in SG3"},
      {"Wenn SG8 SEQ+Z01/ Z98 (Daten der Marktlokation) SG10 CCI+++ZC0 (Prognose auf Basis von Werten) vorhanden",
       "present SEQ[Z01/Z98] then CCI[][][ZC0] in SG8"},
      {"Wenn SG4 STS+E01 in keinem Vorgang vorhanden", "absent STS[E01] in SG4"},
      {"Wenn kein SG5 LOC+Z16 vorhanden", "absent LOC[Z16] in SG5"},
      // both segments follow "dieser", so neither is dropped from the chain
      {"Wenn in dieser SG8 SEQ+Z01 ein CCI+Z30++Z07 vorhanden", "present SEQ[Z01] then CCI[Z30][][Z07] in SG8"},
      {"Wenn SG8 SEQ+Z01 und in dieser SG8 ein CCI+Z30 vorhanden", "present SEQ[Z01] in SG8"},
      {"Wenn SG4 CAV+MIW/ MPW/MBW vorhanden", "present CAV[MIW/MPW/MBW] in SG4"},
      {"Wenn SG4 STS+Z01 zweimal vorhanden", "STS[Z01] exactly 2 in SG4"},
      {"Wenn SG27 LIN ein Produkt vorhanden", ""},  // which product, the reading cannot tell
      {"Wenn SG27 LIN eine PIA+Z01 und SG28 PIA+Z02 vorhanden", "present PIA[Z01] then PIA[Z02] in SG27"},
      {"Wenn SG4 STS+Z01 einmal vorhanden", "present STS[Z01] in SG4"},
      // data elements compared with values
      {"Wenn BGM DE1001 = Z70 vorhanden", "BGM DE1001 in Z70"},
      {"Wenn BGM DE1001 = Z70 nicht vorhanden", "BGM DE1001 not in Z70"},
      {"Wenn BGM DE1001 ≠ Z70 nicht vorhanden", "BGM DE1001 in Z70"},
      {"Wenn in diesem STS DE1131 = E_0472", "STS DE1131 in E_0472"},
      {"Wenn in SG4 STS DE9015=Z12/ Z13.", "STS DE9015 in Z12/Z13 in SG4"},
      {"Wenn in SG4 STS DE9015 <> „Z12“", "STS DE9015 not in Z12 in SG4"},
      {"Wenn BGM DE1001=Z70", "BGM DE1001 in Z70"},
      {"Wenn BGM DE1001 !=Z70", ""},  // "!=" glued to its value is no relation
      {"Wenn BGM DE1001 = Z7-0", ""},
      {"Wenn BGM DE1001 < 5", ""},
      // shapes of data elements
      {"Wenn in LOC+172 DE3225 (Meldepunkt) die ID einer Marktlokation angegeben ist", "LOC[172] DE3225 format 950"},
      {"wenn in SG6 LOC+172 DE3225 die ID der Messlokation angegeben ist", "LOC[172] DE3225 format 951 in SG6"},
      {"Wenn in SG5 LOC+Z16 DE3225 die ID einer steuerbaren Ressource angegeben ist", "LOC[Z16] DE3225 format 961 in SG5"},
      {"Wenn Wert in SG6 LOC+172 DE3225 genau 11 Stellen", "LOC[172] DE3225 length 11 in SG6"},
      {"Wenn in LOC+172 DE3225 die ID einer Tranche angegeben ist", ""},
      {"Wenn im DE3155 in demselben COM der Code TE / FX / AJ / AL vorhanden ist", "COM DE3155 in TE/FX/AJ/AL"},
      {"Wenn in derselben SG27 LIN ein PIA+Z02 (Artikel-ID) mit einer Artikel-ID im DE7140 bei der die letzten "
       "beiden Stellen mit dem Wert \"01\" (Kosten für das Einrichten des Messprodukts) vorhanden ist.",
       "PIA DE7140 in 01 as suffix in SG27"},
      {"Wenn SG8 SEQ+Z01 DE1050 vorhanden", "SEQ[Z01] DE1050 filled in SG8"},
      {"Wenn SG8 RFF+Z18 DE1154 mit 123abc vorhanden", "RFF DE1154 in 123abc in SG8"},
      // texts of no known shape
      {"Hinweis: Wenn SG4 STS+E01 vorhanden", ""},
      {"Falls SG4 STS+E01 vorhanden", ""},
      {"Wenn SG4 STS+E01 und die gleiche SG5 LOC+Z16 vorhanden", ""},
      {"Wenn SG4 STS+E01 identisch vorhanden", ""},
      {"Wenn SG9 PIA+5+7- 0?:52.0.22/7-0?:54.0.16/7- 0?:54.0.20/7-0?:54.0.22", ""},
      {"Wenn der Zeitraum länger als ein Monat ist", ""},
      {"Wenn vorhanden", ""},
      {"Wenn", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    const std::optional<Voraussetzung> reading = Voraussetzung::parse(c.text);
    EXPECT_EQ(reading ? render(*reading) : "", c.reading) << c.text;
  }
}

// How the AHB texts write patterns beyond the plain "TAG+CODE" form.
TEST(VoraussetzungParse, ReadsLooselyWrittenPatterns) {
  const Case cases[] = {
      // blanks on either side of the slashes of a code list
      {"Wenn SG4 STS+E01++A04/ A05 /A13 /A14 (Status der Antwort) vorhanden",
       "present STS[E01][][A04/A05/A13/A14] in SG4"},
      {"Wenn STS+7++xxx+ZW4 / ZAP (Transaktionsgrundergänzung) vorhanden", "present STS[7][][*][ZW4/ZAP]"},
      {"Wenn SG8 SEQ+Z20 das PIA+5+7-b?:3.0.0 / 7-b?:6.0.0 vorhanden",
       "present SEQ[Z20] then PIA[5][7-b:3.0.0/7-b:6.0.0] in SG8"},
      {"Wenn SG4 STS+E01++A12 / Status vorhanden", "present STS[E01][][A12/Status] in SG4"},
      {"Wenn SG4 STS+E01++A12 / (Status) vorhanden", "present STS[E01][][A12] in SG4"},
      // a name in brackets right after the code
      {"Wenn SG4 STS+7++E03(Transaktionsgrund: Wechsel) vorhanden", "present STS[7][][E03] in SG4"},
      // a bare tag with its code in the next word
      {"Wenn das SG10 CCI+E03 (Spannungsebene) CAV E06 (Niederspannung) in dieser SG vorhanden",
       "present CCI[E03] then CAV[E06] in SG10"},
      {"Wenn das SG10 CCI ZB5 (Spannungsebene) CAV E04 (Hochspannung) in dieser SG vorhanden",
       "present CCI[ZB5] then CAV[E04] in SG10"},
      {"Wenn SG10 CCI ein Code vorhanden", "present CCI in SG10"},
      // roles and party IDs, which no segment pattern can check
      {"Wenn MP-ID in SG2 NAD+MS mit Rolle MSB vorhanden", ""},
      {"Wenn MP-ID in SG2 NAD+MS mit Rolle MSB nicht vorhanden", ""},
      {"Wenn MP-ID in SG2 NAD+MR in der Rolle LF vorhanden", ""},
      {"Wenn nicht dieselbe MP-ID in SG2 NAD+MS (Nachrichtensender) und im SG8 SEQ+Z01 SG10 CCI+++ZB3 CAV+Z91 "
       "vorhanden",
       ""},
  };
  for (const Case& c : cases) {
    const std::optional<Voraussetzung> reading = Voraussetzung::parse(c.text);
    EXPECT_EQ(reading ? render(*reading) : "", c.reading) << c.text;
  }
}

// The segments named right after "derselben SGn" name the instance: they stay beside the chain.
TEST(VoraussetzungParse, KeepsTheSegmentsThatNameTheInstance) {
  // Nothing expected: a consequence follows the condition, so the text is not read.
  const std::pair<std::string_view, std::optional<std::string_view>> cases[] = {
      {"Wenn in derselben SG10 das CCI+Z17 (Stromverbrauchsart) im CAV+ZH1 (Inbetriebsetzung) vorhanden", "CCI[Z17]"},
      {"Wenn in derselben SG8 SEQ+Z59 (Produkt-Daten) das PIA+5 nicht vorhanden", "SEQ[Z59]"},
      {"Wenn in dieser SG8 SEQ+Z98 SG10 CCI+++ZA6 CAV+E02 (SLP/ SEP) vorhanden", "SEQ[Z98] CCI[][][ZA6]"},
      {"Wenn in dieser SG8 SEQ+Z01 ein CCI+Z30++Z07 vorhanden", ""},
      {"Wenn SG8 SEQ+Z01 SG10 CCI+++ZC0 vorhanden", ""},
      {"Wenn SG9 PIA+5+7-0?:33.86.0 vorhanden ist, darf in derselben Nachricht das SG9 PIA+5+7-0?:52.0.22 nicht "
       "mehr angegeben werden",
       std::nullopt},
  };
  for (const auto& [text, companions] : cases) {
    const std::optional<Voraussetzung> reading = Voraussetzung::parse(text);
    ASSERT_EQ(reading.has_value(), companions.has_value()) << text;
    if (!reading) continue;
    const auto* present = std::get_if<Voraussetzung::Present>(&reading->shape);
    ASSERT_NE(present, nullptr) << text;
    std::string rendered;
    for (const auto& pattern : present->companions) rendered += (rendered.empty() ? "" : " ") + render(pattern);
    EXPECT_EQ(rendered, *companions) << text;
  }
}

TEST(ProSegmentParse, FindsTheSegmentAfterAGroupName) {
  const Case cases[] = {
      {"Code einmal je SG4 IDE+24 (Vorgang)", ""},
      {"Segmentgruppe ist bis zu drei Mal je SG5 NAD+DP anzugeben", "NAD[DP]"},
      {"Segmentgruppe ist genau zwei Mal je SG9 LIN anzugeben", "LIN"},
      {"Einmal für jede SG8  SEQ+Z01, die angegeben ist", "SEQ[Z01]"},
      {"Einmal für jede SG8 (Lokation) in SG10 CCI+Z19 angeben", "CCI[Z19]"},
      {"Für jeden Zeitraum ist ein SG6 anzugeben", ""},
      {"Segmentgruppe ist einmal für jede Zeitraum-ID aus dem DE1156 anzugeben", ""},
      {"Einmal je SG4 IDE+24 und SG5 LOC+Z16", ""},
      {"Einmal je SG5 LOC+Z16 und SG4 IDE+24", "LOC[Z16]"},
  };
  for (const Case& c : cases) {
    const std::optional<ProSegment> pro = ProSegment::parse(c.text);
    EXPECT_EQ(pro ? render(pro->pattern) : "", c.reading) << c.text;
  }
}

TEST(IsPrecondition, AcceptsTheThreeOpeningWordsInAnyCase) {
  const std::pair<std::string_view, bool> cases[] = {
      {"Wenn SG4 vorhanden", true}, {"  falls nicht", true}, {"SOFERN per ORDERS angefordert", true},
      {"Wenn", false},              {"Wennschon", false},    {"Hinweis: Wenn SG4 vorhanden", false},
      {"", false},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(conditions::is_precondition(text), expected) << text;
}

TEST(ReadConditions, ReadsEachTextOnceByTheKindOfItsNumber) {
  const conditions::ConditionTexts texts{
      {"1", "Wenn BGM DE1001 = Z70 vorhanden"},
      {"2", "Hinweis: Wenn BGM DE1001 = Z70 vorhanden"},
      {"3", "Falls es regnet"},
      {"501", "Wenn SG4 STS+E01 vorhanden"},
      {"931", "Format: ZZZ = +00"},
      {"2001", "Einmal je SG5 LOC+Z16"},
  };
  const conditions::ReadConditions read = conditions::read_conditions(texts);
  ASSERT_EQ(read.size(), 4u);
  EXPECT_TRUE(read.at("1").precondition);
  EXPECT_EQ(read.at("1").voraussetzung, Voraussetzung::parse(texts.at("1")));
  EXPECT_FALSE(read.at("2").precondition);
  EXPECT_FALSE(read.at("2").voraussetzung.has_value());
  EXPECT_TRUE(read.at("3").precondition);
  EXPECT_FALSE(read.at("3").voraussetzung.has_value());
  ASSERT_TRUE(read.at("2001").pro_segment.has_value());
  EXPECT_EQ(render(read.at("2001").pro_segment->pattern), "LOC[Z16]");
}

}  // namespace
