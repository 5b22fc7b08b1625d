#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "edifact/model/block_arena.hpp"
#include "edifact/parse/from_bytes.hpp"
#include "edifact/parse/segment_stream.hpp"

namespace {

using edifact::ParserConfig;
using edifact::model::BlockArena;
using edifact::model::BlockUnit;
using edifact::model::ComponentList;
using edifact::model::Element;
using edifact::model::Segment;
using edifact::model::Span;
using edifact::parser::MemoryByteSource;
using edifact::parser::OwnedSegmentStream;
using edifact::tokenizer::ServiceStringAdvice;

constexpr std::size_t CHUNK = BlockArena::CHUNK_UNITS;
constexpr std::size_t LARGEST = BlockArena::LARGEST_SHARED_UNITS;

bool same_owner(const std::shared_ptr<BlockUnit[]>& a, const std::shared_ptr<BlockUnit[]>& b) {
  return !a.owner_before(b) && !b.owner_before(a);
}

struct LayoutCase {
  std::string name;
  std::vector<std::size_t> units;
  std::string owners;  // one letter per block: equal letters share an allocation
};

class ArenaLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(ArenaLayout, PacksBlocksIntoChunksWithoutOverlap) {
  BlockArena arena;
  std::vector<std::shared_ptr<BlockUnit[]>> blocks;
  for (std::size_t units : GetParam().units) {
    blocks.push_back(arena.allocate(units));
    // Writing every unit lets the sanitizer catch a block larger than its allocation.
    std::memset(blocks.back().get(), 0x5a, units * sizeof(BlockUnit));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(blocks.back().get()) % alignof(BlockUnit), 0u);
  }
  const std::string& owners = GetParam().owners;
  for (std::size_t a = 0; a < blocks.size(); ++a) {
    for (std::size_t b = a + 1; b < blocks.size(); ++b) {
      EXPECT_EQ(same_owner(blocks[a], blocks[b]), owners[a] == owners[b]) << a << " and " << b;
    }
  }
  // Blocks of one chunk follow one another, so none overlaps the next.
  for (std::size_t a = 0; a < blocks.size(); ++a) {
    const std::size_t next = owners.find(owners[a], a + 1);
    if (next != std::string::npos) {
      EXPECT_EQ(blocks[next].get(), blocks[a].get() + GetParam().units[a]) << a;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, ArenaLayout,
    testing::Values(LayoutCase{"SmallOnesShareAChunk", {1, 3, 30}, "aaa"},
                    LayoutCase{"FillsAChunkExactly", {LARGEST, LARGEST, LARGEST, LARGEST, 1}, "aaaab"},
                    LayoutCase{"NewChunkWhenTheRestIsTooSmall", {LARGEST, LARGEST, LARGEST, 2, LARGEST - 1, 1},
                               "aaaabb"},
                    LayoutCase{"LargeBlockGetsItsOwn", {1, LARGEST + 1, 1}, "aba"},
                    LayoutCase{"BlockLargerThanAChunk", {1, CHUNK + 1, 1}, "aba"}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

TEST(BlockArena, AChunkLivesAsLongAsItsLastBlock) {
  auto arena = std::make_unique<BlockArena>();
  auto kept = arena->allocate(1);
  auto dropped = arena->allocate(1);
  const std::weak_ptr<BlockUnit[]> first_chunk = kept;
  std::shared_ptr<BlockUnit[]> later = arena->allocate(LARGEST);
  while (same_owner(later, kept)) later = arena->allocate(LARGEST);
  const std::weak_ptr<BlockUnit[]> second_chunk = later;

  arena.reset();
  dropped.reset();
  later.reset();
  EXPECT_TRUE(second_chunk.expired());
  EXPECT_FALSE(first_chunk.expired());
  kept.reset();
  EXPECT_TRUE(first_chunk.expired());
}

// Segment `index` of a generated interchange: a few elements, a repetition now and then, a
// value with a release character now and then, and one segment whose block outgrows a chunk.
std::vector<std::vector<std::vector<std::string>>> content_of(std::size_t index, std::size_t huge_at) {
  const std::string number = std::to_string(index);
  if (index == huge_at) {
    return {{std::vector<std::string>(CHUNK * sizeof(BlockUnit) / sizeof(edifact::model::Component) + 7, "h")}};
  }
  std::vector<std::vector<std::vector<std::string>>> elements{{{"Z" + number}}};
  for (std::size_t extra = 0; extra < index % 4; ++extra) {
    elements.push_back({{std::string(extra + 1, 'x'), number}});
  }
  if (index % 5 == 0) elements.back().push_back({"rep", number});
  if (index % 3 == 0) elements.back().back().push_back("odd+" + std::string(index % 7, 'y'));
  return elements;
}

std::string encode(std::size_t segment_count, std::size_t huge_at) {
  std::string text;
  for (std::size_t index = 0; index < segment_count; ++index) {
    text += "RFF";
    for (const auto& element : content_of(index, huge_at)) {
      text += '+';
      for (std::size_t r = 0; r < element.size(); ++r) {
        if (r > 0) text += '*';
        for (std::size_t c = 0; c < element[r].size(); ++c) {
          if (c > 0) text += ':';
          for (char byte : element[r][c]) {
            if (byte == '+') text += '?';
            text += byte;
          }
        }
      }
    }
    text += '\'';
  }
  return text;
}

bool aligned(const void* records, std::size_t alignment) {
  return reinterpret_cast<std::uintptr_t>(records) % alignment == 0;
}

std::vector<std::vector<std::vector<std::string>>> content(const Segment& segment) {
  std::vector<std::vector<std::vector<std::string>>> elements;
  const auto texts = [](ComponentList list) {
    EXPECT_TRUE(aligned(list.data(), alignof(edifact::model::Component)));
    std::vector<std::string> result;
    for (const auto& component : list) result.emplace_back(component.text);
    return result;
  };
  EXPECT_TRUE(aligned(segment.elements.data(), alignof(Element)));
  for (const Element& element : segment.elements) {
    EXPECT_TRUE(aligned(element.repetitions.data(), alignof(ComponentList)));
    elements.push_back({texts(element.components)});
    for (ComponentList repetition : element.repetitions) elements.back().push_back(texts(repetition));
  }
  return elements;
}

ParserConfig syntax_version_4() {
  ParserConfig config;
  config.service_string_advice = ServiceStringAdvice::SYNTAX_VERSION_4;
  return config;
}

struct SourceCase {
  std::string name;
  bool stream;
  std::size_t segment_count;
  std::size_t huge_at;  // beyond the count for none
};

class ArenaSegments : public testing::TestWithParam<SourceCase> {};

// Segments outlive the parser, the iterator or stream, and (once owned) the input; copies keep
// their chunk alive after every other segment of it is gone.
TEST_P(ArenaSegments, OutliveTheParseWithTheirContent) {
  const SourceCase& param = GetParam();
  auto input = std::make_unique<std::string>(encode(param.segment_count, param.huge_at));
  auto segments = std::make_unique<std::vector<Segment>>();
  if (param.stream) {
    OwnedSegmentStream stream(std::make_unique<MemoryByteSource>(*input), syntax_version_4());
    while (auto item = stream.next()) segments->push_back(std::move(item->value()));
    input.reset();
  } else {
    auto iter = edifact::from_bytes_with_config(*input, syntax_version_4());
    while (auto item = iter.next()) segments->push_back(std::move(item->value()));
  }
  ASSERT_EQ(segments->size(), param.segment_count);
  for (std::size_t index = 0; index < segments->size(); ++index) {
    ASSERT_EQ(content((*segments)[index]), content_of(index, param.huge_at)) << index;
  }
  const std::vector<std::size_t> picked{0, param.segment_count / 2, param.segment_count - 1};
  std::vector<Segment> copies;
  std::vector<Span> spans;
  for (std::size_t index : picked) {
    copies.push_back((*segments)[index]);
    spans.push_back((*segments)[index].span);
  }
  segments.reset();
  for (std::size_t i = 0; i < picked.size(); ++i) {
    EXPECT_EQ(content(copies[i]), content_of(picked[i], param.huge_at));
    EXPECT_EQ(copies[i].span, spans[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, ArenaSegments,
                         testing::Values(SourceCase{"Slice", false, 3000, 1234},
                                         SourceCase{"Stream", true, 3000, 1234},
                                         SourceCase{"SliceOfSmallSegments", false, 5, 99}),
                         [](const testing::TestParamInfo<SourceCase>& info) { return info.param.name; });

struct ChangeCase {
  std::string name;
  Segment (*change)(Segment);
  std::size_t shift;
};

class ArenaSegmentChanges : public testing::TestWithParam<ChangeCase> {};

// The segments around the changed one share its chunk, and so does a copy of it.
TEST_P(ArenaSegmentChanges, LeaveNeighboursAndCopiesAlone) {
  auto input = std::make_unique<std::string>(encode(3, 3));
  auto iter = edifact::from_bytes_with_config(*input, syntax_version_4());
  std::vector<Segment> segments;
  while (auto item = iter.next()) segments.push_back(std::move(item->value()));
  ASSERT_EQ(segments.size(), 3u);
  const std::vector<Segment> before = segments;
  const Segment copy = segments[1];

  const Segment changed = GetParam().change(std::move(segments[1]));
  input.reset();  // only the owned result may still read texts
  if (GetParam().shift == 0) {
    EXPECT_EQ(content(changed), content_of(1, 3));
  }
  EXPECT_EQ(changed.span, (Span{before[1].span.start + GetParam().shift, before[1].span.end + GetParam().shift}));
  EXPECT_EQ(changed.elements[1].components[0].span.start,
            before[1].elements[1].components[0].span.start + GetParam().shift);
  EXPECT_EQ(copy.elements[1].components[0].span, before[1].elements[1].components[0].span);
  EXPECT_EQ(segments[0].elements[0].components[0].span, before[0].elements[0].components[0].span);
  EXPECT_EQ(segments[2].elements[1].components[0].span, before[2].elements[1].components[0].span);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ArenaSegmentChanges,
    testing::Values(ChangeCase{"Offset", [](Segment segment) { return std::move(segment).offset(100); }, 100},
                    ChangeCase{"IntoOwned", [](Segment segment) { return std::move(segment).into_owned(); }, 0}),
    [](const testing::TestParamInfo<ChangeCase>& info) { return info.param.name; });

}  // namespace
