#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "edifact/model/compact_built.hpp"
#include "edifact/model/owned_element.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/model/segment_builder.hpp"
#include "edifact/parse/from_bytes.hpp"
#include "edifact/write/writer.hpp"

namespace {

using edifact::model::OwnedElement;
using edifact::model::Segment;
using edifact::model::SegmentBuilder;
using edifact::model::Span;

// The writer refuses tags that are not three capitals; the model keeps them.
std::string written(const std::vector<Segment>& segments) {
  std::string bytes;
  edifact::writer::Writer<edifact::writer::BorrowedSink> writer(
      std::ref(bytes), edifact::tokenizer::ServiceStringAdvice::SYNTAX_VERSION_4, std::nullopt);
  for (const Segment& segment : segments) {
    if (segment.tag().size() != 3) continue;
    EXPECT_TRUE(writer.write_segment(segment)) << segment.tag();
  }
  return bytes;
}

// Built segments of every shape, some with spans and one moved by `offset`, around a parsed one.
std::vector<Segment> mixed(const std::string& input) {
  std::vector<Segment> segments;
  segments.push_back(SegmentBuilder("UNS").build());
  segments.push_back(Segment::from_texts("FTX", {{"a'b+c", "d:e*f?g"}, {}, {""}}));
  segments.push_back(SegmentBuilder("RFF").element().component("a").repetition().component("b").component("c").build());
  auto parsed = edifact::from_bytes_with_config(input, {});
  segments.push_back(std::move(parsed.next()->value()));
  segments.push_back(SegmentBuilder("NAD", {4, 30}, {4, 7}).element({8, 10}).component("MS", {8, 10}).build());
  segments.push_back(SegmentBuilder("RFF").element(OwnedElement().repetition().component("b")).build());
  segments.push_back(Segment::from_texts("DTM", {{"137", "202601010000?+00", "303"}}).offset(500));
  segments.push_back(SegmentBuilder("LONGTAG").element().component("x").build());
  segments.push_back(SegmentBuilder("QTY", {1, 2}).element().component("1", {3, 4}).build());
  return segments;
}

// Compacted segments read as they did: tag, texts, structure, spans, written bytes, and what
// offset, into_owned and with_element make of them.
TEST(CompactBuilt, SegmentsReadExactlyAsBefore) {
  const std::string input = "LOC+172+DE1:Z?''";
  const std::vector<Segment> before = mixed(input);
  std::vector<Segment> after = mixed(input);
  edifact::model::compact_built(after);
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t index = 0; index < before.size(); ++index) {
    EXPECT_EQ(after[index], before[index]) << index;
    EXPECT_EQ(after[index].tag(), before[index].tag()) << index;
    EXPECT_EQ(after[index].may_repeat(), before[index].may_repeat()) << index;
    EXPECT_EQ(Segment(after[index]).offset(7), Segment(before[index]).offset(7)) << index;
    EXPECT_EQ(Segment(after[index]).into_owned(), before[index]) << index;
    const OwnedElement replaced{"z"};
    EXPECT_EQ(after[index].with_element(1, replaced), before[index].with_element(1, replaced)) << index;
    EXPECT_EQ(after[index].size_bound(), before[index].size_bound()) << index;
  }
  EXPECT_EQ(written(after), written(before));
  // A second compaction leaves them where they are.
  const std::string_view text = after[1].elements()[0].components()[0].text;
  edifact::model::compact_built(after);
  EXPECT_EQ(after[1].elements()[0].components()[0].text.data(), text.data());
}

TEST(CompactBuilt, BuiltSegmentsShareOneBufferAndOutliveTheirOriginals) {
  std::vector<Segment> segments;
  for (int n = 0; n < 3; ++n) segments.push_back(Segment::from_texts("IDE", {{"24"}, {"V" + std::to_string(n)}}));
  edifact::model::compact_built(segments);
  const std::string_view first = segments[0].tag();
  const std::string_view last = segments[2].elements()[1].components()[0].text;
  EXPECT_EQ(first.data() + std::string("IDE+24+V0'IDE+24+V1'IDE+24+").size(), last.data());
  const Segment kept = segments[1];
  segments.clear();
  EXPECT_EQ(kept, Segment::from_texts("IDE", {{"24"}, {"V1"}}));
}

}  // namespace
