// Every Formatbedingung with values that pass and values that fail, with the exact texts; the
// decimal reading behind the numeric ones; and the fold of whole condition expressions.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "edi_energy/profile/conditions/expr.hpp"
#include "edi_energy/profile/formatbedingung/checks.hpp"
#include "edi_energy/profile/formatbedingung/dec.hpp"
#include "edi_energy/profile/formatbedingung/formatbedingung.hpp"

namespace edi_energy::profile::formatbedingung {
void PrintTo(const Verdict& verdict, std::ostream* out) {
  *out << (verdict.kind == Verdict::Kind::Holds ? "holds" : verdict.kind == Verdict::Kind::Unknown ? "unknown" : "violated: ")
       << verdict.text;
}
}  // namespace edi_energy::profile::formatbedingung

namespace {

namespace fb = edi_energy::profile::formatbedingung;
using edi_energy::profile::conditions::Expr;
using edi_energy::profile::conditions::Truth;
using fb::Dec;
using fb::Verdict;

struct Case {
  std::string_view id;
  std::string_view value;
  std::string_view violation;  // empty: the value holds
};

TEST(FormatbedingungEvaluate, HoldsOrNamesTheFault) {
  const Case cases[] = {
      {"902", "0", ""},
      {"902", "-1", "is -1, not ≥ 0"},
      {"902", "abc", "is not a number"},
      {"903", "1.00", ""},
      {"903", "2", "is 2, not 1"},
      {"904", "1234567890123456", ""},
      {"904", "ÄÖÜ", "is 3 characters long, not exactly 16"},
      {"905", "ÄÖÜ", ""},
      {"905", "ABCD", "is 4 characters long, not at most 3"},
      {"906", "0.1230", ""},
      {"906", "1.2345", "is 1.2345, which has 4 Nachkommastellen, not at most 3"},
      {"907", "1.2345", ""},
      {"907", "1.23456", "is 1.23456, which has 5 Nachkommastellen, not at most 4"},
      {"908", "1", ""},
      {"908", "0.99", "is 0.99, not ≥ 1"},
      {"909", "-0", ""},
      {"909", "-0.01", "is -0.01, not ≥ 0"},
      {"910", "-0.5", ""},
      {"910", "1,5", ""},
      {"910", "-.5", "is not a number"},
      {"910", " 1", "is not a number"},
      {"912", "1.123456", ""},
      {"912", "1.1234567", "is 1.1234567, which has 7 Nachkommastellen, not at most 6"},
      {"913", "99999.0", ""},
      {"913", "0", "is 0, outside 1–99999"},
      {"913", "100000", "is 100000, outside 1–99999"},
      {"913", "1.5", "is 1.5, which is not a whole number"},
      {"914", "0.001", ""},
      {"914", "-0.00", "is -0.00, not > 0"},
      {"915", "2", ""},
      {"915", "1.00", "is 1"},
      {"915", "x", "is not a number"},
      {"917", "1234.5", ""},
      {"917", "00012345.6", "is 00012345.6, which has 5 Vorkommastellen, not at most 4"},
      {"918", "ÄB", ""},
      {"918", "Ab", "carries the lower-case letter 'b'"},
      {"918", "ß", "carries the lower-case letter 'ß'"},
      {"918", "Aσ", "carries the lower-case letter 'σ'"},
      {"918", "A€", "carries '€', which UNOC does not define"},
      {"918", "€a", "carries the lower-case letter 'a'"},
      {"918", "A\tB", "carries '\\t', which UNOC does not define"},
      {"918", "A\xFF", "carries '\uFFFD', which UNOC does not define"},
      {"922", "D0000000010", ""},
      {"922", "D0000000011", "is not a TR-ID: invalid checksum"},
      {"922", "D000000001Ä", "is not a TR-ID: invalid length: expected exactly 11, got 12"},
      {"925", "1.12345", ""},
      {"925", "1.123456", "is 1.123456, which has 6 Nachkommastellen, not at most 5"},
      {"926", "0.0", ""},
      {"926", "1", "is 1, not 0"},
      {"927", "-1.0", ""},
      {"927", "1", "is 1, not -1"},
      {"929", "1000.000", ""},
      {"929", "100", "is 100, not 1000"},
      {"930", "1.25", ""},
      {"930", "1.255", "is 1.255, which has 3 Nachkommastellen, not at most 2"},
      {"931", "202610010000+00", ""},
      {"931", "202610010000+01", "is \"202610010000+01\", which does not end on \"+00\""},
      {"931", "", "is \"\", which does not end on \"+00\""},
      {"932", "202609302200+01", ""},
      {"932", "202609302300+00", "has HHMM 2300, not 2200"},
      {"932", "20260930220+00", "is \"20260930220+00\", not a CCYYMMDDHHMMZZZ Zeitpunkt"},
      {"932", "2026093022x0+00", "is \"2026093022x0+00\", not a CCYYMMDDHHMMZZZ Zeitpunkt"},
      {"933", "202612312300+00", ""},
      {"933", "202612312200+00", "has HHMM 2200, not 2300"},
      {"934", "202609300400+00", ""},
      {"934", "202609300500+00", "has HHMM 0500, not 0400"},
      {"935", "202612310500+00", ""},
      {"935", "202612310400+00", "has HHMM 0400, not 0500"},
      {"937", "1.0", ""},
      {"937", "1.5", "is 1.5, which has a Nachkommastelle"},
      {"938", "10", ""},
      {"938", "10.5", "is 10.5, not ≤ 10"},
      {"939", "info@example.de", ""},
      {"939", "", "contains neither \"@\" nor \".\""},
      {"939", "a@b", "does not contain \".\""},
      {"939", "a.b", "does not contain \"@\""},
      {"940", "+4930123456789", ""},
      {"940", "+49 30", "carries ' ' after the \"+\""},
      {"940", "", "does not begin with \"+\""},
      {"940", "0049", "does not begin with \"+\""},
      {"940", "+", "is \"+\" with no digits"},
      {"942", "1-01-1-001", ""},
      {"942", "1-01-1", "is \"1-01-1\", which has 3 dash-separated groups, not the 4 of n1-n2-n1-n3"},
      {"942", "1-1-1-001", "is \"1-1-1-001\", not n1-n2-n1-n3"},
      {"942", "1-01-1-00a", "is \"1-01-1-00a\", not n1-n2-n1-n3"},
      {"942", "1-01-1-00١", "is \"1-01-1-00١\", not n1-n2-n1-n3"},
      {"943", "1-01-1", ""},
      {"943", "", "is \"\", which has 1 dash-separated groups, not the 3 of n1-n2-n1"},
      {"946", "1.12345678901", ""},
      {"946", "1.123456789012", "is 1.123456789012, which has 12 Nachkommastellen, not at most 11"},
      {"947", "202612312300+00", ""},
      {"947", "202612302300+00", "has MMDDHHMM 12302300, not 12312300"},
      {"948", "1-01-1-00000001-01", ""},
      {"948", "1-01-1-00000001-1", "is \"1-01-1-00000001-1\", not n1-n2-n1-n8-n2"},
      {"949", "1-01-1-00000001-01-1", ""},
      {"949", "1-01-1-00000001-01-", "is \"1-01-1-00000001-01-\", not n1-n2-n1-n8-n2-n1"},
      {"950", "41373559241", ""},
      {"950", "41373559242", "is not a Marktlokations-ID: invalid checksum"},
      {"951", "DE0000000000000000000000000000042", ""},
      {"951", "DE00", "is not a Zählpunktbezeichnung: invalid length: expected exactly 33, got 4"},
      {"953", "41373559241", ""},
      {"953", "DE0000000000000000000000000000042", ""},
      {"953", "123", "is neither a Marktlokations-ID nor a Zählpunktbezeichnung"},
      {"955", "99.99", ""},
      {"955", "100", "is 100, not < 100"},
      {"957", "1-01-1-00000001", ""},
      {"957", "1-01-1-0000001", "is \"1-01-1-0000001\", not n1-n2-n1-n8"},
      {"959", "9991000000044-01", ""},
      {"959", "9991000000044", "is \"9991000000044\", which has 1 dash-separated groups, not the 2 of n13-n2"},
      {"960", "E0000000019", ""},
      {"960", "E0000000018", "is not a Netzlokations-ID: invalid checksum"},
      {"961", "C0000000011", ""},
      {"961", "C000000001", "is not an SR-ID: invalid length: expected exactly 11, got 10"},
      {"962", "123456", ""},
      {"962", "1234567", "is 1234567, which has 7 Vorkommastellen, not at most 6"},
      {"963", "100", ""},
      {"963", "101", "is 101, not ≤ 100"},
      {"964", "0000", ""},
      {"964", "-100", "is \"-100\", not four digits HHMM"},
      {"965", "1275", ""},
      {"965", "2400", "is 2400, not ≤ 2359"},
      {"965", "123", "is \"123\", not four digits HHMM"},
      {"968", "0", ""},
      {"968", "0.1", "is 0.1, not ≤ 0"},
      {"969", "1", ""},
      {"969", "1.01", "is 1.01, not ≤ 1"},
  };
  for (const Case& c : cases) {
    const Verdict verdict = fb::evaluate(c.id, c.value);
    const Verdict expected = c.violation.empty() ? Verdict::holds() : Verdict::violated(std::string(c.violation));
    EXPECT_EQ(verdict, expected) << c.id << " " << c.value;
  }
}

// 2026: summer time from 01:00 UTC on 29 March to 01:00 UTC on 25 October.
TEST(FormatbedingungEvaluate, DayBoundariesFollowGermanSummerTime) {
  const Case cases[] = {
      {"UB1", "202601012300+00", ""},
      {"UB1", "202601012200+00", "has HHMM 2200; in MEZ the Beginn-/Ende-Zeitpunkt des Tages is 2300"},
      {"UB1", "202603290100+00", "has HHMM 0100; in MESZ the Beginn-/Ende-Zeitpunkt des Tages is 2200"},
      {"UB1", "202603290059+00", "has HHMM 0059; in MEZ the Beginn-/Ende-Zeitpunkt des Tages is 2300"},
      {"UB1", "202610250059+00", "has HHMM 0059; in MESZ the Beginn-/Ende-Zeitpunkt des Tages is 2200"},
      {"UB1", "202610250100+00", "has HHMM 0100; in MEZ the Beginn-/Ende-Zeitpunkt des Tages is 2300"},
      {"UB1", "202609302200+00", ""},
      {"UB1", "202602302300+00", "is \"202602302300+00\", not a CCYYMMDDHHMMZZZ Zeitpunkt"},
      {"UB1", "202601012400+00", "is \"202601012400+00\", not a CCYYMMDDHHMMZZZ Zeitpunkt"},
      {"UB1", "202613012300+00", "is \"202613012300+00\", not a CCYYMMDDHHMMZZZ Zeitpunkt"},
      {"UB1", "202601012300+01", "is \"202601012300+01\", which does not end on \"+00\""},
      {"UB1", "+00", "is \"+00\", not a CCYYMMDDHHMMZZZ Zeitpunkt"},
      {"UB1", "2026010123€0+00", "is \"2026010123€0+00\", not a CCYYMMDDHHMMZZZ Zeitpunkt"},
      {"UB1", "+026+1+12300+00", ""},  // signed fields read as numbers: 26-01-01 23:00
      {"UB1", "-0010101+1+2+00", "has HHMM +1+2; in MEZ the Beginn-/Ende-Zeitpunkt des Tages is 2300"},
      {"UB2", "202609300400+00", ""},
      {"UB2", "202601010400+00", "has HHMM 0400; in MEZ the Beginn-/Ende-Zeitpunkt des Gas-Tages 06:00 Uhr is 0500"},
      {"UB3", "202606302200+00", ""},
      {"UB3", "202601010500+00", ""},
      {"UB3", "202601010600+00",
       "has HHMM 0600; in MEZ the Beginn-/Ende-Zeitpunkt des Tages (Strom) oder des Gas-Tages is 0500"},
  };
  for (const Case& c : cases) {
    const Verdict verdict = fb::evaluate(c.id, c.value);
    const Verdict expected = c.violation.empty() ? Verdict::holds() : Verdict::violated(std::string(c.violation));
    EXPECT_EQ(verdict, expected) << c.id << " " << c.value;
  }
}

TEST(FormatbedingungTable, KnowsExactlyItsIdsAndEachExampleHolds) {
  std::vector<std::string> ids;
  for (int number = 0; number < 1000; ++number) ids.push_back(fmt::format("{:03}", number));
  for (int number = 0; number < 10; ++number) ids.push_back(fmt::format("UB{}", number));
  ids.insert(ids.end(), {"901 ", "9310", "93", "", "ub1", "UB10"});
  std::size_t known = 0;
  for (const std::string& id : ids) {
    const std::optional<std::string_view> example = fb::example(id);
    EXPECT_EQ(fb::evaluate(id, "x").kind == Verdict::Kind::Unknown, !example.has_value()) << id;
    if (!example) continue;
    ++known;
    EXPECT_EQ(fb::evaluate(id, *example), Verdict::holds()) << id << " " << *example;
  }
  EXPECT_EQ(known, 53u);
  EXPECT_EQ(fb::example("939").value().size(), 15u);
  EXPECT_EQ(fb::example("940").value().size(), 14u);
  EXPECT_TRUE(fb::example("940").value().starts_with("+49"));
}

TEST(DecParse, NormalisesOrRefuses) {
  const std::pair<std::string_view, std::optional<Dec>> cases[] = {
      {"+5", std::nullopt},             {"5.", std::nullopt},          {".5", std::nullopt},
      {"007.500", Dec{"7", "5", false}}, {"-0.00", Dec{"", "", false}}, {"-0,10", Dec{"", "1", true}},
      {"1,5", Dec{"1", "5", false}},    {"-.10", std::nullopt},        {"5,", std::nullopt},
      {"0", Dec{"", "", false}},        {"", std::nullopt},            {"-", std::nullopt},
      {"+", std::nullopt},              {".", std::nullopt},           {"-.", std::nullopt},
      {"1,5.0", std::nullopt},          {" 1", std::nullopt},          {"1e3", std::nullopt},
      {"1.2.3", std::nullopt},          {"--1", std::nullopt},         {"１", std::nullopt},
  };
  for (const auto& [text, dec] : cases) EXPECT_EQ(Dec::parse(text), dec) << text;
}

TEST(DecCmp, OrdersNumerically) {
  const std::tuple<std::string_view, std::string_view, std::strong_ordering> cases[] = {
      {"0.5", "0.25", std::strong_ordering::greater}, {"-0.5", "-0.25", std::strong_ordering::less},
      {"10", "9.99", std::strong_ordering::greater},  {"1.0", "1", std::strong_ordering::equal},
      {"-1", "0", std::strong_ordering::less},        {"-0", "0", std::strong_ordering::equal},
      {"-10", "-9", std::strong_ordering::less},      {"0.1", "0.10000", std::strong_ordering::equal},
      {"123", "124", std::strong_ordering::less},     {"-1.5", "-1.25", std::strong_ordering::less},
  };
  for (const auto& [a, b, order] : cases) {
    EXPECT_EQ(Dec::cmp(*Dec::parse(a), *Dec::parse(b)), order) << a << " " << b;
    EXPECT_EQ(Dec::cmp(*Dec::parse(b), *Dec::parse(a)), 0 <=> order) << b << " " << a;
  }
}

TEST(FormatbedingungFold, CollectsEveryBrokenConditionInTreeOrder) {
  using Findings = std::vector<fb::Finding>;
  const std::string not_utc = "is \"202612312300+01\", which does not end on \"+00\"";
  struct FoldCase {
    std::string_view expr;
    std::string_view value;
    Truth truth;
    Findings findings;
    bool violated;
  };
  const FoldCase cases[] = {
      {"[931] ∨ [932]", "x", Truth::False,
       {{"931", "is \"x\", which does not end on \"+00\""}, {"932", "is \"x\", not a CCYYMMDDHHMMZZZ Zeitpunkt"}}, true},
      {"[1] ∨ [931]", "x", Truth::True, {{"931", "is \"x\", which does not end on \"+00\""}}, false},
      {"[931] ∧ [901]", "202612312300+00", Truth::Undecided, {}, false},
      {"[931] ∧ [901]", "x", Truth::False, {{"931", "is \"x\", which does not end on \"+00\""}}, true},
      {"[931] ∧ ([932] ∨ [933])", "202612312300+01", Truth::False,
       {{"931", not_utc}, {"932", "has HHMM 2300, not 2200"}}, true},
      {"[931] [UB1]", "202601012200+00", Truth::False,
       {{"UB1", "has HHMM 2200; in MEZ the Beginn-/Ende-Zeitpunkt des Tages is 2300"}}, true},
      {"[501] [2P0..1] [ 931 ]", "x", Truth::True, {}, false},
      {"[UB9] ⊻ [931]", "x", Truth::Undecided, {{"931", "is \"x\", which does not end on \"+00\""}}, false},
  };
  for (const FoldCase& c : cases) {
    auto expr = Expr::parse(c.expr);
    ASSERT_TRUE(expr.has_value()) << c.expr;
    Findings findings;
    EXPECT_EQ(fb::fold(*expr, c.value, findings), c.truth) << c.expr;
    EXPECT_EQ(findings, c.findings) << c.expr;
    EXPECT_EQ(fb::violations(*expr, c.value), c.violated ? c.findings : Findings{}) << c.expr;
  }
}

// Formatbedingungen judged beside the conditions of their alternatives: `applies` decides the
// references that are no Formatbedingung (Neutral for any not listed).
struct ContextCase {
  std::string_view expr;
  std::string_view value;
  std::vector<std::pair<std::string_view, Truth>> applies;
  Truth truth;
  std::vector<std::string_view> broken;  // references, in order
};

class FormatbedingungInContext : public testing::TestWithParam<ContextCase> {};

TEST_P(FormatbedingungInContext, ReportsOnlyTheAlternativesThatApply) {
  const ContextCase& c = GetParam();
  auto expr = Expr::parse(c.expr);
  ASSERT_TRUE(expr.has_value()) << c.expr;
  const fb::Decide decide = [&](std::string_view reference) {
    for (const auto& [listed, truth] : c.applies) {
      if (listed == reference) return truth;
    }
    return Truth::Neutral;
  };
  std::vector<fb::Finding> findings;
  EXPECT_EQ(fb::fold_in_context(*expr, c.value, decide, findings), c.truth);
  std::vector<fb::Finding> expected;
  for (const std::string_view reference : c.broken) {
    expected.emplace_back(std::string(reference), fb::evaluate(reference, c.value).text);
  }
  EXPECT_EQ(findings, expected);
}

constexpr std::string_view contact = "(([939] [142]) ∨ ([940] [143]))";
constexpr std::string_view location = "([950] ([514] ∨ [518])) ∨ ([951] [510]) ∨ ([960] [575])";

INSTANTIATE_TEST_SUITE_P(
    Formatbedingung, FormatbedingungInContext,
    testing::Values(
        ContextCase{contact, "+4930123", {{"142", Truth::False}, {"143", Truth::True}}, Truth::True, {}},
        ContextCase{contact, "030 123", {{"142", Truth::False}, {"143", Truth::True}}, Truth::False, {"940"}},
        ContextCase{contact, "info@example", {{"142", Truth::True}, {"143", Truth::False}}, Truth::False, {"939"}},
        ContextCase{contact, "info@example.de", {{"142", Truth::False}, {"143", Truth::True}}, Truth::False, {"940"}},
        ContextCase{contact, "x", {{"142", Truth::False}, {"143", Truth::False}}, Truth::True, {}},
        // An alternative that may apply fails too, so the one that surely applies decides.
        ContextCase{contact, "x", {{"142", Truth::Undecided}, {"143", Truth::True}}, Truth::False, {"940"}},
        // The one alternative that may apply fails, so the value fails.
        ContextCase{contact, "x", {{"142", Truth::Undecided}, {"143", Truth::False}}, Truth::False, {"939"}},
        ContextCase{contact, "x", {{"142", Truth::True}, {"143", Truth::True}}, Truth::False, {"939", "940"}},
        ContextCase{location, "41373559241", {}, Truth::True, {}},
        ContextCase{location, "41373559240", {}, Truth::False, {"950"}},
        ContextCase{location, "E0000000018", {}, Truth::False, {"960"}},
        ContextCase{location, "1234", {}, Truth::False, {"950", "951", "960"}},
        ContextCase{"[914] ∧ [937] [22]", "-1", {{"22", Truth::False}}, Truth::True, {}},
        ContextCase{"[914] ∧ [937] [22]", "-1.5", {{"22", Truth::True}}, Truth::False, {"914", "937"}},
        ContextCase{"[914] ∧ [937] [22]", "-1", {{"22", Truth::Undecided}}, Truth::False, {"914"}},
        ContextCase{"[931] [494]", "x", {}, Truth::False, {"931"}},
        ContextCase{"[UB9] ⊻ [931]", "x", {}, Truth::Undecided, {}},
        // Alternatives whose conditions are unread: the value must pass one of them, and a
        // MaLo-ID wrong only in its check character is reported as that.
        ContextCase{location, "41373559240", {{"514", Truth::Undecided}, {"510", Truth::Undecided}}, Truth::False,
                    {"950"}},
        ContextCase{location, "41373559241", {{"514", Truth::Undecided}, {"510", Truth::Undecided}}, Truth::True, {}},
        ContextCase{"([950] [32]) ∨ ([951] [33])", "HELLO", {{"32", Truth::Undecided}, {"33", Truth::Undecided}},
                    Truth::False, {"950", "951"}},
        // An unconditioned alternative beside a conditioned one.
        ContextCase{"([902] ∧ [906]) ∨ ([902] ∧ [907] [48])", "-344.775", {{"48", Truth::Undecided}}, Truth::False,
                    {"902"}},
        ContextCase{"([902] ∧ [906]) ∨ ([902] ∧ [907] [48])", "1.1234567", {{"48", Truth::True}}, Truth::False,
                    {"906", "907"}},
        ContextCase{"([902] ∧ [906]) ∨ ([902] ∧ [907] [48])", "1.1234", {{"48", Truth::True}}, Truth::True, {}},
        // An alternative without a format lets any value pass only where it surely applies.
        ContextCase{"([951] [1]) ∨ ([32] ∧ [535])", "41373559240", {{"1", Truth::Undecided}, {"32", Truth::Undecided}},
                    Truth::False, {"951"}},
        ContextCase{"([951] [1]) ∨ ([32] ∧ [535])", "41373559240", {{"1", Truth::Undecided}, {"32", Truth::True}},
                    Truth::True, {}},
        ContextCase{"[950] ([32] ∨ [33])", "x", {{"32", Truth::Undecided}, {"33", Truth::Undecided}}, Truth::False,
                    {"950"}},
        // Exclusive alternatives that both apply still ask their formats of the value.
        ContextCase{"([950] [20]) ⊻ ([960] [20]) ⊻ ([951] [23])", "HELLO", {{"20", Truth::True}, {"23", Truth::False}},
                    Truth::False, {"950", "960"}},
        ContextCase{"([950] [20]) ⊻ ([960] [20]) ⊻ ([951] [23])", "E0000000019",
                    {{"20", Truth::True}, {"23", Truth::False}}, Truth::True, {}}));

TEST(FormatbedingungNearMiss, OnlyTheCheckCharacterIsWrong) {
  const std::tuple<std::string_view, std::string_view, bool> cases[] = {
      {"950", "41373559240", true},  {"950", "4137355924", false}, {"950", "41373559241", false},
      {"951", "41373559240", false}, {"953", "41373559240", true}, {"960", "E0000000018", true},
      {"960", "41373559240", false}, {"931", "x", false},
  };
  for (const auto& [id, value, near] : cases) EXPECT_EQ(fb::misses_only_check_character(id, value), near) << id << value;
}

}  // namespace
