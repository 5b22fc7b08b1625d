#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <fmt/format.h>

#include "edifact/envelope/envelope.hpp"
#include "parsed_segments.hpp"

namespace {

using edifact::EdifactError;
using edifact::envelope::validate_envelope;
using edifact::model::Segment;
using edifact_test::parsed;

const std::string unb = "UNB+UNOC:3+9900000000003:500+9900000000004:500+250101:1200+1'";

std::string unz(const std::string& count, const std::string& reference = "1") {
  return fmt::format("UNZ+{}+{}'", count, reference);
}
// Three segments: UNH, BGM, UNT.
std::string message(const std::string& reference) {
  return fmt::format("UNH+{0}+UTILMD:D:11A:UN:S2.1'BGM+E01'UNT+3+{0}'", reference);
}
std::string ung(const std::string& reference) {
  return fmt::format("UNG+UTILMD+9900000000003:500+9900000000004:500+250101:1200+{}+UN+D:11A'", reference);
}
std::string une(const std::string& count, const std::string& reference) {
  return fmt::format("UNE+{}+{}'", count, reference);
}

// An error's text, where "{span}" and "{start}" stand for the span and start offset of segment
// `segment`; an error about a segment other than its text must carry that segment's span.
struct ExpectedError {
  std::string text;
  int segment = -1;
};

struct EnvelopeCase {
  std::string name;
  std::string input;
  std::vector<ExpectedError> errors;
  bool has_record;
  friend void PrintTo(const EnvelopeCase& c, std::ostream* out) { *out << c.name; }
};

class EnvelopeRules : public testing::TestWithParam<EnvelopeCase> {};

TEST_P(EnvelopeRules, CollectsErrorsInTheOrderFoundAndFailsOnTheFirst) {
  const std::vector<Segment> segments = parsed(GetParam().input);
  const auto collected = edifact::envelope::validate_envelope_collecting(segments);
  EXPECT_EQ(collected.interchange.has_value(), GetParam().has_record);

  std::vector<std::string> found;
  for (const EdifactError& error : collected.errors) found.push_back(error.message());
  std::vector<std::string> expected;
  for (const ExpectedError& error : GetParam().errors) {
    std::string text = error.text;
    if (error.segment >= 0) {
      const auto span = segments.at(static_cast<std::size_t>(error.segment)).span();
      if (auto at = text.find("{span}"); at != std::string::npos) {
        text.replace(at, 6, fmt::format("{}..{}", span.start, span.end));
      }
      if (auto at = text.find("{start}"); at != std::string::npos) text.replace(at, 7, std::to_string(span.start));
    }
    expected.push_back(text);
  }
  ASSERT_EQ(found, expected);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const int segment = GetParam().errors[i].segment;
    if (segment >= 0 && collected.errors[i].kind != EdifactError::Kind::InvalidText) {
      EXPECT_EQ(collected.errors[i].span, segments[static_cast<std::size_t>(segment)].span()) << "error " << i;
    }
  }

  const auto first = validate_envelope(segments);
  if (expected.empty()) {
    ASSERT_TRUE(first.has_value()) << first.error().message();
    EXPECT_EQ(*first, *collected.interchange);
  } else {
    ASSERT_FALSE(first.has_value());
    EXPECT_EQ(first.error().message(), expected.front());
  }
}

const std::string not_allowed = "segment {} is not valid for message type ENVELOPE";
std::string misplaced(std::string_view tag) { return fmt::format(fmt::runtime(not_allowed), tag); }
const std::string missing_unh_element_1 = "missing required element 1 in segment UNH";

INSTANTIATE_TEST_SUITE_P(
    Interchanges, EnvelopeRules,
    testing::Values(
        EnvelopeCase{"PlusSignedCount", unb + message("1") + message("2") + unz("?+2"), {}, true},
        EnvelopeCase{"UnzCountsGroups",
                     unb + ung("G1") + message("1") + message("2") + une("2", "G1") + ung("G2") + message("3") +
                         une("1", "G2") + unz("2"),
                     {}, true},
        EnvelopeCase{"FirstSegmentNotUnb", message("1") + unz("1"),
                     {{"required segment UNB is missing from message (position first segment of interchange)"}},
                     false},
        EnvelopeCase{"UnbAlone", "UNB'",
                     {{"required segment UNZ is missing from message (position last segment of interchange)"}},
                     false},
        EnvelopeCase{"EmptyInterchangeDeclaringOne", unb + unz("1"),
                     {{"interchange 1 contains no message or group"},
                      {"interchange message count mismatch: UNZ declared 1, found 0"}},
                     true},
        EnvelopeCase{"UnzReferenceDiffers", unb + message("1") + unz("1", "2"),
                     {{"segment UNZ has qualifier '2', expected '1'", 4}}, true},
        EnvelopeCase{"UnzWithoutElements", unb + message("1") + "UNZ'",
                     {{"missing required element 1 in segment UNZ"},
                      {"segment UNZ has qualifier '', expected '1'", 4},
                      {"missing required element 0 in segment UNZ"},
                      {"interchange message count mismatch: UNZ declared 0, found 1"}},
                     true},
        EnvelopeCase{"UnbRequiredFieldsInOrder", "UNB+UNOC:3+:500'" + message("1") + "UNZ+1'",
                     {{"missing required component 0 in element 1 of segment UNB"},
                      {"missing required element 2 in segment UNB"},
                      {"missing required element 3 in segment UNB"},
                      {"missing required element 4 in segment UNB"},
                      {"missing required element 1 in segment UNZ"}},
                     true},
        EnvelopeCase{"UnrecognisedSyntaxIdentifier", "UNB+UNOW:3+A+B+250101:1200+1'" + message("1") + unz("1"),
                     {{"unrecognised syntax identifier 'UNOW': expected UNOA-UNOK, UNOX, UNOY, or KECA"}}, true},
        EnvelopeCase{"EmptySyntaxIdentifierIsOnlyMissing", "UNB+:3+A+B+250101:1200+1'" + message("1") + unz("1"),
                     {{"missing required component 0 in element 0 of segment UNB"}}, true}),
    [](const testing::TestParamInfo<EnvelopeCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Messages, EnvelopeRules,
    testing::Values(
        EnvelopeCase{"UnhThenUnt", unb + "UNH+1+UTILMD:D:11A:UN:S2.1'UNT+2+1'" + unz("1"),
                     {{"message 1 has no segments between UNH and UNT", 1}}, true},
        EnvelopeCase{"UntCountDiffers",
                     unb + "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'DTM+137'DTM+163'DTM+164'UNT+5+1'" + unz("1"),
                     {{"segment count mismatch in message 1: UNT declared 5, found 6", 6}}, true},
        EnvelopeCase{"UntCountMissing", unb + "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'UNT++1'" + unz("1"),
                     {{"missing required component 0 in element 0 of segment UNT"},
                      {"segment count mismatch in message 1: UNT declared 0, found 3", 3}},
                     true},
        EnvelopeCase{"UntReferenceDiffers", unb + "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'UNT+3+2'" + unz("1"),
                     {{"segment UNT has qualifier '2', expected '1'", 3}}, true},
        EnvelopeCase{"UnhWithoutMessageIdentifier", unb + "UNH+1'BGM+E01'UNT+3+1'" + unz("1"),
                     {{missing_unh_element_1}, {missing_unh_element_1}, {missing_unh_element_1},
                      {missing_unh_element_1}},
                     true},
        EnvelopeCase{"AbsentReferencesStillCollide",
                     unb + "UNH++UTILMD:D:11A:UN'BGM+E01'UNT+3'UNH++UTILMD:D:11A:UN'BGM+E01'UNT+3'" + unz("2"),
                     {{"missing required component 0 in element 0 of segment UNH"},
                      {"missing required element 1 in segment UNT"},
                      {"missing required component 0 in element 0 of segment UNH"},
                      {"duplicate UNH reference '' at bytes {span}", 4},
                      {"missing required element 1 in segment UNT"}},
                     true},
        EnvelopeCase{"NestedUnh", unb + "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'" + message("2") + unz("1"),
                     {{misplaced("UNH"), 3}}, false},
        EnvelopeCase{"MissingUnt", unb + "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'" + unz("1"),
                     {{"required segment UNT is missing from message (position end of message group)"}}, false},
        EnvelopeCase{"DataSegmentBetweenMessages", unb + message("1") + "DTM+137'" + message("2") + unz("2"),
                     {{misplaced("DTM"), 4}}, false},
        EnvelopeCase{"PackageInsideMessage", unb + "UNH+1+UTILMD:D:11A:UN:S2.1'UNP+1'UNT+3+1'" + unz("1"),
                     {{"segment UNP opens or closes a package, which this crate does not parse", 2}}, false},
        EnvelopeCase{"ContentErrorsBeforeAStructuralOneAreKept",
                     unb + "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'UNT+9+2'DTM+137'" + unz("5"),
                     {{"segment UNT has qualifier '2', expected '1'", 3}, {misplaced("DTM"), 4}}, false}),
    [](const testing::TestParamInfo<EnvelopeCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Groups, EnvelopeRules,
    testing::Values(
        EnvelopeCase{"UngAfterAMessageIsMisplacedNotMixed",
                     unb + message("1") + ung("G1") + message("2") + une("1", "G1") + unz("1"),
                     {{misplaced("UNG"), 4}}, false},
        EnvelopeCase{"BareMessageAfterAGroupIsMixed",
                     unb + ung("G1") + message("1") + une("1", "G1") + message("2") + unz("1"),
                     {{"interchange mixes groups with ungrouped messages", 6}}, false},
        EnvelopeCase{"UngAsLastBodySegment", unb + ung("G1") + unz("1"),
                     {{"required segment UNE is missing from message (position end of functional group)"}}, false},
        EnvelopeCase{"UneCountDiffers", unb + ung("G1") + message("1") + message("2") + une("3", "G1") + unz("1"),
                     {{"interchange message count mismatch: UNZ declared 3, found 2"}}, true},
        EnvelopeCase{"UneReferenceDiffers", unb + ung("G1") + message("1") + une("1", "G2") + unz("1"),
                     {{"segment UNE has qualifier 'G2', expected 'G1'", 5}}, true},
        EnvelopeCase{"MessageReferenceReusedAcrossGroups",
                     unb + ung("G1") + message("1") + une("1", "G1") + ung("G2") + message("1") + une("1", "G2") +
                         unz("2"),
                     {{"duplicate UNH reference '1' at bytes {span}", 7}}, true},
        EnvelopeCase{"ErrorOrderAcrossGroupsTotalsAndMessages",
                     unb + ung("G1") + message("1") + une("1", "G1") + ung("G1") +
                         "UNH+2+UTILMD:D:11A:UN:S2.1'BGM+E01'UNT+4+3'" + une("x", "G9") + unz("3"),
                     {{"duplicate UNG reference 'G1' at bytes {span}", 6},
                      {"invalid EDIFACT text at byte offset {start}", 10},
                      {"segment UNE has qualifier 'G9', expected 'G1'", 10},
                      {"segment UNT has qualifier '3', expected '2'", 9},
                      {"interchange message count mismatch: UNZ declared 0, found 1"},
                      {"interchange message count mismatch: UNZ declared 3, found 2"},
                      {"segment count mismatch in message 2: UNT declared 4, found 3", 9}},
                     true}),
    [](const testing::TestParamInfo<EnvelopeCase>& info) { return info.param.name; });

TEST(EnvelopeRecord, HoldsWhatTheServiceSegmentsDeclare) {
  const std::vector<Segment> segments = parsed(
      "UNB+UNOC:3+9900000000003:500:ROUTE+9900000000004:14+250101:1200+REF7+PW:AA+APP+A+1+IA+1'" + ung("G1") +
      "UNH+M1+UTILMD:D:11A:UN:S2.1+CAR+1:F'BGM+E01'UNT+3+M1'UNH+M2+UTILMD:D:11A:UN+CAR+x:C'BGM+E01'DTM+137'UNT+4+M2'" +
      une("2", "G1") + unz("1", "REF7"));
  const auto validated = validate_envelope(segments);
  ASSERT_TRUE(validated.has_value()) << validated.error().message();

  const edifact::envelope::InterchangeEnvelope interchange{
      "UNOC",   "3",    "9900000000003", "500", "ROUTE", "9900000000004", "14", std::nullopt, "250101", "1200",
      "REF7",   "PW",   "AA",            "APP", "A",     true,            "IA", true,         1,        1};
  EXPECT_EQ(validated->interchange, interchange);

  const edifact::envelope::MessageEnvelope first{
      "M1", "UTILMD", "D", "11A", "UN", "S2.1", "CAR", "F", 1, segments[2].span(), segments[4].span(), 3, 3};
  const edifact::envelope::MessageEnvelope second{
      "M2", "UTILMD", "D", "11A", "UN", "", "CAR", "C", std::nullopt, segments[5].span(), segments[8].span(), 4, 4};
  const edifact::envelope::FunctionalGroupEnvelope group{
      "UTILMD", "9900000000003", "500", "9900000000004", "500", "250101", "1200", "G1", "UN", "D", "11A",
      std::nullopt, {first, second}, 2, 2};
  ASSERT_EQ(validated->groups.size(), 1u);
  EXPECT_EQ(validated->groups.front(), group);
  EXPECT_EQ(validated->messages, group.messages);
}

TEST(EnvelopeRecord, OnlyTheText1SetsAnIndicator) {
  // Acknowledgement request is element 8, test indicator element 10.
  const std::tuple<std::string, bool, bool> rows[] = {
      {"", false, false}, {"++++1++01", true, false}, {"++++0++1:X", false, true}};
  for (const auto& [indicators, acknowledgement, test] : rows) {
    const auto validated = validate_envelope(parsed("UNB+UNOC:3+A+B+250101:1200+1" + indicators + "'" +
                                                    message("1") + unz("1")));
    ASSERT_TRUE(validated.has_value()) << validated.error().message();
    EXPECT_EQ(validated->interchange.acknowledgement_request, acknowledgement) << indicators;
    EXPECT_EQ(validated->interchange.test_indicator, test) << indicators;
  }
}

TEST(EnvelopeCount, ReadsUnsigned32BitDecimalsAndClampsLargerCounts) {
  using edifact::envelope::read_count;
  EXPECT_EQ(read_count("+4294967295"), 4294967295u);
  for (std::string_view refused : {"4294967296", "+", "-2", "++2", " 2"}) {
    EXPECT_EQ(read_count(refused), std::nullopt) << refused;
  }

  edifact::envelope::ErrorSink sink;
  constexpr std::uint32_t largest = std::numeric_limits<std::uint32_t>::max();
  EXPECT_EQ(sink.clamped_count(largest), largest);
  EXPECT_TRUE(sink.errors().empty());
  EXPECT_EQ(sink.clamped_count(std::uint64_t{largest} + 1), largest);
  ASSERT_EQ(sink.errors().size(), 1u);
  EXPECT_EQ(sink.errors().front().message(), "interchange too large: count 4294967296 exceeds u32::MAX");
}

}  // namespace
