#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "edifact/model_builder.hpp"
#include "edifact/writer.hpp"

namespace {

using edifact::EdifactError;
using edifact::charset::Charset;
using edifact::model::Segment;
using edifact::model::SegmentBuilder;
using edifact::tokenizer::ServiceStringAdvice;
using edifact::writer::BorrowedSink;
using edifact::writer::Writer;
using Kind = EdifactError::Kind;

using BufferWriter = Writer<BorrowedSink>;

BufferWriter writer_over(std::string& buffer,
                         ServiceStringAdvice advice = ServiceStringAdvice::DEFAULT,
                         std::optional<Charset> charset = std::nullopt) {
  return BufferWriter(std::ref(buffer), advice, charset);
}

// An advice that shares no character with the defaults, so that a writer escaping the default
// characters instead of its own is caught.
constexpr ServiceStringAdvice custom_advice{.element_separator = '|',
                                            .component_separator = '^',
                                            .release_character = '\\',
                                            .decimal_mark = ',',
                                            .repetition_separator = '#',
                                            .segment_terminator = '~'};

// ---------------------------------------------------------------------------------------------
// Escaping

struct EscapeCase {
  std::string_view name;
  ServiceStringAdvice advice;
  std::string_view value;
  std::string_view written;
};

class Escaping : public testing::TestWithParam<EscapeCase> {};

TEST_P(Escaping, PutsTheReleaseCharacterBeforeServiceCharacters) {
  std::string buffer;
  auto writer = writer_over(buffer, GetParam().advice);
  ASSERT_TRUE(writer.write_escaped(GetParam().value).has_value());
  EXPECT_EQ(buffer, GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Writer, Escaping,
    testing::Values(
        EscapeCase{"element_separator", ServiceStringAdvice::DEFAULT, "a+b", "a?+b"},
        EscapeCase{"component_separator", ServiceStringAdvice::DEFAULT, "a:b", "a?:b"},
        EscapeCase{"release_character", ServiceStringAdvice::DEFAULT, "?", "??"},
        EscapeCase{"segment_terminator", ServiceStringAdvice::DEFAULT, "'a'", "?'a?'"},
        EscapeCase{"all_together", ServiceStringAdvice::DEFAULT, "a+b:c?d'e", "a?+b?:c??d?'e"},
        EscapeCase{"adjacent", ServiceStringAdvice::DEFAULT, "++''", "?+?+?'?'"},
        EscapeCase{"space_and_decimal_mark_stay", ServiceStringAdvice::DEFAULT, "1.5 kWh", "1.5 kWh"},
        EscapeCase{"no_repetition_separator_declared", ServiceStringAdvice::DEFAULT, "a*b", "a*b"},
        EscapeCase{"repetition_separator_declared", ServiceStringAdvice::SYNTAX_VERSION_4, "a*b ",
                   "a?*b "},
        EscapeCase{"non_ascii_untouched", ServiceStringAdvice::DEFAULT, "B\u00FCro+", "B\u00FCro?+"},
        EscapeCase{"empty", ServiceStringAdvice::DEFAULT, "", ""},
        EscapeCase{"custom_element", custom_advice, "a|b", "a\\|b"},
        EscapeCase{"custom_component", custom_advice, "a^b", "a\\^b"},
        EscapeCase{"custom_release", custom_advice, "a\\b", "a\\\\b"},
        EscapeCase{"custom_terminator", custom_advice, "a~b", "a\\~b"},
        EscapeCase{"custom_repetition", custom_advice, "a#b", "a\\#b"},
        EscapeCase{"custom_leaves_defaults_and_decimal_mark", custom_advice, "+:?'*,.",
                   "+:?'*,."}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Segments

TEST(Writer, SimpleElementsAreOneValueEachWhileCompositesJoinComponents) {
  std::string simple;
  ASSERT_TRUE(writer_over(simple).write_simple("UNH", {"1", "UTILMD:D:11A:UN:S2.1"}));
  EXPECT_EQ(simple, "UNH+1+UTILMD?:D?:11A?:UN?:S2.1'");

  std::string composite;
  ASSERT_TRUE(writer_over(composite).write_composites("UNH", {{"1"}, {"UTILMD", "D", "11A", "UN", "S2.1"}}));
  EXPECT_EQ(composite, "UNH+1+UTILMD:D:11A:UN:S2.1'");
}

TEST(Writer, EmptyValuesAndElementsKeepTheirSeparators) {
  std::string buffer;
  auto writer = writer_over(buffer);
  ASSERT_TRUE(writer.write_simple("DTM", {"137", ""}));
  ASSERT_TRUE(writer.write_composites("NAD", {{"MS"}, {}, {""}, {"", "", "293"}, {"x", ""}}));
  ASSERT_TRUE(writer.write_simple("UNS", {}));
  const std::vector<std::vector<std::string_view>> elements = {{"Z01"}, {"a+b", "c"}};
  ASSERT_TRUE(writer.write_composites("STS", elements));
  EXPECT_EQ(buffer, "DTM+137+'NAD+MS+++::293+x:'UNS'STS+Z01+a?+b:c'");
}

TEST(Writer, UsesTheServiceCharactersOfItsAdvice) {
  std::string buffer;
  auto writer = writer_over(buffer, custom_advice);
  ASSERT_TRUE(writer.write_composites("QTY", {{"220", "4,5|"}, {"x"}}));
  EXPECT_EQ(std::move(writer).finish_unt("7").value().get(), "QTY|220^4,5\\||x~UNT|2|7~");
}

class BadTags : public testing::TestWithParam<std::string_view> {};

TEST_P(BadTags, AreRefusedBeforeAnythingIsWritten) {
  const std::string_view tag = GetParam();
  std::string buffer = "UNB+X'";
  auto writer = writer_over(buffer);
  const auto check = [&](const edifact::Result<void>& result) {
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind, Kind::InvalidSegmentTag);
    EXPECT_EQ(result.error().tag, tag);
    EXPECT_EQ(buffer, "UNB+X'");
  };
  check(writer.write_simple(tag, {"1"}));
  check(writer.write_composites(tag, {{"1", "2"}}));
  // Refused segments do not count.
  EXPECT_EQ(std::move(writer).finish_unt("1").value().get(), "UNB+X'UNT+1+1'");
}

INSTANTIATE_TEST_SUITE_P(Writer, BadTags,
                         testing::Values("Unh", "UN1", "UN ", "AB", "ABCD", "", "\xC3\x9C" "NH"));

// ---------------------------------------------------------------------------------------------
// Message trailer

struct UntCase {
  std::string_view name;
  std::vector<std::string_view> tags;
  std::string_view reference;
  std::string_view unt;
};

class UntCount : public testing::TestWithParam<UntCase> {};

TEST_P(UntCount, CountsFromTheLatestUnhThroughTheUnt) {
  std::string buffer;
  std::string expected;
  auto writer = writer_over(buffer);
  for (std::string_view tag : GetParam().tags) {
    ASSERT_TRUE(writer.write_simple(tag, {"1"}));
    expected += std::string(tag) + "+1'";
  }
  std::string& sink = std::move(writer).finish_unt(GetParam().reference).value();
  EXPECT_EQ(&sink, &buffer);
  EXPECT_EQ(buffer, expected + std::string(GetParam().unt));
}

INSTANTIATE_TEST_SUITE_P(
    Writer, UntCount,
    testing::Values(
        UntCase{"message", {"UNH", "BGM", "DTM", "NAD"}, "1", "UNT+5+1'"},
        UntCase{"unb_before_unh", {"UNB", "UNH", "BGM"}, "1", "UNT+3+1'"},
        UntCase{"without_unh", {"BGM", "DTM"}, "1", "UNT+3+1'"},
        UntCase{"nothing_written", {}, "1", "UNT+1+1'"},
        UntCase{"unh_only", {"UNH"}, "ABC", "UNT+2+ABC'"},
        UntCase{"second_unh_restarts", {"UNB", "UNH", "BGM", "DTM", "UNH", "BGM"}, "2", "UNT+3+2'"},
        UntCase{"reference_is_escaped", {"UNH"}, "1+2", "UNT+2+1?+2'"},
        UntCase{"many_segments",
                std::vector<std::string_view>(12, "LIN"), "9", "UNT+13+9'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Writer, MessagesOfOneInterchangeEachCountTheirOwnSegments) {
  std::string interchange = "UNA:+.? 'UNB+UNOC:3+S+R+260101:1200+REF'";
  const std::vector<std::size_t> segments_per_message = {1, 4, 2};
  for (std::size_t message = 0; message < segments_per_message.size(); ++message) {
    auto writer = writer_over(interchange);
    const std::string reference = std::to_string(message + 1);
    ASSERT_TRUE(writer.write_composites("UNH", {{reference}, {"MSCONS", "D", "04B", "UN", "2.4c"}}));
    for (std::size_t i = 0; i < segments_per_message[message]; ++i) {
      ASSERT_TRUE(writer.write_simple("QTY", {"220"}));
    }
    ASSERT_TRUE(std::move(writer).finish_unt(reference));
  }
  EXPECT_TRUE(interchange.ends_with("UNT+3+1'UNH+2+MSCONS:D:04B:UN:2.4c'QTY+220'QTY+220'QTY+220'"
                                    "QTY+220'UNT+6+2'UNH+3+MSCONS:D:04B:UN:2.4c'QTY+220'QTY+220'"
                                    "UNT+4+3'"))
      << interchange;
}

TEST(Writer, OwnedSinkIsHandedBackByTheTrailer) {
  Writer<edifact::writer::OwnedSink> writer(std::string("UNB+X'"), ServiceStringAdvice::DEFAULT,
                                            Charset::Unoc);
  ASSERT_TRUE(writer.write_simple("UNH", {"1"}));
  ASSERT_TRUE(writer.write_simple("FTX", {"Gr\u00FC\u00DFe"}));
  EXPECT_EQ(std::move(writer).finish_unt("1").value(), "UNB+X'UNH+1'FTX+Gr\xFC\xDF" "e'UNT+3+1'");
}

// ---------------------------------------------------------------------------------------------
// Repertoire

TEST(Writer, EncodesIntoItsRepertoire) {
  std::string buffer;
  auto writer = writer_over(buffer, ServiceStringAdvice::DEFAULT, Charset::Unoc);
  ASSERT_TRUE(writer.write_simple("NAD", {"B\u00FCro"}));
  EXPECT_EQ(buffer, "NAD+B\xFCro'");

  std::string utf8;
  ASSERT_TRUE(writer_over(utf8).write_simple("NAD", {"B\u00FCro"}));
  EXPECT_EQ(utf8, "NAD+B\u00FCro'");
}

TEST(Writer, RefusedCharacterKeepsEarlierBytesAndIsNotCounted) {
  std::string buffer;
  auto writer = writer_over(buffer, ServiceStringAdvice::DEFAULT, Charset::Unoc);
  ASSERT_TRUE(writer.write_simple("UNH", {"1"}));
  const auto refused = writer.write_simple("FTX", {"x", "a\u20ACb"});
  ASSERT_FALSE(refused.has_value());
  EXPECT_EQ(refused.error().message(), "character '\u20AC' at offset 1 is not in the UNOC character repertoire");
  EXPECT_EQ(buffer, "UNH+1'FTX+x+");

  // The offset counts within the stretch between escaped characters.
  const auto after_escape = writer.write_escaped("ab+c\u20AC");
  ASSERT_FALSE(after_escape.has_value());
  EXPECT_EQ(after_escape.error().offset, 1U);
  EXPECT_EQ(buffer, "UNH+1'FTX+x+ab?+");

  EXPECT_TRUE(std::move(writer).finish_unt("1").value().get().ends_with("UNT+2+1'"));
}

// ---------------------------------------------------------------------------------------------
// Whole segments

// A segment of owned texts: for each element, the component texts of each of its repetitions.
Segment with_repetitions(std::string_view tag,
                         const std::vector<std::vector<std::vector<std::string_view>>>& elements) {
  SegmentBuilder builder(tag);
  for (const auto& repetitions : elements) {
    builder.element();
    for (std::size_t index = 0; index < repetitions.size(); ++index) {
      if (index > 0) builder.repetition();
      for (std::string_view text : repetitions[index]) builder.component(text);
    }
  }
  return builder.build_owned();
}

TEST(Writer, WritesParsedSegmentsWithRepetitions) {
  std::string buffer;
  auto writer = writer_over(buffer, ServiceStringAdvice::SYNTAX_VERSION_4);
  const Segment segment = with_repetitions("RFF", {{{"Z13", "a*b"}}, {{}}, {{"1"}, {"2", "3"}}});
  ASSERT_TRUE(writer.write_segment(segment));
  ASSERT_TRUE(writer.write_segment(Segment::from_texts("UNS", {})));
  EXPECT_EQ(buffer, "RFF+Z13:a?*b++1*2:3'UNS'");
}

TEST(SegmentsToBytes, WritesSegmentsBackToBackWithDefaultCharacters) {
  const std::vector<Segment> segments = {
      Segment::from_texts("UNH", {{"1"}, {"UTILMD", "D", "11A", "UN", "S2.1"}}),
      Segment::from_texts("FTX", {{"ACB"}, {}, {"a'b", "c?d", "e*f g.h"}}),
      Segment::from_texts("UNT", {{"3"}, {"1"}}),
  };
  EXPECT_EQ(edifact::segments_to_bytes(segments).value(),
            "UNH+1+UTILMD:D:11A:UN:S2.1'FTX+ACB++a?'b:c??d:e*f g.h'UNT+3+1'");
  EXPECT_EQ(edifact::segments_to_bytes({}).value(), "");
}

struct RefusedSegment {
  std::string_view name;
  Segment segment;
  Kind kind;
};

class RefusedSegments : public testing::TestWithParam<RefusedSegment> {};

TEST_P(RefusedSegments, FailWithoutWritingThem) {
  const std::vector<Segment> segments = {Segment::from_texts("BGM", {{"E01"}}), GetParam().segment};
  const auto bytes = edifact::segments_to_bytes(segments);
  ASSERT_FALSE(bytes.has_value());
  EXPECT_EQ(bytes.error().kind, GetParam().kind);

  std::string buffer;
  auto writer = writer_over(buffer);
  EXPECT_EQ(writer.write_segment(GetParam().segment).error().kind, GetParam().kind);
  EXPECT_EQ(buffer, "");
}

INSTANTIATE_TEST_SUITE_P(
    Writer, RefusedSegments,
    testing::Values(
        RefusedSegment{"repetition", with_repetitions("RFF", {{{"a"}, {"b"}}}), Kind::NoRepetitionSeparator},
        RefusedSegment{"repetition_before_tag", with_repetitions("rf1", {{{}}, {{}, {}}}),
                       Kind::NoRepetitionSeparator},
        RefusedSegment{"short_tag", Segment::from_texts("AB", {{"1"}}), Kind::InvalidSegmentTag},
        RefusedSegment{"lower_case_tag", Segment::from_texts("Bgm", {}), Kind::InvalidSegmentTag}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
