#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "edifact/parse/segment_stream.hpp"
#include "edifact/write/writer.hpp"
#include "parsed_segments.hpp"

namespace {

using edifact::EdifactError;
using edifact::charset::Charset;
using edifact::model::Segment;
using edifact::tokenizer::ServiceStringAdvice;
using edifact::writer::BorrowedSink;
using edifact::writer::Writer;
using Kind = EdifactError::Kind;

using BufferWriter = Writer<BorrowedSink>;

BufferWriter writer_over(std::string& buffer, ServiceStringAdvice advice = ServiceStringAdvice::DEFAULT,
                         std::optional<Charset> charset = std::nullopt) {
  return BufferWriter(std::ref(buffer), advice, charset);
}

// Shares no character with the defaults, so that escaping the default characters is caught.
constexpr ServiceStringAdvice custom_advice{.element_separator = '|',
                                            .component_separator = '^',
                                            .release_character = '\\',
                                            .decimal_mark = ',',
                                            .repetition_separator = '#',
                                            .segment_terminator = '~'};

struct EscapeCase {
  std::string_view name;
  ServiceStringAdvice advice;
  std::string_view value;
  std::string_view written;
};

class Escaping : public testing::TestWithParam<EscapeCase> {};

TEST_P(Escaping, PutsTheReleaseCharacterBeforeServiceCharacters) {
  std::string buffer;
  ASSERT_TRUE(writer_over(buffer, GetParam().advice).write_escaped(GetParam().value).has_value());
  EXPECT_EQ(buffer, GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Writer, Escaping,
    testing::Values(
        EscapeCase{"defaults", ServiceStringAdvice::DEFAULT, "a+b:c?d'e", "a?+b?:c??d?'e"},
        EscapeCase{"space_decimal_mark_and_undeclared_repetition_stay", ServiceStringAdvice::DEFAULT,
                   "1.5 kWh*2", "1.5 kWh*2"},
        EscapeCase{"declared_repetition_separator", ServiceStringAdvice::SYNTAX_VERSION_4, "a*b ", "a?*b "},
        EscapeCase{"non_ascii_untouched", ServiceStringAdvice::DEFAULT, "B\u00FCro+", "B\u00FCro?+"},
        EscapeCase{"custom", custom_advice, "a|b^c\\d~e#f", "a\\|b\\^c\\\\d\\~e\\#f"},
        EscapeCase{"custom_leaves_defaults_and_decimal_mark", custom_advice, "+:?'*,.", "+:?'*,."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Writer, SimpleElementsAreOneValueEachAndEmptyValuesKeepTheirSeparators) {
  std::string buffer;
  auto writer = writer_over(buffer);
  ASSERT_TRUE(writer.write_simple("UNH", {"1", "UTILMD:D:11A:UN:S2.1"}));
  ASSERT_TRUE(writer.write_composites("UNH", {{"1"}, {"UTILMD", "D", "11A", "UN", "S2.1"}}));
  ASSERT_TRUE(writer.write_simple("DTM", {"137", ""}));
  ASSERT_TRUE(writer.write_composites("NAD", {{"MS"}, {}, {""}, {"", "", "293"}, {"x", ""}}));
  ASSERT_TRUE(writer.write_simple("UNS", {}));
  const std::vector<std::vector<std::string_view>> elements = {{"Z01"}, {"a+b", "c"}};
  ASSERT_TRUE(writer.write_composites("STS", elements));
  EXPECT_EQ(buffer,
            "UNH+1+UTILMD?:D?:11A?:UN?:S2.1'UNH+1+UTILMD:D:11A:UN:S2.1'DTM+137+'NAD+MS+++::293+x:'UNS'"
            "STS+Z01+a?+b:c'");
}

TEST(Writer, UsesTheServiceCharactersOfItsAdvice) {
  std::string buffer;
  auto writer = writer_over(buffer, custom_advice);
  ASSERT_TRUE(writer.write_composites("QTY", {{"220", "4,5|"}, {"x"}}));
  EXPECT_EQ(std::move(writer).finish_unt("7").value().get(), "QTY|220^4,5\\||x~UNT|2|7~");
}

class BadTags : public testing::TestWithParam<std::string_view> {};

TEST_P(BadTags, AreRefusedBeforeAnythingIsWrittenAndNotCounted) {
  std::string buffer = "UNB+X'";
  auto writer = writer_over(buffer);
  for (const auto& result : {writer.write_simple(GetParam(), {"1"}), writer.write_composites(GetParam(), {{"1", "2"}})}) {
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind, Kind::InvalidSegmentTag);
    EXPECT_EQ(result.error().tag, GetParam());
  }
  // Bytes before the writer's first segment do not count either.
  EXPECT_EQ(std::move(writer).finish_unt("1").value().get(), "UNB+X'UNT+1+1'");
}

INSTANTIATE_TEST_SUITE_P(Writer, BadTags, testing::Values("Unh", "AB", "ABCD", "\xC3\x9C" "NH"));

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
    testing::Values(UntCase{"message", {"UNH", "BGM", "DTM", "NAD"}, "1", "UNT+5+1'"},
                    UntCase{"unb_before_unh", {"UNB", "UNH", "BGM"}, "1", "UNT+3+1'"},
                    UntCase{"without_unh", {"BGM", "DTM"}, "1", "UNT+3+1'"},
                    UntCase{"second_unh_restarts", {"UNB", "UNH", "BGM", "DTM", "UNH", "BGM"}, "2", "UNT+3+2'"},
                    UntCase{"reference_is_escaped", {"UNH"}, "1+2", "UNT+2+1?+2'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Writer, OwnedSinkIsHandedBackByTheTrailerInItsRepertoire) {
  Writer<edifact::writer::OwnedSink> writer(std::string("UNB+X'"), ServiceStringAdvice::DEFAULT, Charset::Unoc);
  ASSERT_TRUE(writer.write_simple("UNH", {"1"}));
  ASSERT_TRUE(writer.write_simple("FTX", {"Gr\u00FC\u00DFe"}));
  EXPECT_EQ(std::move(writer).finish_unt("1").value(), "UNB+X'UNH+1'FTX+Gr\xFC\xDF" "e'UNT+3+1'");
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

TEST(Writer, WritesSegmentsWithRepetitions) {
  std::string buffer;
  auto writer = writer_over(buffer, ServiceStringAdvice::SYNTAX_VERSION_4);
  ASSERT_TRUE(writer.write_segment(edifact_test::parsed("UNA:+.?*'RFF+Z13:a?*b++1*2:3'").at(0)));
  ASSERT_TRUE(writer.write_segment(Segment::from_texts("UNS", {})));
  EXPECT_EQ(buffer, "RFF+Z13:a?*b++1*2:3'UNS'");
}

TEST(SegmentsToBytes, WritesWithDefaultCharactersAndParsesBackToTheSameTexts) {
  const std::vector<Segment> segments = {
      Segment::from_texts("UNH", {{"1"}, {"UTILMD", "D", "11A", "UN", "S2.1"}}),
      Segment::from_texts("FTX", {{"ACB"}, {}, {"a'b", "c?d", "e*f g.h+"}}),
  };
  const std::string bytes = edifact::segments_to_bytes(segments).value();
  EXPECT_EQ(bytes, "UNH+1+UTILMD:D:11A:UN:S2.1'FTX+ACB++a?'b:c??d:e*f g.h?+'");
  const std::vector<Segment> back = edifact_test::parsed(bytes);
  ASSERT_EQ(back.size(), 2u);
  const auto& texts = back[1].elements()[2].components();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].text, "a'b");
  EXPECT_EQ(texts[1].text, "c?d");
  EXPECT_EQ(texts[2].text, "e*f g.h+");
  EXPECT_EQ(edifact::segments_to_bytes({}).value(), "");
}

// Parsed segments written back: bytes that already read as the writer would write them are
// copied, everything else (other delimiters, roles swapped, texts to escape or unescaped) must
// come out exactly as if each text were written.
struct RewriteCase {
  std::string_view name;
  std::string_view input;
  ServiceStringAdvice advice;
  std::string_view written;
};

class Rewrite : public testing::TestWithParam<RewriteCase> {};

TEST_P(Rewrite, WritesParsedSegmentsAsTheirTexts) {
  std::string buffer;
  auto writer = writer_over(buffer, GetParam().advice);
  for (const Segment& segment : edifact_test::parsed(GetParam().input)) ASSERT_TRUE(writer.write_segment(segment));
  EXPECT_EQ(buffer, GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Writer, Rewrite,
    testing::Values(
        RewriteCase{"unchanged", "UNH+1+UTILMD:D:11A'\nDTM+137:2024::102'BGM'", ServiceStringAdvice::DEFAULT,
                    "UNH+1+UTILMD:D:11A'DTM+137:2024::102'BGM'"},
        RewriteCase{"released", "FTX+a?+b:c??d+?A'", ServiceStringAdvice::DEFAULT, "FTX+a?+b:c??d+A'"},
        RewriteCase{"other_delimiters", "UNA^|,\\ ~BGM|a^b~FTX|a+b:c'd?~", ServiceStringAdvice::DEFAULT,
                    "BGM+a:b'FTX+a?+b?:c?'d?" "?'"},
        RewriteCase{"roles_swapped", "UNA+:.? 'BGM:a+b:c'", ServiceStringAdvice::DEFAULT, "BGM+a:b+c'"},
        RewriteCase{"other_terminator", "UNA:+.? !BGM+a!", ServiceStringAdvice::DEFAULT, "BGM+a'"},
        RewriteCase{"repetition_in_text", "FTX+a*b'", ServiceStringAdvice::SYNTAX_VERSION_4, "FTX+a?*b'"},
        RewriteCase{"repetitions", "UNA:+.?*'RFF+1*2:3+4'", ServiceStringAdvice::SYNTAX_VERSION_4, "RFF+1*2:3+4'"},
        RewriteCase{"repetitions_spelled_otherwise", "UNA:+.?#'RFF+1#2'", ServiceStringAdvice::SYNTAX_VERSION_4,
                    "RFF+1*2'"},
        RewriteCase{"custom_writer", "BGM+a|b:c'", custom_advice, "BGM|a\\|b^c~"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedSegment {
  std::string_view name;
  Segment segment;
  Kind kind;
};

class RefusedSegments : public testing::TestWithParam<RefusedSegment> {};

TEST_P(RefusedSegments, FailWithoutWritingThem) {
  const std::vector<Segment> segments = {Segment::from_texts("BGM", {{"E01"}}), GetParam().segment};
  EXPECT_EQ(edifact::segments_to_bytes(segments).error().kind, GetParam().kind);
  std::string buffer;
  EXPECT_EQ(writer_over(buffer).write_segment(GetParam().segment).error().kind, GetParam().kind);
  EXPECT_EQ(buffer, "");
}

INSTANTIATE_TEST_SUITE_P(
    Writer, RefusedSegments,
    testing::Values(
        RefusedSegment{"repetition", edifact_test::parsed("UNA:+.?*'RFF+a*b'").at(0), Kind::NoRepetitionSeparator},
        RefusedSegment{"short_tag", Segment::from_texts("AB", {{"1"}}), Kind::InvalidSegmentTag}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// A first UNB of syntax version 4 makes readers split at "*" (the segment stream after it, the
// byte-slice parse throughout when it leads the bytes): from that UNB on, "*" is released.
struct StarCase {
  std::string_view name;
  std::vector<Segment> segments;
  std::string_view written;
};

class ReleasedStar : public testing::TestWithParam<StarCase> {};

TEST_P(ReleasedStar, WhereAReaderWouldSplitAtIt) {
  EXPECT_EQ(edifact::segments_to_bytes(GetParam().segments).value(), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Writer, ReleasedStar,
    testing::Values(
        StarCase{"version_4", {Segment::from_texts("UNB", {{"UNOC", "4"}, {"a*"}}), Segment::from_texts("FTX", {{"a*b"}})},
                 "UNB+UNOC:4+a?*'FTX+a?*b'"},
        StarCase{"version_3", {Segment::from_texts("UNB", {{"UNOC", "3"}}), Segment::from_texts("FTX", {{"a*b"}})},
                 "UNB+UNOC:3'FTX+a*b'"},
        StarCase{"only_after_a_later_unb",
                 {Segment::from_texts("FTX", {{"a*b"}}), Segment::from_texts("UNB", {{"UNOC", "4"}}),
                  Segment::from_texts("FTX", {{"c*d"}})},
                 "FTX+a*b'UNB+UNOC:4'FTX+c?*d'"},
        StarCase{"second_unb_changes_nothing",
                 {Segment::from_texts("UNB", {{"UNOC", "3"}}), Segment::from_texts("UNB", {{"UNOC", "4"}}),
                  Segment::from_texts("FTX", {{"a*b"}})},
                 "UNB+UNOC:3'UNB+UNOC:4'FTX+a*b'"},
        // One component to the stream, version "4" to the raw bytes the byte-slice parse reads.
        StarCase{"version_in_released_colon", {Segment::from_texts("UNB", {{"UNOC:4"}, {"x*y"}})},
                 "UNB+UNOC?:4+x?*y'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Writer, ReceivedVersion4InterchangeWithReleasedStarIsWrittenBackUnchanged) {
  const std::string input =
      "UNB+UNOC:4+S:500+R:500+260101:1200+7'UNH+1+UTILMD:D:11A:UN:S2.1'FTX+ACB+++a?*b:c'UNT+3+1'UNZ+1+7'";
  edifact::parser::OwnedSegmentStream stream(std::make_unique<edifact::parser::MemoryByteSource>(input), {});
  std::vector<Segment> segments;
  while (auto item = stream.next()) segments.push_back(std::move(item->value()));
  ASSERT_EQ(segments.size(), 5u);
  EXPECT_EQ(segments[2].elements()[3].components()[0].text, "a*b");
  EXPECT_EQ(edifact::segments_to_bytes(segments).value(), input);
}

// Readers take a UNA at the start of the bytes for the service string advice, and the segment
// would be lost; anywhere else it is a segment like any other.
TEST(Writer, UnaSegmentIsRefusedOnlyWhereReadersTakeItForTheAdvice) {
  const Segment una = Segment::from_texts("UNA", {{"*.! ,"}});
  const std::vector<Segment> first = {una, Segment::from_texts("UNS", {})};
  const auto refused = edifact::segments_to_bytes(first);
  ASSERT_FALSE(refused.has_value());
  EXPECT_EQ(refused.error().kind, Kind::InvalidSegmentTag);
  EXPECT_EQ(refused.error().tag, "UNA");
  for (const std::string_view before : {"", "\r\n", "\xEF\xBB\xBF "}) {
    std::string buffer(before);
    auto writer = writer_over(buffer);
    for (const auto& result : {writer.write_simple("UNA", {"x"}), writer.write_composites("UNA", {{"x"}}),
                               writer.write_segment(una)}) {
      ASSERT_FALSE(result.has_value());
      EXPECT_EQ(result.error().kind, Kind::InvalidSegmentTag);
    }
    EXPECT_EQ(buffer, before);
  }
  const std::vector<Segment> later = {Segment::from_texts("UNS", {}), una};
  EXPECT_EQ(edifact::segments_to_bytes(later).value(), "UNS'UNA+*.! ,'");
}
