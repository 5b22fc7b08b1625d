#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edifact/parser.hpp"
#include "edifact/tokenizer.hpp"

namespace {

using edifact::EdifactError;
using edifact::model::Span;
using edifact::tokenizer::ByteClass;
using edifact::tokenizer::ByteClasses;
using edifact::tokenizer::ServiceStringAdvice;
using edifact::tokenizer::Token;
using edifact::tokenizer::Tokenizer;
using Kind = Token::Kind;

struct Seen {
  Kind kind;
  std::string text;
  Span span;
  bool has_release = false;

  friend bool operator==(const Seen&, const Seen&) = default;
};

void PrintTo(const Seen& seen, std::ostream* out) {
  *out << static_cast<int>(seen.kind) << " \"" << seen.text << "\" " << seen.span.start << ".."
       << seen.span.end << (seen.has_release ? " released" : "");
}

struct Tokens {
  std::vector<Seen> tokens;
  std::string error;  // empty when the input ended cleanly
};

Tokens tokenize(std::string_view input, ServiceStringAdvice advice = ServiceStringAdvice::DEFAULT,
                std::size_t max_segment_length = 65536) {
  Tokens out;
  Tokenizer tokenizer(input, 0, advice, max_segment_length);
  while (auto token = tokenizer.next()) {
    if (!token->has_value()) {
      out.error = token->error().message();
      break;
    }
    const Token& t = **token;
    out.tokens.push_back({t.kind, std::string(t.text), t.span, t.has_release});
  }
  return out;
}

TEST(Tokenizer, CutsASegmentIntoTagValuesAndEnd) {
  const Tokens result = tokenize("UNH+1+UTILMD:D:11A:UN:S2.1'");
  EXPECT_EQ(result.error, "");
  EXPECT_EQ(result.tokens, (std::vector<Seen>{
                               {Kind::Tag, "UNH", {0, 3}},
                               {Kind::ElementValue, "1", {4, 5}},
                               {Kind::ElementValue, "UTILMD", {6, 12}},
                               {Kind::ComponentValue, "D", {13, 14}},
                               {Kind::ComponentValue, "11A", {15, 18}},
                               {Kind::ComponentValue, "UN", {19, 21}},
                               {Kind::ComponentValue, "S2.1", {22, 26}},
                               {Kind::SegmentEnd, "", {26, 27}},
                           }));
}

TEST(Tokenizer, KeepsReleaseCharactersAndLineBreaksInsideValues) {
  const Tokens result = tokenize(" \r\nFTX+a?+b?:c??d+x\r\ny'\t\n");
  EXPECT_EQ(result.error, "");
  EXPECT_EQ(result.tokens, (std::vector<Seen>{
                               {Kind::Tag, "FTX", {3, 6}},
                               {Kind::ElementValue, "a?+b?:c??d", {7, 17}, true},
                               {Kind::ElementValue, "x\r\ny", {18, 22}},
                               {Kind::SegmentEnd, "", {22, 23}},
                           }));
}

TEST(Tokenizer, RepetitionValuesOnlyWithARepetitionSeparator) {
  EXPECT_EQ(tokenize("RFF+a*b'", ServiceStringAdvice::SYNTAX_VERSION_4).tokens,
            (std::vector<Seen>{{Kind::Tag, "RFF", {0, 3}},
                               {Kind::ElementValue, "a", {4, 5}},
                               {Kind::RepetitionValue, "b", {6, 7}},
                               {Kind::SegmentEnd, "", {7, 8}}}));
  EXPECT_EQ(tokenize("RFF+a*b'").tokens[1], (Seen{Kind::ElementValue, "a*b", {4, 7}}));
}

struct ErrorCase {
  std::string name;
  std::string input;
  std::size_t max_segment_length;
  std::string message;
};

class TokenizerError : public testing::TestWithParam<ErrorCase> {};

TEST_P(TokenizerError, ReportsTheFirstFault) {
  EXPECT_EQ(tokenize(GetParam().input, ServiceStringAdvice::DEFAULT, GetParam().max_segment_length).error,
            GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, TokenizerError,
    testing::Values(
        ErrorCase{"terminator_where_tag_begins", "UNS''", 100, "invalid delimiter byte 0x27 at offset 4"},
        ErrorCase{"separator_where_tag_begins", " +UNS'", 100, "invalid delimiter byte 0x2B at offset 1"},
        ErrorCase{"form_feed_starts_a_tag", "UNS'\fUNS'", 100, "invalid segment tag \"\\u{c}UNS\""},
        ErrorCase{"lower_case_tag", "UNS'Unh+1'", 100, "invalid segment tag \"Unh\""},
        ErrorCase{"four_capitals", "UNHA+1'", 100, "invalid segment tag \"UNHA\""},
        ErrorCase{"tag_with_quote_and_backslash", "A\"\\+1'", 100, "invalid segment tag \"A\\\"\\\\\""},
        ErrorCase{"tag_not_utf8", "\xC8\xC9+1'", 100, "invalid segment tag \"[200, 201]\""},
        ErrorCase{"dangling_release", "UNH+1?", 100,
                  "invalid release sequence at byte offset 5: dangling release character"},
        ErrorCase{"value_not_utf8", "UNH+ab\xFF'", 100, "invalid EDIFACT text at byte offset 4"},
        ErrorCase{"released_byte_not_utf8", "UNH+1+ab?\xFF'", 100, "invalid EDIFACT text at byte offset 6"},
        ErrorCase{"value_too_long", "UNS'UNH+1234567'", 10,
                  "segment starting at byte offset 4 exceeded maximum length of 10 bytes"},
        ErrorCase{"tag_too_long", "ABCDEFGHIJK'", 10,
                  "segment starting at byte offset 0 exceeded maximum length of 10 bytes"},
        ErrorCase{"release_in_last_window_byte", "UNH+12345?+'", 10,
                  "segment starting at byte offset 0 exceeded maximum length of 10 bytes"}),
    [](const auto& info) { return info.param.name; });

TEST(Tokenizer, SegmentOfExactlyTheMaximumLengthPasses) {
  EXPECT_EQ(tokenize("UNS'UNH+123456'", ServiceStringAdvice::DEFAULT, 10).error, "");
  EXPECT_EQ(tokenize("UNH+12345?+'", ServiceStringAdvice::DEFAULT, 11).error, "");
}

TEST(Tokenizer, NonAsciiTextIsAccepted) {
  const Tokens result = tokenize("FTX+Stra\xC3\x9F" "e?+\xE2\x82\xAC'");
  EXPECT_EQ(result.error, "");
  EXPECT_EQ(result.tokens[1].text, "Stra\xC3\x9F" "e?+\xE2\x82\xAC");
}

TEST(ByteClasses, SeparatorsWinOverTheReleaseCharacterWhenTheyCoincide) {
  // Only an unchecked override can make characters coincide.
  ServiceStringAdvice advice = ServiceStringAdvice::SYNTAX_VERSION_4;
  advice.release_character = ':';
  advice.repetition_separator = '+';
  const ByteClasses classes(advice);
  EXPECT_EQ(classes[':'], ByteClass::ComponentSeparator);
  EXPECT_EQ(classes['+'], ByteClass::ElementSeparator);
  EXPECT_EQ(classes['\''], ByteClass::SegmentTerminator);
  EXPECT_EQ(classes['?'], ByteClass::Plain);
  EXPECT_EQ(classes['\xC3'], ByteClass::NonAscii);
}

struct ReleaseCase {
  std::string raw;
  std::string text;
};

class ResolveRelease : public testing::TestWithParam<ReleaseCase> {};

TEST_P(ResolveRelease, DropsEachReleaseCharacterAndKeepsTheNextByte) {
  std::string out = "kept";
  ASSERT_TRUE(edifact::parser::resolve_release(GetParam().raw, '?', 10, out).has_value());
  EXPECT_EQ(out, "kept" + GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, ResolveRelease,
                         testing::Values(ReleaseCase{"plain", "plain"}, ReleaseCase{"a?+b", "a+b"},
                                         ReleaseCase{"?:?'??", ":'?"}, ReleaseCase{"????x", "??x"},
                                         ReleaseCase{"?a?b", "ab"}, ReleaseCase{"", ""}));

TEST(ResolveRelease, ReleaseWithNothingAfterItFailsAtItsOffset) {
  std::string out;
  const auto result = edifact::parser::resolve_release("ab??c?", '?', 10, out);
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().kind, EdifactError::Kind::DanglingRelease);
  EXPECT_EQ(result.error().offset, 15u);
}

}  // namespace
