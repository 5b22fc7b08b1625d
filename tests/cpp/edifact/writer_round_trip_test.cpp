// Whatever segment list the writer accepts reads back, through both readers, as the same list.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "edifact/model/segment_builder.hpp"
#include "edifact/parse/from_bytes.hpp"
#include "edifact/parse/segment_stream.hpp"
#include "edifact/write/writer.hpp"

namespace {

using edifact::ParserConfig;
using edifact::model::Segment;
using edifact::model::SegmentBuilder;
using edifact::tokenizer::ServiceStringAdvice;
using Kind = edifact::EdifactError::Kind;

// What a reader sees of a segment: its tag and, per element, the repetitions of component
// texts, each text behind its length. An element written without components reads back as one
// empty component.
std::string content(const Segment& segment) {
  std::string out(segment.tag());
  const auto add = [&](const edifact::model::ComponentList& list) {
    out += list.empty() ? "(0:" : "(";
    for (const auto component : list) out += std::to_string(component.text.size()) + ":" + std::string(component.text);
    out += ")";
  };
  for (const auto element : segment.elements()) {
    out += " ";
    add(element.components());
    for (const auto repetition : element.repetitions()) add(repetition);
  }
  return out;
}

// Room for the longest generated segment with every byte released.
ParserConfig unlimited() {
  ParserConfig config;
  config.max_segment_length = 1 << 20;
  return config;
}

template <class Next>
std::vector<std::string> read_all(Next next, std::string& error) {
  std::vector<std::string> read;
  while (auto item = next()) {
    if (!*item) {
      error = item->error().message();
      break;
    }
    read.push_back(content(**item));
  }
  return read;
}

std::vector<std::string> read_slice(std::string_view bytes, std::string& error) {
  auto reader = edifact::from_bytes_with_config(bytes, unlimited());
  return read_all([&] { return reader.next(); }, error);
}

std::vector<std::string> read_stream(std::string_view bytes, std::string& error) {
  edifact::parser::OwnedSegmentStream stream(std::make_unique<edifact::parser::MemoryByteSource>(bytes), unlimited());
  return read_all([&] { return stream.next(); }, error);
}

// Texts made of the bytes that matter to readers: every default and version-4 service
// character, whitespace, the letters of service tags, the digit of syntax version 4, and a
// two-byte character.
class Generator {
 public:
  explicit Generator(std::uint64_t seed) : random_(seed) {}

  std::string text() {
    // Now and then one long enough to cross the stream's buffer.
    if (below(300) == 0) {
      std::string text;
      while (text.size() < edifact::parser::OwnedSegmentStream::BUFFER_SIZE) text += short_text();
      return text;
    }
    return short_text();
  }

  std::string short_text() {
    static constexpr std::array<std::string_view, 14> pieces = {
        "a", "4", "*", "+", ":", "?", "'", " ", "\n", ".", "U", "N", "\xC3\xBC", "UNOC"};
    std::string text;
    for (std::size_t count = below(5); count > 0; --count) text += pieces[below(pieces.size())];
    return text;
  }

  Segment segment() {
    static constexpr std::array<std::string_view, 7> tags = {"UNA", "UNB", "UNH", "FTX", "RFF", "UNS", "BGM"};
    const std::string_view tag = below(40) == 0 ? "Un1" : tags[below(tags.size())];
    SegmentBuilder builder(tag);
    std::size_t elements = below(5);
    if (tag == "UNB" && below(3) > 0) {
      // Version "4" in every shape the two readers could take for it, and near misses.
      static constexpr std::array<std::array<std::string_view, 3>, 7> identifiers = {{{"UNOC", "4", {}},
                                                                                    {"UNOC:4", {}, {}},
                                                                                    {"UNOC", "4", ""},
                                                                                    {"UNOC", "4:", {}},
                                                                                    {"UNOC", "3", {}},
                                                                                    {"", "4", "*"},
                                                                                    {"UNOC+4", {}, {}}}};
      const auto& identifier = identifiers[below(identifiers.size())];
      builder.element();
      for (const std::string_view component : identifier) {
        if (component.data() != nullptr) builder.component(component);
      }
      elements = below(3);
    }
    for (; elements > 0; --elements) {
      builder.element();
      for (std::size_t repetition = below(8) == 0 ? 2 : 1; repetition > 0; --repetition) {
        if (repetition == 1 && below(8) == 0) builder.repetition();
        for (std::size_t components = below(4); components > 0; --components) builder.component(text());
      }
    }
    return builder.build();
  }

  std::vector<Segment> segments() {
    std::vector<Segment> list;
    for (std::size_t count = below(6); count > 0; --count) list.push_back(segment());
    return list;
  }

  std::size_t below(std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random_); }

 private:
  std::mt19937_64 random_;
};

struct Parsed {
  std::unique_ptr<std::string> bytes;  // what borrowed segments point into
  std::vector<Segment> segments;
};

// The same list as parsed segments, read from bytes written under another advice, so that the
// writer's copy of parsed bytes is exercised as well as its escaping.
Parsed reparsed(const std::vector<Segment>& built, std::size_t variant) {
  static const std::array<ServiceStringAdvice, 3> advices = {
      ServiceStringAdvice::DEFAULT, ServiceStringAdvice::SYNTAX_VERSION_4,
      ServiceStringAdvice{'|', '^', '\\', ',', '#', '~'}};
  const ServiceStringAdvice& advice = advices[variant % advices.size()];
  Parsed parsed{std::make_unique<std::string>("UNA"), {}};
  std::string& bytes = *parsed.bytes;
  for (const char c : {advice.component_separator, advice.element_separator, advice.decimal_mark,
                       advice.release_character, advice.repetition_separator, advice.segment_terminator}) {
    bytes += c;
  }
  edifact::writer::Writer<edifact::writer::BorrowedSink> writer(std::ref(bytes), advice, std::nullopt);
  for (const Segment& segment : built) {
    if (!writer.write_segment(segment)) return {};
  }
  auto reader = edifact::from_bytes_with_config(bytes, unlimited());
  while (auto item = reader.next()) {
    if (!*item) return {};
    parsed.segments.push_back(variant % 2 == 0 ? std::move(**item).into_owned() : **item);
  }
  return parsed;
}

constexpr std::size_t CASES = 30000;

TEST(WriterRoundTrip, EveryAcceptedListReadsBackUnchangedThroughBothReaders) {
  std::size_t accepted = 0;
  std::size_t starred = 0;
  for (std::uint64_t seed = 0; seed < CASES; ++seed) {
    Generator generate(seed);
    const std::vector<Segment> built = generate.segments();
    const Parsed parsed = reparsed(built, seed);
    for (const std::vector<Segment>* list_of : {&built, &parsed.segments}) {
      const std::vector<Segment>& list = *list_of;
      auto bytes = edifact::segments_to_bytes(list);
      if (!bytes) {
        const Kind kind = bytes.error().kind;
        ASSERT_TRUE(kind == Kind::NoRepetitionSeparator || kind == Kind::InvalidSegmentTag) << "seed " << seed;
        continue;
      }
      ++accepted;
      starred += bytes->find("?*") != std::string::npos ? 1 : 0;
      std::vector<std::string> expected;
      for (const Segment& segment : list) expected.push_back(content(segment));
      std::string slice_error;
      std::string stream_error;
      ASSERT_EQ(read_slice(*bytes, slice_error), expected) << "seed " << seed << ": " << *bytes << " " << slice_error;
      ASSERT_EQ(read_stream(*bytes, stream_error), expected) << "seed " << seed << ": " << *bytes << " " << stream_error;
    }
  }
  // The generator must reach the cases that matter, not only refusals.
  EXPECT_GT(accepted, CASES / 2);
  EXPECT_GT(starred, CASES / 50);
}

// Writing texts element by element gives the bytes that writing the segment gives.
TEST(WriterRoundTrip, CompositesAndSimpleValuesWriteAsSegmentsDo) {
  for (std::uint64_t seed = 0; seed < CASES / 3; ++seed) {
    Generator generate(seed);
    const std::vector<Segment> list = generate.segments();
    std::string by_segment;
    std::string by_texts;
    edifact::writer::Writer<edifact::writer::BorrowedSink> segments(std::ref(by_segment), ServiceStringAdvice::DEFAULT,
                                                                     std::nullopt);
    edifact::writer::Writer<edifact::writer::BorrowedSink> texts(std::ref(by_texts), ServiceStringAdvice::DEFAULT,
                                                                  std::nullopt);
    for (const Segment& segment : list) {
      const auto written = segments.write_segment(segment);
      if (!written && written.error().kind == Kind::NoRepetitionSeparator) break;
      std::vector<std::vector<std::string_view>> elements;
      bool simple = true;
      for (const auto element : segment.elements()) {
        auto& components = elements.emplace_back();
        for (const auto component : element.components()) components.push_back(component.text);
        simple &= components.size() == 1;
      }
      std::vector<std::string_view> values;
      for (const auto& components : elements) values.push_back(components.empty() ? "" : components.front());
      const auto again = simple && generate.below(2) == 0 ? texts.write_simple(segment.tag(), values)
                                                          : texts.write_composites(segment.tag(), elements);
      ASSERT_EQ(written.has_value(), again.has_value()) << "seed " << seed;
      if (!written) {
        ASSERT_EQ(written.error().kind, again.error().kind) << "seed " << seed;
        break;
      }
      ASSERT_EQ(by_segment, by_texts) << "seed " << seed;
    }
  }
}

}  // namespace
