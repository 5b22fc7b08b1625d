// A condition text is read wholly or not at all: texts of the catalogue whose words narrow the
// condition beyond any pattern, the segment that holds a data element, and the instances a
// named group stands for.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "conditions_render.hpp"
#include "edi_energy/profile/conditions/same_segment.hpp"
#include "edi_energy/profile/conditions/voraussetzung.hpp"

namespace {

namespace conditions = edi_energy::profile::conditions;
using conditions::Reach;
using conditions::Voraussetzung;
using conditions_test::render;

struct Case {
  std::string_view text;
  std::string_view reading;  // empty: no Voraussetzung
};

TEST(WholeReading, LeavesUnreadWhatNarrowsTheConditionBeyondItsPatterns) {
  const Case cases[] = {
      {"Wenn in derselben SG8 SEQ+Z02/ ZA1/ ZA2 (OBIS-Daten der Marktlokation) eine OBIS-Kennzahl für Wirkarbeit und "
       "1/4 Stunde im PIA+5 vorhanden",
       ""},
      {"Wenn in derselben SG27 LIN die Artikelnummer 9990001000649 vorhanden ist", ""},
      {"Wenn 33-stelliger Meldepunkt im SG5 LOC+172 (Meldepunkt) vorhanden", ""},
      {"Wenn DTM+469 in Anfrage (REQOTE) vorhanden war", ""},
      {"Wenn Syntaxfehler in UNH vorhanden.", ""},
      // the condition before "dann" is read wholly, or the text is unread
      {"Wenn BGM DE1001 = Z32 und LIN DE7140 im Format n13, dann muss der hier genannte Zeitpunkt < 01.01.2024 "
       "00:00 Uhr sein",
       ""},
      // another consequence turns the condition round
      {"Wenn SG9 PIA+5+7-0?:33.86.0 vorhanden ist, darf mittels Wiederholung SG9 LIN das SG9 PIA+5+7-0?:52.0.22 "
       "nicht mehr angegeben werden",
       ""},
      {"Wenn in derselben SG8  (OBIS-Daten) eine OBIS-Kennzahl der Werteart \"Arbeit\" im PIA+5 vorhanden", ""},
      // counts name their scope; a count word alone is that many
      {"Wenn SG10 CCI+Z19 (Bilanzkreis) im Vorgang fünfmal vorhanden", "CCI[Z19] exactly 5 in SG4"},
      {"Wenn SG10 CCI+Z19 (Bilanzkreis) im Vorgang sechsmal vorhanden", ""},
      {"Wenn SG10 CCI+Z19 (Bilanzkreis) mehr als einmal vorhanden", "CCI[Z19] more than 1 in SG10"},
      // names in brackets narrow nothing, nor does the tag of the instance the text points at
      {"Wenn im selben CCI im DE7059 der Code Z39 (Code der Zählzeit) vorhanden ist", "CCI DE7059 in Z39"},
      {"Wenn in demselben RFF der Code Z18 (Marktlokation) im DE1153 vorhanden", "RFF DE1153 in Z18"},
      {"Wenn Wert in SG7 RFF+AGK DE1154 (Konfigurations-ID) vorhanden", "RFF[AGK] DE1154 filled in SG7"},
      {"Wenn SG36 IMD+C in diesem IMD vorhanden", "present IMD[C] in SG36"},
      {"Wenn in derselben SG27 LIN IMD DE7081 (Produkt-/Leistungsbeschreibung) mit Code Z09 (Kann nicht angeboten "
       "werden) nicht vorhanden.",
       "IMD DE7081 not in Z09 in SG27"},
      // a list broken by more than one blank stays one pattern
      {"Wenn in derselben SG8 SEQ+Z20 das PIA+5+1-b?:1.8.e /  1-b?:1.8.63 vorhanden",
       "present SEQ[Z20] then PIA[5][1-b:1.8.e/1-b:1.8.63] in SG8"},
  };
  for (const Case& c : cases) {
    const std::optional<Voraussetzung> reading = Voraussetzung::parse(c.text);
    EXPECT_EQ(reading ? render(*reading) : "", c.reading) << c.text;
  }
}

// Words that carry no condition: the consequence after "dann", the explanation of a placeholder,
// a name in quotes or brackets after a code, a data element or a segment, the name of a code's
// kind, and a bracket the text never opens or never closes.
TEST(WholeReading, ReadsTheConditionBesideWordsThatCarryNone) {
  const Case cases[] = {
      {"Wenn BGM DE1001 = Z77, dann muss der hier genannte Zeitpunkt ≥ 01.10.2023 00:00 Uhr sein", "BGM DE1001 in Z77"},
      {"Wenn STS+Z01+Z07 vorhanden, dann sind nur Codes aus dem EBD-Cluster \"Zustimmung\" möglich.",
       "present STS[Z01][Z07]"},
      {"Wenn in diesem STS DE1131 = E_0487, dann ist nur der Code A01 möglich.", "STS DE1131 in E_0487"},
      {"Wenn SG9 PIA+5+7-b:99.41.16 (b=Kanal: Wert gemäß Codeliste der OBIS-Kennzahlen und Medien) vorhanden",
       "present PIA[5][7-b:99.41.16] in SG9"},
      {"wenn SG9 PIA+5+7-0?:52.0.22/7-b?:53.0.16 (b=Kanal: Wert gemäß Codeliste der OBIS-Kennzahlen) vorhanden",
       "present PIA[5][7-0:52.0.22/7-b:53.0.16] in SG9"},
      // the note must explain a letter of the pattern
      {"Wenn SG9 PIA+5+7-1?:99.41.16 (b=Kanal: Wert gemäß Codeliste der OBIS-Kennzahlen) vorhanden", ""},
      {"Wenn in derselben SG9 LIN die Angabe STS+10+Z38 nicht vorhanden", "absent STS[10][Z38] in SG9"},
      {"Wenn in diesem RFF \"Referenz auf die Lokationsbündelstruktur\" im DE1153 der Code Z31 "
       "\"Lokationsbündelstruktur\" vorhanden ist",
       "RFF DE1153 in Z31"},
      // a quoted code is a value, not a name
      {"Wenn in diesem RFF im DE1153 der Code Z31 \"Z32\" vorhanden ist", "RFF DE1153 in Z31/Z32"},
      {"Wenn in einem SG10 CAV+ZH9 DE7110 der Code der Produkteigenschaft (Wertebereich) 9991000002420 (Marktprämie) "
       "vorhanden ist",
       "CAV DE7110 in 9991000002420 in SG10"},
      {"Wenn in SG29 LIN++Z19 (Erforderliches Produkt der Messlokation) in SG30 CCI (Zugeordnete Zählzeitdefinition "
       "im DE7059 der Code Z39 (Code der Zählzeitdefinition) vorhanden ist",
       "CCI DE7059 in Z39 in SG29"},
      {"Wenn im RFF+Z33 (Referenz) das DE1156 Fortlaufende Nummer eines Lokationsbündels) in derselben SG8 SEQ+Z58/ "
       "ZC9 (Zuordnung) vorhanden ist",
       "RFF[Z33] DE1156 filled in SG8"},
      // an electricity register is a Zählerstand: its D group is 8
      {"Wenn in derselben SG8  (OBIS-Daten der Zähleinrichtung) eine OBIS-Kennzahl der Werteart \"Zählerstand\" im "
       "PIA+5 vorhanden",
       "present PIA[5][1-b:c.8.e] in SG8"},
      {"Wenn in dieser SG36 LIN in DE7140 keiner der Codes 1-01-6-005 / 1-01-9-001 vorhanden",
       "LIN DE7140 not in 1-01-6-005/1-01-9-001 in SG36"},
  };
  for (const Case& c : cases) {
    const std::optional<Voraussetzung> reading = Voraussetzung::parse(c.text);
    EXPECT_EQ(reading ? render(*reading) : "", c.reading) << c.text;
  }
}

// "der Code 9991000002933" narrows the segment before it; a bracket the text never closes ends
// before the next segment it names.
TEST(WholeReading, KeepsTheCodeATextNamesForItsLastSegment) {
  const auto reading = Voraussetzung::parse(
      "Wenn in keinem SG8 SEQ+Z79 (Bestandteil eine Produktpaketes CCI+Z66/CAV+ZH9 (Produkteigenschaft/ Code der "
      "Produkteigenschaft) der Code 9991000002933 (Ruhende Marktlokation ausprägen) vorhanden ist.");
  ASSERT_TRUE(reading.has_value());
  EXPECT_EQ(render(*reading), "absent SEQ[Z79] then CCI[Z66] then CAV[ZH9] in SG8");
  EXPECT_EQ(std::get<Voraussetzung::Present>(reading->shape).codes, std::vector<std::string>{"9991000002933"});
  const auto bare = Voraussetzung::parse("Wenn SG10 CCI+Z66 mit einem Code vorhanden");
  ASSERT_TRUE(bare.has_value());
  EXPECT_TRUE(std::get<Voraussetzung::Present>(bare->shape).codes.empty());
}

// The data element belongs to the segment the text says holds it; the other segments it names
// must stand in the same instance.
struct HolderCase {
  std::string_view text;
  std::string_view reading;
  std::string_view holder;      // the segment as the text qualifies it
  std::string_view companions;  // rendered, blank-separated
};

TEST(WholeReading, GivesTheDataElementToTheSegmentThatHoldsIt) {
  const HolderCase cases[] = {
      {"Wenn in derselben SG8 SEQ+Z76/ ZC5/ ZC6 (Messstellenbetriebsabrechnungsdaten der Marktlokation) im DE4347 des "
       "PIA Z02 (Gruppenartikel-ID / Artikel-ID) vorhanden",
       "PIA DE4347 in Z02 in SG8", "PIA", "SEQ[Z76/ZC5/ZC6]"},
      {"Wenn in SG8 SEQ+Z43 DTM+Z33 (Zählzeitänderungszeitpunkt) im DE2379 der Code 303 vorhanden",
       "DTM DE2379 in 303 in SG8", "DTM[Z33]", "SEQ[Z43]"},
      {"Wenn NAD+MR DE3207 = „DE“", "NAD DE3207 in DE", "NAD[MR]", ""},
      {"Wenn im DE3155 in demselben COM der Code TE / FX vorhanden ist", "COM DE3155 in TE/FX", "COM", ""},
      {"Wenn im RFF+Z33 (Referenz auf den Objektcode) das DE1156 (Fortlaufende Nummer) in derselben SG8 SEQ+Z58/ ZC9 "
       "(Zuordnung Lokation) nicht vorhanden ist",
       "RFF[Z33] DE1156 not filled in SG8", "RFF[Z33]", "SEQ[Z58/ZC9]"},
  };
  for (const HolderCase& c : cases) {
    const std::optional<Voraussetzung> reading = Voraussetzung::parse(c.text);
    ASSERT_TRUE(reading.has_value()) << c.text;
    EXPECT_EQ(render(*reading), c.reading) << c.text;
    std::string holder;
    std::string companions;
    const auto list = [&](const std::vector<conditions::SegmentPattern>& patterns) {
      for (const auto& pattern : patterns) companions += (companions.empty() ? "" : " ") + render(pattern);
    };
    if (const auto* value = std::get_if<Voraussetzung::DeValue>(&reading->shape)) {
      holder = render(value->pattern);
      list(value->companions);
    } else if (const auto* shape = std::get_if<Voraussetzung::DeShape>(&reading->shape)) {
      holder = render(shape->pattern);
      list(shape->companions);
    }
    EXPECT_EQ(holder, c.holder) << c.text;
    EXPECT_EQ(companions, c.companions) << c.text;
  }
}

// A group the text names stands for all its instances; the one around the row only where the
// text points at it.
TEST(WholeReading, PointsAtTheInstanceAroundTheRowOnlyWhereTheTextSaysSo) {
  const std::pair<std::string_view, Reach> cases[] = {
      {"Wenn SG2 NAD+DP (Meldepunkt), SG3 RFF+Z59 (Referenz auf die ID der Marktlokation der Kundenanlage) vorhanden",
       Reach::Anywhere},
      {"Wenn SG4 STS+E01 in keinem Vorgang vorhanden", Reach::Anywhere},
      {"Wenn in SG12 AJT DE1082 = E_0407", Reach::Anywhere},
      {"Wenn in dieser SG8 SEQ+Z01 ein CCI+Z30 vorhanden", Reach::Around},
      {"Wenn im selben SG12 NAD DE3124 nicht vorhanden", Reach::Around},
      {"Wenn das SG10 CCI ZB5 (Spannungsebene) CAV E04 (Hochspannung) in dieser SG vorhanden", Reach::Around},
      {"Wenn SG10 CCI+Z19 (Bilanzkreis) im Vorgang mehr als einmal vorhanden", Reach::Around},
  };
  for (const auto& [text, reach] : cases) {
    const std::optional<Voraussetzung> reading = Voraussetzung::parse(text);
    ASSERT_TRUE(reading.has_value()) << text;
    EXPECT_EQ(reading->reach, reach) << text;
  }
  const auto chain = Voraussetzung::parse(cases[0].first);
  EXPECT_EQ(render(*chain), "present NAD[DP] then RFF[Z59] in SG2");
}

}  // namespace

// Which texts point at the very segment they are asked about, and by which tag.
TEST(WholeReading, NamesTheSegmentItPointsAtAsItsOwn) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"Wenn in diesem RFF \"Referenz auf die Lokationsbündelstruktur\" im DE1153 der Code Z31 "
       "\"Lokationsbündelstruktur\" vorhanden ist",
       "RFF"},
      {"Wenn in diesem STS DE1131 = E_0487, dann ist nur der Code A01 möglich.", "STS"},
      {"wenn im DE3155 im demselben COM der Code EM vorhanden ist", "COM"},
      {"Wenn im selben QTY im DE6063 Z35 (Abschlag) vorhanden", "QTY"},
      {"Wenn in dieser CAV+ZD3 der Wert im DE7110 mit Z32 (sonstiger Zählzeitdefinitionstyp) vorhanden ist", "CAV"},
      {"Wenn SG36 IMD+C in diesem IMD vorhanden", "IMD"},
      // an instance, not a segment
      {"Wenn in dieser SG7 AJT DE4465 = A21", ""},
      {"Wenn in derselben SG9 LIN die Angabe STS+10+Z38 nicht vorhanden", ""},
      // other segments beside it
      {"Wenn in derselben SG8 SEQ+Z76/ ZC5/ ZC6 (Messstellenbetriebsabrechnungsdaten der Marktlokation) im DE4347 "
       "des PIA Z02 (Gruppenartikel-ID / Artikel-ID) vorhanden",
       ""},
      {"Wenn BGM DE1001 = Z70 vorhanden", ""},
  };
  for (const auto& [text, tag] : cases) {
    const std::optional<Voraussetzung> reading = Voraussetzung::parse(text);
    ASSERT_TRUE(reading.has_value()) << text;
    EXPECT_EQ(conditions::own_segment_tag(text, *reading), tag) << text;
  }
}
