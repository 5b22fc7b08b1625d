// Parsed segments whose bytes the writer copies as they are must come out exactly as if their
// texts were written one by one: random inputs, written with the delimiters they were parsed
// with and with others, against built copies of the same segments, which are always written
// text by text.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "edifact/model/segment_builder.hpp"
#include "edifact/parse/from_bytes.hpp"
#include "edifact/write/writer.hpp"

namespace {

using edifact::model::Segment;
using edifact::tokenizer::ServiceStringAdvice;

std::string written(const std::vector<Segment>& segments, const ServiceStringAdvice& advice) {
  std::string buffer;
  edifact::writer::Writer<edifact::writer::BorrowedSink> writer(std::ref(buffer), advice, std::nullopt);
  for (const Segment& segment : segments) {
    if (auto done = writer.write_segment(segment); !done) return "error: " + done.error().message();
  }
  return buffer;
}

TEST(VerbatimWrite, EqualsWritingEachText) {
  const std::vector<std::string> headers = {"", "UNA:+.? '", "UNA:+.?*'", "UNA|^,!*#"};
  const std::vector<std::string> pieces = {"FTX", "+", ":", "*", "|", "^", "a", "Zz", "'", "#", "?", "??", "?'",
                                           "?+", "?:", "?a", "?*", "!", "!!", "!|", "!a", "\r\n", "\xC3\xA4"};
  const std::vector<ServiceStringAdvice> writers = {ServiceStringAdvice::DEFAULT, ServiceStringAdvice::SYNTAX_VERSION_4,
                                                    ServiceStringAdvice::from_una_characters("|^,!*#")};
  std::mt19937 random(4711);
  int compared = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string input = headers[random() % headers.size()] + "UNH+1'";
    const int length = static_cast<int>(random() % 40);
    for (int piece = 0; piece < length; ++piece) input += pieces[random() % pieces.size()];
    std::vector<Segment> parsed;
    auto reader = edifact::from_bytes_with_config(input, {});
    while (auto item = reader.next()) {
      if (!*item) break;
      parsed.push_back(std::move(**item));
    }
    std::vector<Segment> built;
    for (const Segment& segment : parsed) built.push_back(edifact::model::SegmentBuilder(segment).build());
    for (const ServiceStringAdvice& advice : writers) {
      ASSERT_EQ(written(parsed, advice), written(built, advice)) << "on \"" << input << "\"";
      ++compared;
    }
  }
  EXPECT_EQ(compared, 9000);
}

}  // namespace
