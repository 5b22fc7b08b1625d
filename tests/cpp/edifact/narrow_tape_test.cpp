// Documents dense in delimiters keep their cuts and element openings in a narrow form: it must
// read exactly as the arrays do, and the parses must choose it exactly for dense documents.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "edifact/model/narrow_tape.hpp"
#include "edifact/parse/tape_parse.hpp"
#include "parse_oracle.hpp"

namespace {

using edifact::ParserConfig;
using edifact::model::NarrowTape;
using edifact::model::NarrowTapeBuilder;
using edifact::tokenizer::ServiceStringAdvice;

std::string repeated(std::string_view piece, std::size_t count) {
  std::string text;
  for (std::size_t k = 0; k < count; ++k) text += piece;
  return text;
}

struct OffsetCase {
  const char* name;
  std::vector<std::uint32_t> offsets;
  std::vector<bool> opens;
};

void PrintTo(const OffsetCase& row, std::ostream* out) { *out << row.name; }

// Offsets in steps of `step` from `first`, every `every`-th opening an element.
OffsetCase stepping(const char* name, std::uint32_t first, std::uint32_t step, std::size_t count, std::size_t every) {
  OffsetCase row{name, {}, {}};
  for (std::size_t k = 0; k < count; ++k) {
    row.offsets.push_back(first + static_cast<std::uint32_t>(k) * step);
    row.opens.push_back(every != 0 && k % every == 0);
  }
  return row;
}

class NarrowOffsets : public testing::TestWithParam<OffsetCase> {};

// Every offset and every element opening comes back, whether its group is narrow, spans more
// than 16 bits, or lies beyond the base's flag bit.
TEST_P(NarrowOffsets, GiveBackEveryCutAndOpening) {
  const OffsetCase& row = GetParam();
  NarrowTapeBuilder builder(row.offsets.size(), row.offsets.size());
  std::vector<std::uint32_t> openings;
  for (std::size_t k = 0; k < row.offsets.size(); ++k) {
    builder.add(row.offsets[k], row.opens[k]);
    if (row.opens[k]) openings.push_back(static_cast<std::uint32_t>(k));
  }
  const NarrowTape tape = std::move(builder).finish();
  ASSERT_EQ(tape.cut_count(), row.offsets.size());
  ASSERT_EQ(tape.element_count(), openings.size());
  for (std::size_t k = 0; k < row.offsets.size(); ++k) ASSERT_EQ(tape.cut(k), row.offsets[k]) << k;
  for (std::size_t k = 0; k < openings.size(); ++k) ASSERT_EQ(tape.element_opening(k), openings[k]) << k;
  std::vector<std::uint32_t> all(openings.size());
  tape.openings(all.data());
  EXPECT_EQ(all, openings);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, NarrowOffsets,
    testing::Values(stepping("every_cut_opens", 0, 1, 1000, 1), stepping("no_element", 3, 2, 200, 0),
                    stepping("sparse_openings", 0, 1, 5000, 997),
                    stepping("groups_wider_than_16_bits", 0, 2000, 300, 3),
                    stepping("last_group_partly_wide", 10, 1100, 130, 2),
                    stepping("beyond_the_flag_bit", 0x7FFF'FF00U, 3, 200, 5),
                    stepping("near_the_largest_offset", 0xFFFF'0000U, 300, 200, 1),
                    OffsetCase{"one_group_wide_among_narrow",
                               {0, 1, 2, 70'000, 70'001, 70'002, 70'003},
                               {true, false, true, true, false, false, true}}),
    [](const auto& info) { return std::string(info.param.name); });

struct DenseCase {
  const char* name;
  std::string input;
  bool narrow;  // whether the parse keeps its document narrow
  ParserConfig config = {};
};

void PrintTo(const DenseCase& row, std::ostream* out) { *out << row.name; }

ParserConfig long_segments() {
  ParserConfig config;
  config.max_segment_length = 1 << 20;
  return config;
}

ParserConfig version_4() {
  ParserConfig config;
  config.service_string_advice = ServiceStringAdvice::SYNTAX_VERSION_4;
  return config;
}

class DenseInput : public testing::TestWithParam<DenseCase> {};

// The fast parse, the exact parser (which moves a long dense segment to the narrow form as it
// goes) and both forms of the fast parse's document read the same, copies included.
TEST_P(DenseInput, ReadsAsTheArraysDo) {
  const DenseCase& row = GetParam();
  ASSERT_EQ(edifact_oracle::first_disagreement(row.input, row.config), "");
  const auto start = edifact_oracle::slice_start(row.input, row.config);
  ASSERT_TRUE(start);
  const auto parsed = edifact::parser::parse_tape(row.input, start->first, start->second,
                                                  row.config.max_segment_length);
  EXPECT_GT(parsed.document->segment_count(), 0U);
  EXPECT_EQ(parsed.document->narrow != nullptr, row.narrow);
  parsed.document->release();
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, DenseInput,
    testing::Values(
        DenseCase{"elements", "UNH+1'FTX" + std::string(3000, '+') + "'UNT+2+1'", true},
        DenseCase{"components", "FTX+" + std::string(3000, ':') + "'", true},
        DenseCase{"elements_of_components", "FTX" + repeated("+a:b", 900) + "'", true},
        DenseCase{"many_components_per_element", "FTX" + repeated("+" + std::string(100, ':'), 200) + "'", true},
        DenseCase{"short_dense_segments", repeated("FTX++++:::'", 500), true},
        DenseCase{"repetitions", "UNA:+.?*'RFF" + repeated("+a*b*:c", 500) + "'", true},
        DenseCase{"repetitions_of_syntax_version_4", "RFF" + repeated("+*:*x", 600) + "'", true, version_4()},
        DenseCase{"released_delimiters", "FTX" + repeated("+?+", 900) + repeated(":??:?:", 300) + "'", true},
        DenseCase{"sparse_then_dense", "FTX+" + std::string(5000, 'x') + std::string(5000, '+') + "'", true},
        DenseCase{"dense_then_sparse", "FTX" + std::string(2048, '+') + std::string(30'000, 'x') + "'", false},
        DenseCase{"value_wider_than_16_bits",
                  "FTX" + std::string(200, '+') + ":" + std::string(70'000, 'x') + std::string(40'000, '+') + "'",
                  true, long_segments()},
        DenseCase{"letters", "FTX+" + std::string(3000, 'x') + "'", false}),
    [](const auto& info) { return std::string(info.param.name); });

// Random inputs rich in delimiters, release characters and repetitions; the seed is fixed, so
// every run checks the same inputs.
TEST(DenseInput, ReadsAsTheArraysDoOnRandomInputs) {
  const std::vector<std::string> pieces = {"+", "+", "+", ":", ":", "*", "?+", "??", "?:", "a", "\xC3\xA4", "'FTX",
                                           "'UNH", "+" + std::string(40, ':'), std::string(300, '+')};
  std::mt19937 random(20261207);
  for (int round = 0; round < 300; ++round) {
    std::string input = round % 3 == 0 ? "UNA:+.?*'FTX" : "FTX";
    const int length = static_cast<int>(random() % 400);
    for (int piece = 0; piece < length; ++piece) input += pieces[random() % pieces.size()];
    input += "'";
    ParserConfig config;
    if (round % 4 == 1) config.service_string_advice = ServiceStringAdvice::SYNTAX_VERSION_4;
    ASSERT_EQ(edifact_oracle::first_disagreement(input, config), "") << "round " << round;
  }
}

}  // namespace
