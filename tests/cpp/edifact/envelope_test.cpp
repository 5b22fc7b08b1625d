#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "edifact/envelope.hpp"
#include "edifact/parse.hpp"

namespace {

using edifact::EdifactError;
using edifact::envelope::ErrorSink;
using edifact::envelope::read_count;
using edifact::envelope::validate_envelope;
using edifact::envelope::validate_envelope_collecting;
using edifact::model::Segment;

std::vector<Segment> owned_segments(std::string_view text) {
  std::vector<Segment> segments;
  auto reader = edifact::from_bytes_with_config(text, {});
  while (auto item = reader.next()) {
    if (!*item) {
      ADD_FAILURE() << "test input does not parse: " << item->error().message();
      break;
    }
    segments.push_back(std::move(**item).into_owned());
  }
  return segments;
}

const std::string unb = "UNB+UNOC:3+9900000000003:500+9900000000004:500+250101:1200+1'";

std::string unz(const std::string& count, const std::string& reference = "1") {
  return fmt::format("UNZ+{}+{}'", count, reference);
}
// Three segments: UNH, BGM, UNT.
std::string message(const std::string& reference) {
  return fmt::format("UNH+{0}+UTILMD:D:11A:UN:S2.1'BGM+E01'UNT+3+{0}'", reference);
}
std::string ung(const std::string& reference) {
  return fmt::format("UNG+UTILMD+9900000000003:500+9900000000004:500+250101:1200+{}+UN+D:11A'",
                     reference);
}
std::string une(const std::string& count, const std::string& reference) {
  return fmt::format("UNE+{}+{}'", count, reference);
}

// An expected error: its text, where "{span}" and "{start}" stand for the span and the start
// offset of segment `segment`, which the error must also carry as its span.
struct ExpectedError {
  std::string text;
  int segment = -1;
};

std::string expected_text(const ExpectedError& expected, const std::vector<Segment>& segments) {
  std::string text = expected.text;
  if (expected.segment < 0) return text;
  const edifact::model::Span span = segments.at(static_cast<std::size_t>(expected.segment)).span;
  for (auto [placeholder, value] :
       {std::pair<std::string, std::string>{"{span}", fmt::format("{}..{}", span.start, span.end)},
        std::pair<std::string, std::string>{"{start}", std::to_string(span.start)}}) {
    if (auto at = text.find(placeholder); at != std::string::npos) {
      text.replace(at, placeholder.size(), value);
    }
  }
  return text;
}

bool carries_span(EdifactError::Kind kind) {
  using Kind = EdifactError::Kind;
  constexpr Kind kinds[] = {Kind::SegmentCountMismatch, Kind::SegmentNotAllowed,
                            Kind::QualifierMismatch,    Kind::DuplicateReference,
                            Kind::EmptyMessage,         Kind::UnsupportedPackage,
                            Kind::MixedGroups};
  for (Kind with_span : kinds) {
    if (kind == with_span) return true;
  }
  return false;
}

struct EnvelopeCase {
  std::string name;
  std::string input;
  std::vector<ExpectedError> errors;
  bool has_record;
  friend void PrintTo(const EnvelopeCase& c, std::ostream* out) { *out << c.name; }
};

class EnvelopeRules : public testing::TestWithParam<EnvelopeCase> {};

TEST_P(EnvelopeRules, CollectsErrorsInTheOrderFound) {
  const EnvelopeCase& expected = GetParam();
  const std::vector<Segment> segments = owned_segments(expected.input);
  const auto collected = validate_envelope_collecting(segments);

  EXPECT_EQ(collected.interchange.has_value(), expected.has_record);
  std::vector<std::string> found_texts;
  for (const EdifactError& error : collected.errors) found_texts.push_back(error.message());
  std::vector<std::string> expected_texts;
  for (const ExpectedError& error : expected.errors) {
    expected_texts.push_back(expected_text(error, segments));
  }
  ASSERT_EQ(found_texts, expected_texts);
  for (std::size_t i = 0; i < expected.errors.size(); ++i) {
    const ExpectedError& error = expected.errors[i];
    if (error.segment >= 0 && carries_span(collected.errors[i].kind)) {
      EXPECT_EQ(collected.errors[i].span, segments[static_cast<std::size_t>(error.segment)].span)
          << "error " << i;
    }
  }

  const auto first = validate_envelope(segments);
  if (expected.errors.empty()) {
    ASSERT_TRUE(first.has_value()) << first.error().message();
    EXPECT_EQ(*first, *collected.interchange);
  } else {
    ASSERT_FALSE(first.has_value());
    EXPECT_EQ(first.error().message(), expected_texts.front());
  }
}

const std::string mismatch_1_0 = "interchange message count mismatch: UNZ declared 1, found 0";
const std::string not_allowed = "segment {} is not valid for message type ENVELOPE";

INSTANTIATE_TEST_SUITE_P(
    WellFormed, EnvelopeRules,
    testing::Values(
        EnvelopeCase{"OneMessage", unb + message("1") + unz("1"), {}, true},
        EnvelopeCase{"PlusSignedCount", unb + message("1") + message("2") + unz("?+2"), {}, true},
        EnvelopeCase{"TwoGroupsOfThreeCountGroupsInUnz",
                     unb + ung("G1") + message("1") + message("2") + message("3") + une("3", "G1") +
                         ung("G2") + message("4") + message("5") + message("6") + une("3", "G2") +
                         unz("2"),
                     {},
                     true}),
    [](const testing::TestParamInfo<EnvelopeCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    InterchangeLevel, EnvelopeRules,
    testing::Values(
        EnvelopeCase{"NoSegments",
                     "",
                     {{"required segment UNB is missing from message (position first segment of "
                       "interchange)"}},
                     false},
        EnvelopeCase{"FirstSegmentNotUnb",
                     message("1") + unz("1"),
                     {{"required segment UNB is missing from message (position first segment of "
                       "interchange)"}},
                     false},
        EnvelopeCase{"UnbAloneReadsNoFields",
                     "UNB'",
                     {{"required segment UNZ is missing from message (position last segment of "
                       "interchange)"}},
                     false},
        EnvelopeCase{"EmptyInterchangeDeclaringZero",
                     unb + unz("0"),
                     {{"interchange 1 contains no message or group"}},
                     true},
        EnvelopeCase{"EmptyInterchangeDeclaringOne",
                     unb + unz("1"),
                     {{"interchange 1 contains no message or group"}, {mismatch_1_0}},
                     true},
        EnvelopeCase{"UnzReferenceDiffers",
                     unb + message("1") + unz("1", "2"),
                     {{"segment UNZ has qualifier '2', expected '1'", 4}},
                     true},
        EnvelopeCase{"UnzCountWithTrailingSpace",
                     unb + message("1") + message("2") + unz("2 "),
                     {{"invalid EDIFACT text at byte offset {start}", 7},
                      {"interchange message count mismatch: UNZ declared 0, found 2"}},
                     true},
        EnvelopeCase{"UnzWithoutElements",
                     unb + message("1") + "UNZ'",
                     {{"missing required element 1 in segment UNZ"},
                      {"segment UNZ has qualifier '', expected '1'", 4},
                      {"missing required element 0 in segment UNZ"},
                      {"invalid EDIFACT text at byte offset {start}", 4},
                      {"interchange message count mismatch: UNZ declared 0, found 1"}},
                     true},
        EnvelopeCase{"UnbRequiredFieldsInOrder",
                     "UNB+UNOC:3+:500'" + message("1") + "UNZ+1'",
                     {{"missing required component 0 in element 1 of segment UNB"},
                      {"missing required element 2 in segment UNB"},
                      {"missing required element 3 in segment UNB"},
                      {"missing required element 4 in segment UNB"},
                      {"missing required element 1 in segment UNZ"}},
                     true},
        EnvelopeCase{"UnrecognisedSyntaxIdentifier",
                     "UNB+UNOW:3+A+B+250101:1200+1'" + message("1") + unz("1"),
                     {{"unrecognised syntax identifier 'UNOW': expected UNOA-UNOK, UNOX, UNOY, or "
                       "KECA"}},
                     true},
        EnvelopeCase{"EmptySyntaxIdentifierIsOnlyMissing",
                     "UNB+:3+A+B+250101:1200+1'" + message("1") + unz("1"),
                     {{"missing required component 0 in element 0 of segment UNB"}},
                     true}),
    [](const testing::TestParamInfo<EnvelopeCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    MessageLevel, EnvelopeRules,
    testing::Values(
        EnvelopeCase{"UnhThenUntDeclaringTwo",
                     unb + "UNH+1+UTILMD:D:11A:UN:S2.1'UNT+2+1'" + unz("1"),
                     {{"message 1 has no segments between UNH and UNT", 1}},
                     true},
        EnvelopeCase{"UntCountDiffers",
                     unb + "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'DTM+137'DTM+163'DTM+164'UNT+5+1'" +
                         unz("1"),
                     {{"segment count mismatch in message 1: UNT declared 5, found 6", 6}},
                     true},
        EnvelopeCase{"UntCountMissing",
                     unb + "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'UNT++1'" + unz("1"),
                     {{"missing required component 0 in element 0 of segment UNT"},
                      {"invalid EDIFACT text at byte offset {start}", 3},
                      {"segment count mismatch in message 1: UNT declared 0, found 3", 3}},
                     true},
        EnvelopeCase{"UntReferenceDiffers",
                     unb + "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'UNT+3+2'" + unz("1"),
                     {{"segment UNT has qualifier '2', expected '1'", 3}},
                     true},
        EnvelopeCase{"DuplicateMessageReference",
                     unb + message("1") + message("1") + unz("2"),
                     {{"duplicate UNH reference '1' at bytes {span}", 4}},
                     true},
        EnvelopeCase{"UnhWithoutMessageIdentifier",
                     unb + "UNH+1'BGM+E01'UNT+3+1'" + unz("1"),
                     {{"missing required element 1 in segment UNH"},
                      {"missing required element 1 in segment UNH"},
                      {"missing required element 1 in segment UNH"},
                      {"missing required element 1 in segment UNH"}},
                     true},
        EnvelopeCase{"AbsentReferencesStillCollide",
                     unb + "UNH++UTILMD:D:11A:UN'BGM+E01'UNT+3'UNH++UTILMD:D:11A:UN'BGM+E01'UNT+3'" +
                         unz("2"),
                     {{"missing required component 0 in element 0 of segment UNH"},
                      {"missing required element 1 in segment UNT"},
                      {"missing required component 0 in element 0 of segment UNH"},
                      {"duplicate UNH reference '' at bytes {span}", 4},
                      {"missing required element 1 in segment UNT"}},
                     true},
        EnvelopeCase{"NestedUnh",
                     unb + "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'" + message("2") + unz("1"),
                     {{fmt::format(fmt::runtime(not_allowed), "UNH"), 3}},
                     false},
        EnvelopeCase{"MissingUnt",
                     unb + "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'" + unz("1"),
                     {{"required segment UNT is missing from message (position end of message "
                       "group)"}},
                     false},
        EnvelopeCase{"DataSegmentBetweenMessages",
                     unb + message("1") + "DTM+137'" + message("2") + unz("2"),
                     {{fmt::format(fmt::runtime(not_allowed), "DTM"), 4}},
                     false},
        EnvelopeCase{"UnzInsideMessage",
                     unb + "UNH+1+UTILMD:D:11A:UN:S2.1'UNZ+1+1'UNT+3+1'" + unz("1"),
                     {{fmt::format(fmt::runtime(not_allowed), "UNZ"), 2}},
                     false},
        EnvelopeCase{"PackageInsideMessage",
                     unb + "UNH+1+UTILMD:D:11A:UN:S2.1'UNP+1'UNT+3+1'" + unz("1"),
                     {{"segment UNP opens or closes a package, which this crate does not parse", 2}},
                     false},
        EnvelopeCase{"ContentErrorsBeforeAStructuralOneAreKept",
                     unb + "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'UNT+9+2'DTM+137'" + unz("5"),
                     {{"segment UNT has qualifier '2', expected '1'", 3},
                      {fmt::format(fmt::runtime(not_allowed), "DTM"), 4}},
                     false}),
    [](const testing::TestParamInfo<EnvelopeCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    GroupLevel, EnvelopeRules,
    testing::Values(
        EnvelopeCase{"UngAfterAMessageIsMisplacedNotMixed",
                     unb + message("1") + ung("G1") + message("2") + une("1", "G1") + unz("1"),
                     {{fmt::format(fmt::runtime(not_allowed), "UNG"), 4}},
                     false},
        EnvelopeCase{"BareMessageAfterAGroupIsMixed",
                     unb + ung("G1") + message("1") + une("1", "G1") + message("2") + unz("1"),
                     {{"interchange mixes groups with ungrouped messages", 6}},
                     false},
        EnvelopeCase{"UngAsLastBodySegment",
                     unb + ung("G1") + unz("1"),
                     {{"required segment UNE is missing from message (position end of functional "
                       "group)"}},
                     false},
        EnvelopeCase{"UngInsideAnOpenGroup",
                     unb + ung("G1") + message("1") + ung("G2") + message("2") + une("1", "G2") +
                         unz("1"),
                     {{fmt::format(fmt::runtime(not_allowed), "UNG"), 5}},
                     false},
        EnvelopeCase{"StrayUne",
                     unb + ung("G1") + message("1") + une("1", "G1") + une("1", "G1") + unz("1"),
                     {{fmt::format(fmt::runtime(not_allowed), "UNE"), 6}},
                     false},
        EnvelopeCase{"PackageAtGroupLevel",
                     unb + ung("G1") + message("1") + une("1", "G1") + "UNO+1'" + unz("1"),
                     {{"segment UNO opens or closes a package, which this crate does not parse", 6}},
                     false},
        EnvelopeCase{"MessageProblemInsideAGroupStops",
                     unb + ung("G1") + "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'" + une("1", "G1") +
                         unz("1"),
                     {{"required segment UNT is missing from message (position end of message "
                       "group)"}},
                     false},
        EnvelopeCase{"UneCountDiffers",
                     unb + ung("G1") + message("1") + message("2") + une("3", "G1") + unz("1"),
                     {{"interchange message count mismatch: UNZ declared 3, found 2"}},
                     true},
        EnvelopeCase{"UneReferenceDiffers",
                     unb + ung("G1") + message("1") + une("1", "G2") + unz("1"),
                     {{"segment UNE has qualifier 'G2', expected 'G1'", 5}},
                     true},
        EnvelopeCase{"MessageReferenceReusedAcrossGroups",
                     unb + ung("G1") + message("1") + une("1", "G1") + ung("G2") + message("1") +
                         une("1", "G2") + unz("2"),
                     {{"duplicate UNH reference '1' at bytes {span}", 7}},
                     true},
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
  const std::vector<Segment> segments = owned_segments(
      "UNB+UNOC:3+9900000000003:500:ROUTE+9900000000004:14+250101:1200+REF7+PW:AA+APP+A+1+IA+1'" +
      ung("G1") + "UNH+M1+UTILMD:D:11A:UN:S2.1+CAR+1:F'BGM+E01'UNT+3+M1'" +
      "UNH+M2+UTILMD:D:11A:UN+CAR+x:C'BGM+E01'DTM+137'UNT+4+M2'" + une("2", "G1") +
      unz("1", "REF7"));
  const auto validated = validate_envelope(segments);
  ASSERT_TRUE(validated.has_value()) << validated.error().message();

  edifact::envelope::InterchangeEnvelope interchange{
      "UNOC", "3", "9900000000003", "500", "ROUTE", "9900000000004", "14", std::nullopt,
      "250101", "1200", "REF7", "PW", "AA", "APP", "A", true, "IA", true, 1, 1};
  EXPECT_EQ(validated->interchange, interchange);

  ASSERT_EQ(validated->groups.size(), 1u);
  const auto& group = validated->groups.front();
  EXPECT_EQ(group.message_group_identification, "UTILMD");
  EXPECT_EQ(group.application_sender_identification, "9900000000003");
  EXPECT_EQ(group.recipient_code_qualifier, "500");
  EXPECT_EQ(group.time, "1200");
  EXPECT_EQ(group.group_reference_number, "G1");
  EXPECT_EQ(group.controlling_agency, "UN");
  EXPECT_EQ(group.message_version_number, "D");
  EXPECT_EQ(group.message_release_number, "11A");
  EXPECT_EQ(group.application_password, std::nullopt);
  EXPECT_EQ(group.declared_count, 2u);
  EXPECT_EQ(group.found_count, 2u);

  edifact::envelope::MessageEnvelope first{"M1", "UTILMD", "D", "11A", "UN", "S2.1", "CAR", "F", 1,
                                           segments[2].span, segments[4].span, 3, 3};
  edifact::envelope::MessageEnvelope second{"M2", "UTILMD", "D", "11A", "UN", "", "CAR", "C",
                                            std::nullopt, segments[5].span, segments[8].span, 4, 4};
  ASSERT_EQ(group.messages.size(), 2u);
  EXPECT_EQ(group.messages[0], first);
  EXPECT_EQ(group.messages[1], second);
  EXPECT_EQ(validated->messages, group.messages);
}

struct IndicatorCase {
  std::string element;
  bool set;
  friend void PrintTo(const IndicatorCase& c, std::ostream* out) { *out << '"' << c.element << '"'; }
};

class EnvelopeIndicator : public testing::TestWithParam<IndicatorCase> {};

TEST_P(EnvelopeIndicator, OnlyTheTextOneIsTrue) {
  const std::string header_prefix = "UNB+UNOC:3+A+B+250101:1200+1++++";
  for (const bool test_indicator : {false, true}) {
    // Acknowledgement request is element 8, test indicator element 10.
    const std::string header = header_prefix + (test_indicator ? "++" : "") +
                               GetParam().element + "'";
    const auto validated = validate_envelope(owned_segments(header + message("1") + unz("1")));
    ASSERT_TRUE(validated.has_value()) << validated.error().message();
    const bool read = test_indicator ? validated->interchange.test_indicator
                                     : validated->interchange.acknowledgement_request;
    EXPECT_EQ(read, GetParam().set) << header;
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, EnvelopeIndicator,
                         testing::Values(IndicatorCase{"1", true}, IndicatorCase{"0", false},
                                         IndicatorCase{"01", false}, IndicatorCase{"", false},
                                         IndicatorCase{"1:X", true}));

TEST(EnvelopeIndicator, AbsentElementsAreFalse) {
  const auto validated = validate_envelope(owned_segments(unb + message("1") + unz("1")));
  ASSERT_TRUE(validated.has_value());
  EXPECT_FALSE(validated->interchange.acknowledgement_request);
  EXPECT_FALSE(validated->interchange.test_indicator);
}

struct CountCase {
  std::string text;
  std::optional<std::uint32_t> count;
};

class EnvelopeCount : public testing::TestWithParam<CountCase> {};

TEST_P(EnvelopeCount, ReadsUnsigned32BitDecimals) {
  EXPECT_EQ(read_count(GetParam().text), GetParam().count) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EnvelopeCount,
    testing::Values(CountCase{"+2", 2}, CountCase{"+4294967295", 4294967295u},
                    CountCase{"4294967296", std::nullopt}, CountCase{"+", std::nullopt},
                    CountCase{"-2", std::nullopt}, CountCase{"++2", std::nullopt},
                    CountCase{" 2", std::nullopt}, CountCase{"2+", std::nullopt}));

TEST(EnvelopeCount, CountsBeyond32BitsAreClampedAndReported) {
  ErrorSink sink;
  constexpr std::uint32_t largest = std::numeric_limits<std::uint32_t>::max();
  EXPECT_EQ(sink.clamped_count(largest), largest);
  EXPECT_TRUE(sink.errors().empty());
  EXPECT_EQ(sink.clamped_count(std::uint64_t{largest} + 1), largest);
  ASSERT_EQ(sink.errors().size(), 1u);
  EXPECT_EQ(sink.errors().front().message(),
            "interchange too large: count 4294967296 exceeds u32::MAX");
}

TEST(EnvelopeMessages, EmptyRunYieldsNoMessagesAndReferencesAccumulate) {
  ErrorSink sink;
  edifact::envelope::ReferenceSet references{"1"};
  const auto none = edifact::envelope::extract_messages_flat({}, sink, references);
  ASSERT_TRUE(none.has_value());
  EXPECT_TRUE(none->empty());

  const std::vector<Segment> segments = owned_segments(message("1") + message("2"));
  const auto messages = edifact::envelope::extract_messages_flat(segments, sink, references);
  ASSERT_TRUE(messages.has_value());
  EXPECT_EQ(messages->size(), 2u);
  EXPECT_EQ(references, (edifact::envelope::ReferenceSet{"1", "2"}));
  ASSERT_EQ(sink.errors().size(), 1u);
  EXPECT_EQ(sink.errors().front().kind, EdifactError::Kind::DuplicateReference);
}

}  // namespace
