// The fast parse against the exact parser: on every input, with every scan kernel the CPU has,
// the same segments (texts, spans, structure) and the same first error.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "edifact/parse/tape_parse.hpp"
#include "edifact/parse/tape_scan.hpp"
#include "parse_oracle.hpp"

namespace {

using edifact::ParserConfig;
using edifact::tokenizer::ServiceStringAdvice;
using edifact::tokenizer::scan::Kernel;
using edifact_oracle::fast;
using edifact_oracle::kernels;
using edifact_oracle::render;

void expect_agreement(std::string_view input, const ParserConfig& config = {}) {
  ASSERT_EQ(edifact_oracle::first_disagreement(input, config), "") << "on \"" << input << "\"";
}

// Inputs where the two could part: release characters at block edges and in runs, anything the
// fast parse must hand over, and the hand-over itself in the middle of an input.
class TapeAgainstExact : public testing::TestWithParam<std::string> {};

TEST_P(TapeAgainstExact, AgreesOnSegmentsAndErrors) { expect_agreement(GetParam()); }

std::string padded(std::size_t width, std::string_view tail) {
  std::string value(width, 'x');
  return "FTX+" + value + std::string(tail);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, TapeAgainstExact,
    testing::Values("", "  \r\n", "UNS'", "UNH+1+A:B'UNT+2+1'\r\n", "UNA:+.?*'RFF+a*b:c*d'", "UNA|^.!~#RFF|a~^b!#'",
                    "FTX+a?'b?+c?:d??e'", "FTX+a?" "?'", "FTX+a??" "?''", "FTX+????+x'", "FTX+a?", "FTX+a?'",
                    padded(58, "?'b'"), padded(59, "?'b'"), padded(60, "?" "?'"), padded(123, "?'?''"),
                    padded(59, "?"), "UNH+1'FTX+a'bad'", "UNH+1'ftx+a'", "UNH+1'FTXX+a'", "UNH+1''", "UNH+1'  '",
                    "UNH+1'\fFTX'", "UNH+1'FTX:a'", "UNH+1'FTX", "UNH+1'FTX+a", "UNH+1'FT", "'UNH'",
                    "UNH+\xC3\xA4'", "UNH+\xC3'UNT'", "UNH+1'FTX+\xFF'", "\xFF\xFE'", "UNH+1'?UNT'", "UNH+1' ?'",
                    "UNA:+.? 'UNH+1'", "UNA:+.?  UNH+1 ", "UNA:+.?'+UNH'1+", "\xEF\xBB\xBFUNH+1'",
                    "UNB+UNOC:4+S+R'RFF+a*b'",
                    // A released value still open where the cuts so far fill whole words of marks.
                    "FTX" + std::string(64, '+') + "a?'" + std::string(70, 'x') + "'",
                    "FTX" + std::string(128, ':') + "?" + std::string(70, 'x') + "'"));

// Segments longer than the maximum, or exactly as long, go the same way.
TEST(TapeAgainstExact, AgreesAtTheSegmentLengthLimit) {
  for (std::size_t limit : {0, 2, 3, 4, 5, 8, 9, 10, 63, 64, 65}) {
    ParserConfig config;
    config.max_segment_length = limit;
    expect_agreement("UNH+1'FTX+abcd'" + padded(60, "'"), config);
    expect_agreement("UNH+1'FTX+ab?'cd'UNT'", config);
  }
}

// Random inputs from pieces that matter to a parser; the seed is fixed, so every run checks the
// same inputs.
TEST(TapeAgainstExact, AgreesOnRandomInputs) {
  const std::vector<std::string> pieces = {"UNH", "FTX", "RFF", "+",  "+",    ":",    ":",     "'", "'",
                                           "?",   "??",  "*",   "ab", "1234", "\r\n", " ",     "x", "\xC3\xA4",
                                           "\xC3", "\xFF", "\t", "a",  "Q",    "UNA:+.?*'", "\f", "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"};
  std::mt19937 random(20261206);
  for (int round = 0; round < 4000; ++round) {
    std::string input;
    const int length = static_cast<int>(random() % 60);
    for (int piece = 0; piece < length; ++piece) input += pieces[random() % pieces.size()];
    ParserConfig config;
    if (round % 5 == 0) config.max_segment_length = random() % 40;
    if (round % 7 == 0) config.service_string_advice = ServiceStringAdvice::SYNTAX_VERSION_4;
    expect_agreement(input, config);
    if (testing::Test::HasFatalFailure()) return;
  }
}

}  // namespace

namespace {

struct VouchCase {
  std::string input;
  std::size_t vouched;
  std::optional<std::size_t> resume_at;
};

class FastPath : public testing::TestWithParam<VouchCase> {};

// What the fast parse keeps for itself and where it hands over: sound input stays on the fast
// path, and the exact parser starts just after the last sound segment.
TEST_P(FastPath, VouchesForSoundSegmentsOnly) {
  const VouchCase& row = GetParam();
  for (Kernel kernel : kernels()) {
    const auto parsed = edifact::parser::parse_tape(row.input, 0, ServiceStringAdvice::DEFAULT, 100, kernel);
    EXPECT_EQ(parsed.document->segment_count(), row.vouched) << row.input;
    EXPECT_EQ(parsed.resume_at, row.resume_at) << row.input;
    parsed.document->release();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, FastPath,
    testing::Values(VouchCase{"UNH+1'FTX+a?'b\xC3\xA4'\r\nUNT+2+1'\n", 3, std::nullopt},
                    VouchCase{"UNH+1'FTX+\xFF'UNT'", 1, 6}, VouchCase{"UNH+1'\r\nftx'UNT'", 1, 6},
                    VouchCase{"UNH+1'UNT+1", 1, 6}, VouchCase{"UNH+1'UNT+1?", 1, 6}, VouchCase{"UNH+1''", 1, 6},
                    VouchCase{"UNH+1'UNT+" + std::string(97, 'x') + "'", 1, 6}));

}  // namespace

#include <cstring>
#include <memory>

#include "edifact/parse/segment_stream.hpp"

namespace {

// Hands out its bytes `piece` at a time.
class PieceSource final : public edifact::parser::ByteSource {
 public:
  PieceSource(std::string bytes, std::size_t piece) : bytes_(std::move(bytes)), piece_(piece) {}
  std::expected<std::size_t, edifact::parser::IoError> read(std::span<std::byte> buffer) override {
    const std::size_t count = std::min({buffer.size(), piece_, bytes_.size() - position_});
    std::memcpy(buffer.data(), bytes_.data() + position_, count);
    position_ += count;
    return count;
  }

 private:
  std::string bytes_;
  std::size_t piece_;
  std::size_t position_ = 0;
};

std::vector<std::string> streamed(const std::string& input, std::size_t piece) {
  edifact::parser::OwnedSegmentStream stream(std::make_unique<PieceSource>(input, piece), {});
  std::vector<std::string> out;
  while (auto item = stream.next()) out.push_back(*item ? render(**item) : "error: " + item->error().message());
  return out;
}

// Long random interchanges of sound segments, with a few faults: the stream, which parses
// buffer by buffer and gathers what crosses a buffer's end, agrees with the slice parse.
TEST(StreamAgainstSlice, AgreesOnLongRandomInputs) {
  const std::vector<std::string> values = {"", "1", "UTILMD", "a?'b", "c??", "?+?:", "\xC3\xA4x", "9900123000002",
                                           std::string(300, 'z')};
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    std::string input = round % 2 == 0 ? "UNA:+.?*'" : "";
    const int segments = 50 + static_cast<int>(random() % 900);
    for (int segment = 0; segment < segments; ++segment) {
      input += segment == 0 && round % 4 == 1 ? "UNB" : "FTX";
      const int elements = static_cast<int>(random() % 6);
      for (int element = 0; element < elements; ++element) {
        input += element > 0 && random() % 5 == 0 ? ":" : (element > 0 && random() % 7 == 0 ? "*" : "+");
        input += values[random() % values.size()];
      }
      input += "'";
      if (random() % 3 == 0) input += "\r\n";
    }
    if (round % 5 == 4) input.insert(input.size() / 2 + random() % 1000, random() % 2 == 0 ? "\xFF" : "'");
    const std::vector<std::string> expected = fast(input, {}, edifact::tokenizer::scan::best_kernel());
    ASSERT_GT(expected.size(), 1u) << expected.front();
    for (std::size_t piece : {std::size_t{1}, std::size_t{4093}, std::size_t{8192}}) {
      ASSERT_EQ(streamed(input, piece), expected) << "round " << round << ", pieces of " << piece;
    }
  }
}

}  // namespace

namespace {

// Interchanges dense in delimiters, with segments short enough to share a buffer and long
// enough to cross several: the stream's documents go narrow buffer by buffer and segment by
// segment, and must read as the slice parse does.
TEST(StreamAgainstSlice, AgreesOnDelimiterDenseInputs) {
  const std::vector<std::string> fills = {"+", ":", "+:", "?+", "+*:", "+\xC3\xA4", "+ab"};
  std::mt19937 random(11);
  for (int round = 0; round < 12; ++round) {
    std::string input = round % 2 == 0 ? "UNA:+.?*'" : "";
    const int segments = 3 + static_cast<int>(random() % 40);
    for (int segment = 0; segment < segments; ++segment) {
      const std::string& fill = fills[random() % fills.size()];
      const std::size_t length = random() % 4 == 0 ? 1 + random() % 25'000 : 1 + random() % 300;
      input += "FTX";
      for (std::size_t k = 0; k < length; k += fill.size()) input += fill;
      input += "'";
    }
    const std::vector<std::string> expected = fast(input, {}, edifact::tokenizer::scan::best_kernel());
    for (std::size_t piece : {std::size_t{1}, std::size_t{4093}, std::size_t{8192}}) {
      ASSERT_EQ(streamed(input, piece), expected) << "round " << round << ", pieces of " << piece;
    }
  }
}

}  // namespace
