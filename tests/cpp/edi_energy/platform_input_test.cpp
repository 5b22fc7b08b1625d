#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/interchange.hpp"
#include "edi_energy/parse/unb_datetime.hpp"
#include "edi_energy/platform/input_route.hpp"
#include "edi_energy/platform/input_segments.hpp"
#include "edi_energy/platform/platform.hpp"
#include "../edifact/parsed_segments.hpp"

namespace {

using edi_energy::interchange::InterchangeHeader;
using edi_energy::interchange::LocalDateTime;
using edi_energy::parse::parse_unb_datetime;
using namespace std::chrono;

std::optional<LocalDateTime> at(int y, unsigned m, unsigned d, int hh, int mm, int ss = 0) {
  return LocalDateTime{year_month_day{year{y}, month{m}, day{d}}, static_cast<std::uint8_t>(hh),
                       static_cast<std::uint8_t>(mm), static_cast<std::uint8_t>(ss)};
}

struct DateCase {
  std::string_view date;
  std::string_view time;
  std::optional<LocalDateTime> expected;
};

class UnbDateTime : public testing::TestWithParam<DateCase> {};

TEST_P(UnbDateTime, ReadsOrRefuses) {
  EXPECT_EQ(parse_unb_datetime(GetParam().date, GetParam().time), GetParam().expected)
      << GetParam().date << " " << GetParam().time;
}

INSTANTIATE_TEST_SUITE_P(
    Platform, UnbDateTime,
    testing::Values(DateCase{"260501", "1200", at(2026, 5, 1, 12, 0)},
                    DateCase{"20240229", "235959", at(2024, 2, 29, 23, 59, 59)},
                    DateCase{"000229", "0000", at(2000, 2, 29, 0, 0)},
                    DateCase{"19000229", "0000", std::nullopt}, DateCase{"250229", "0000", std::nullopt},
                    DateCase{"260431", "1200", std::nullopt}, DateCase{"261301", "1200", std::nullopt},
                    DateCase{"260001", "1200", std::nullopt}, DateCase{"260501", "", std::nullopt},
                    DateCase{"260501", "2400", std::nullopt}, DateCase{"260501", "1260", std::nullopt},
                    DateCase{"260501", "120060", std::nullopt}, DateCase{"260501", "12000", std::nullopt},
                    DateCase{"2605011", "1200", std::nullopt}, DateCase{"26O501", "1200", std::nullopt},
                    DateCase{"260501", "+200", std::nullopt}, DateCase{"", "1200", std::nullopt}));

struct HeaderCase {
  const char* name;
  std::string_view unb;
  std::string syntax_identifier;
  std::uint8_t syntax_version;
  bool test_indicator;
  bool has_time;
};

class UnbHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(UnbHeader, ReadsTheEnvelope) {
  const auto segments = edifact_test::parsed(GetParam().unb);
  ASSERT_EQ(segments.size(), 1u);
  const InterchangeHeader header = InterchangeHeader::from_unb(segments.front());
  EXPECT_EQ(header.syntax_identifier, GetParam().syntax_identifier);
  EXPECT_EQ(header.syntax_version, GetParam().syntax_version);
  EXPECT_EQ(header.test_indicator, GetParam().test_indicator);
  EXPECT_EQ(header.prepared_at.has_value(), GetParam().has_time);
}

INSTANTIATE_TEST_SUITE_P(
    Platform, UnbHeader,
    testing::Values(HeaderCase{"plain", "UNB+UNOC:3+S:500+R:500+260501:1200+REF'", "UNOC", 3, false, true},
                    HeaderCase{"no_version", "UNB+UNOB+S+R+260501:1200+REF'", "UNOB", 3, false, true},
                    HeaderCase{"empty_identifier", "UNB+:3+S+R+260501:1200+REF'", "", 3, false, true},
                    HeaderCase{"no_element_zero", "UNB'", "UNOC", 3, false, false},
                    HeaderCase{"version_with_plus", "UNB+UNOY:?+4+S+R'", "UNOY", 4, false, false},
                    HeaderCase{"version_out_of_range", "UNB+UNOC:256+S+R'", "UNOC", 3, false, false},
                    HeaderCase{"version_not_digits", "UNB+UNOC:x+S+R'", "UNOC", 3, false, false},
                    HeaderCase{"no_time", "UNB+UNOC:3+S+R+260501+REF'", "UNOC", 3, false, false},
                    HeaderCase{"test_padded", "UNB+UNOC:3+S+R+260501:1200+REF++++++ 1 '", "UNOC", 3, true, true},
                    HeaderCase{"test_two", "UNB+UNOC:3+S+R+260501:1200+REF++++++2'", "UNOC", 3, false, true},
                    HeaderCase{"test_eleven", "UNB+UNOC:3+S+R+260501:1200+REF++++++11'", "UNOC", 3, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Platform, HeaderPartiesAndReferences) {
  const auto segments = edifact_test::parsed("UNB+UNOC:3+9900000000001:500+9900000000002:14+260501:1200+R7'");
  const InterchangeHeader header = InterchangeHeader::from_unb(segments.front());
  EXPECT_EQ(header.sender, "9900000000001");
  EXPECT_EQ(header.sender_qualifier, "500");
  EXPECT_EQ(header.recipient, "9900000000002");
  EXPECT_EQ(header.recipient_qualifier, "14");
  EXPECT_EQ(header.control_ref, "R7");
}

struct RouteCase {
  const char* name;
  std::string_view input;
  bool interchange;
  std::size_t headers;
};

class InputRoute : public testing::TestWithParam<RouteCase> {};

TEST_P(InputRoute, ChoosesTheParseAndCountsMessages) {
  EXPECT_EQ(edi_energy::platform::is_interchange(GetParam().input), GetParam().interchange);
  EXPECT_EQ(edi_energy::platform::count_message_headers(GetParam().input), GetParam().headers);
}

INSTANTIATE_TEST_SUITE_P(
    Platform, InputRoute,
    testing::Values(RouteCase{"unb", "UNB+UNOC:3'UNH+1'UNT+2+1'UNH+2'", true, 2},
                    RouteCase{"whitespace_then_unb", "\t\n\r UNB+UNOC:3'", true, 0},
                    RouteCase{"form_feed_then_unb", "\fUNB+UNOC:3'", false, 0},
                    RouteCase{"form_feed_then_bare", "\fUNH+1'UNT+2+1'\fUNH+2'", false, 2},
                    RouteCase{"una_then_unb", "UNA:+.? 'UNB+UNOC:3'", true, 0},
                    RouteCase{"bom_then_unb", "\xEF\xBB\xBFUNB+UNOC:3'UNH+1'UNT+2+1'UNH+2'", true, 2},
                    RouteCase{"bom_space_una_unb", "\xEF\xBB\xBF\r\nUNA:+.? 'UNB+UNOC:3'", true, 0},
                    RouteCase{"bom_then_two_bare", "\xEF\xBB\xBFUNH+1'UNT+2+1'UNH+2'", false, 2},
                    RouteCase{"bom_not_first", " \xEF\xBB\xBFUNB+UNOC:3'", false, 0},
                    RouteCase{"una_newline_unb", "UNA:+.? '\r\nUNB+UNOC:3'", true, 0},
                    RouteCase{"una_then_unh", "UNA:+.? 'UNH+1'UNT+2+1'", false, 1},
                    RouteCase{"bare_two", "UNH+1'BGM+7'UNT+3+1'\nUNH+2'UNT+2+2'", false, 2},
                    RouteCase{"unh_inside_a_value", "UNH+1'FTX+AAB+++UNH+x'UNT+3+1'", false, 1},
                    RouteCase{"released_terminator", "UNH+1'FTX+AAB+++a?'UNH+x'UNT+3+1'", false, 1},
                    RouteCase{"una_separators", "UNA^|.? !UNH|1!UNH+2!UNH|3!", false, 2},
                    RouteCase{"una_tag_inside_segment", "UNA^|.? !UNH|1!UNH+2'UNH|3!", false, 1},
                    RouteCase{"una_terminator_only", "UNA:+.? !UNH+1'UNH+2!UNH+3!", false, 2},
                    RouteCase{"tag_without_separator", "UNHX+1'UNH'", false, 0},
                    RouteCase{"short_una", "UNA:+", false, 0}, RouteCase{"empty", "", false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A UNOC interchange with Latin-1 bytes: texts are decoded, offsets still count raw bytes. The
// same input with each high byte replaced by an ASCII letter needs no decoding and must give
// the same structure and spans.
static void expect_raw_offsets(const std::string& raw) {
  std::string ascii = raw;
  std::ranges::replace_if(ascii, [](char c) { return static_cast<unsigned char>(c) >= 0x80; }, 'x');

  auto decoded = edi_energy::platform::input_segments(raw);
  auto plain = edi_energy::platform::input_segments(ascii);
  ASSERT_TRUE(decoded) << decoded.error().message();
  ASSERT_TRUE(plain) << plain.error().message();
  ASSERT_EQ(decoded->size(), plain->size());
  for (std::size_t i = 0; i < decoded->size(); ++i) {
    const auto& a = (*decoded)[i];
    const auto& b = (*plain)[i];
    EXPECT_EQ(a.span(), b.span()) << a.tag();
    EXPECT_EQ(a.tag_span(), b.tag_span()) << a.tag();
    ASSERT_EQ(a.elements().size(), b.elements().size());
    for (std::size_t e = 0; e < a.elements().size(); ++e) {
      EXPECT_EQ(a.elements()[e].span(), b.elements()[e].span()) << a.tag() << e;
      const auto ca = a.elements()[e].components();
      const auto cb = b.elements()[e].components();
      ASSERT_EQ(ca.size(), cb.size());
      for (std::size_t c = 0; c < ca.size(); ++c) EXPECT_EQ(ca[c].span, cb[c].span) << a.tag() << e << c;
    }
    // Moved segments keep counting raw bytes.
    const auto moved_a = edifact::model::Segment(a).offset(7);
    const auto moved_b = edifact::model::Segment(b).offset(7);
    EXPECT_EQ(moved_a.span(), moved_b.span()) << a.tag();
    EXPECT_EQ(moved_a.elements().back().span(), moved_b.elements().back().span()) << a.tag();
    EXPECT_EQ(edifact::model::Segment(moved_a).into_owned().tag_span(), moved_b.tag_span()) << a.tag();
  }
}

// Release characters ahead of decoded characters, and released delimiters among them.
TEST(Platform, DecodedRepertoireKeepsRawOffsetsOfReleasedValues) {
  const std::string raw =
      "UNB+UNOC:3+S1:500+R1:500+260501:1200+REF1'UNH+1+MSCONS:D:04B:UN:2.4c'"
      "FTX+AAB+++?\xE4?+\xFC:\xDF??:a?'\xE4+\xE4'NAD+MS+S1::293'UNT+4+1'UNZ+1+REF1'";
  expect_raw_offsets(raw);
  auto decoded = edi_energy::platform::input_segments(raw);
  ASSERT_TRUE(decoded);
  EXPECT_EQ((*decoded)[2].elements()[3].components().text(0), "\u00E4+\u00FC");
  EXPECT_EQ((*decoded)[2].elements()[3].components().text(1), "\u00DF?");
  EXPECT_EQ((*decoded)[2].elements()[3].components().text(2), "a'\u00E4");
}

TEST(Platform, DecodedRepertoireKeepsRawOffsets) {
  const std::string raw =
      "UNB+UNOC:3+S1:500+R1:500+260501:1200+REF1'UNH+1+MSCONS:D:04B:UN:2.4c'"
      "FTX+AAB+++M\xFC\x63ke:Stra\xDF\x65+\xE4'NAD+MS+S1::293'UNT+4+1'UNZ+1+REF1'";
  expect_raw_offsets(raw);
  auto decoded = edi_energy::platform::input_segments(raw);
  ASSERT_TRUE(decoded);
  EXPECT_EQ((*decoded)[2].elements()[3].components().text(0), "M\u00FCcke");
  EXPECT_EQ((*decoded)[2].elements()[3].components().text(1), "Stra\u00DFe");
  EXPECT_EQ((*decoded)[2].elements()[4].components().text(0), "\u00E4");
}

// Long runs of characters that decode to two bytes, with delimiters on either side of every
// multiple of the map's stride, and a trailer whose spans lie far behind them.
TEST(Platform, DecodedRepertoireKeepsRawOffsetsAcrossLongRuns) {
  for (const std::size_t run : {63U, 64U, 65U, 127U, 200U, 5000U}) {
    std::string values;
    for (std::size_t k = 0; k < 6; ++k) {
      values += std::string(run + k, '\xE4') + ":" + std::string(k + 1, 'a') + "+";
    }
    const std::string raw = "UNB+UNOC:3+S1:500+R1:500+260501:1200+REF1'UNH+1+MSCONS:D:04B:UN:2.4c'FTX+AAB+++" +
                            values + "\xDF'NAD+MS+S1::293'UNT+4+1'UNZ+1+REF1'";
    SCOPED_TRACE(run);
    expect_raw_offsets(raw);
  }
}

// Texts dense in delimiters, in segments that share a buffer and in segments that cross many,
// and a value that decodes to more than 64 KiB among them: their documents keep the narrow form,
// and texts and raw spans come out as for any other text.
TEST(Platform, DecodedRepertoireKeepsRawOffsetsOfDelimiterDenseTexts) {
  const std::string head = "UNB+UNOC:3+S1:500+R1:500+260501:1200+REF1'UNH+1+MSCONS:D:04B:UN:2.4c'";
  const std::string tail = "NAD+MS+S1::293'UNT+4+1'UNZ+1+REF1'";
  const auto times = [](std::string_view piece, std::size_t count) {
    std::string text;
    for (std::size_t k = 0; k < count; ++k) text += piece;
    return text;
  };
  const std::string wide_value = std::string(32'768, '\xE4');
  for (const std::string& body :
       {"FTX+AAB+++" + times("+\xE4", 20'000) + "'", times("FTX+\xE4+\xE4:\xE4*\xFC'", 900),
        "FTX+AAB+++" + times("\xE4+\xFC:", 9'000) + "'", "FTX+AAB+" + wide_value + std::string(32'000, '+') + "'"}) {
    SCOPED_TRACE(body.substr(0, 24));
    expect_raw_offsets(head + body + tail);
  }
  auto decoded = edi_energy::platform::input_segments(head + "FTX+AAB+" + wide_value + std::string(32'000, '+') + "'" + tail);
  ASSERT_TRUE(decoded) << decoded.error().message();
  const auto elements = (*decoded)[2].elements();
  ASSERT_EQ(elements.size(), 32'002U);
  EXPECT_EQ(elements[1].components().text(0), times("\u00E4", 32'768));
  EXPECT_EQ(elements[1].span(), (edifact::model::Span{head.size() + 8, head.size() + 8 + 32'768}));
  EXPECT_EQ(elements.back().span(), (edifact::model::Span{head.size() + 8 + 32'768 + 32'000, head.size() + 8 + 32'768 + 32'000}));
}

// What stands before the first segment moves every span by its length and changes nothing
// else: the declared repertoire decodes the text behind a byte-order mark or whitespace as it
// does at the first byte, with and without a UNA, in a one-byte and an ASCII repertoire.
TEST(Platform, ByteOrderMarkAndWhitespaceBeforeTheUnaChangeNoText) {
  const std::string body = "+S1:500+R1:500+260501:1200+REF1'UNH+1+MSCONS:D:04B:UN:2.4c'FTX+AAB+++M\xFC\x63ke:\xDF+\xE4'"
                           "UNT+3+1'UNZ+1+REF1'";
  const std::string ascii = "UNB+UNOA:3+S1:500+R1:500+260501:1200+REF1'UNH+1+MSCONS:D:04B:UN:2.4c'FTX+AAB+++a'UNT+3+1'";
  for (const std::string& unb : {"UNB+UNOC:3" + body, "UNA:+.? 'UNB+UNOC:3" + body, ascii}) {
    auto plain = edi_energy::platform::input_segments(unb);
    ASSERT_TRUE(plain) << plain.error().message();
    for (const std::string prefix : {" ", "\r\n", "\xEF\xBB\xBF", "\xEF\xBB\xBF\t "}) {
      SCOPED_TRACE(testing::PrintToString(prefix + unb.substr(0, 12)));
      auto shifted = edi_energy::platform::input_segments(prefix + unb);
      ASSERT_TRUE(shifted) << shifted.error().message();
      ASSERT_EQ(shifted->size(), plain->size());
      for (std::size_t k = 0; k < plain->size(); ++k) {
        const auto& a = (*plain)[k];
        const auto& b = (*shifted)[k];
        EXPECT_EQ(b.span(), (edifact::model::Span{a.span().start + prefix.size(), a.span().end + prefix.size()}));
        ASSERT_EQ(a.elements().size(), b.elements().size());
        for (std::size_t e = 0; e < a.elements().size(); ++e) {
          EXPECT_EQ(b.elements()[e].span().start, a.elements()[e].span().start + prefix.size());
          EXPECT_EQ(a.elements()[e].components().text(0), b.elements()[e].components().text(0));
        }
      }
    }
  }
  // ISO 8859-8 leaves 0xBF unassigned: the mark is never read as part of the text.
  auto hebrew = edi_energy::platform::input_segments("\xEF\xBB\xBFUNB+UNOJ:3+S\xE0+R'");
  ASSERT_TRUE(hebrew) << hebrew.error().message();
  EXPECT_EQ(hebrew->front().elements()[1].components().text(0), "S\u05D0");
}

struct RepertoireFailure {
  const char* name;
  std::string input;
  std::string expected;
};

class RepertoireError : public testing::TestWithParam<RepertoireFailure> {};

TEST_P(RepertoireError, CountsRawBytes) {
  auto segments = edi_energy::platform::input_segments(GetParam().input);
  ASSERT_FALSE(segments);
  EXPECT_EQ(segments.error().message(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Platform, RepertoireError,
    testing::Values(
        // The dangling release is raw byte 31; in the decoded text it lies three bytes further.
        RepertoireFailure{"after_decoded_characters", "UNB+UNOC:3+S\xE4\xF6\xFC+R+260501:1200+X?",
                          "EDIFACT parse error: invalid release sequence at byte offset 31: dangling release "
                          "character"},
        RepertoireFailure{"byte_outside_ascii_repertoire", "UNB+UNOA:3+S\xE4+R'",
                          "EDIFACT parse error: invalid EDIFACT text at byte offset 12"},
        RepertoireFailure{"after_a_byte_order_mark", "\xEF\xBB\xBFUNB+UNOC:3+S\xE4\xF6\xFC+R+260501:1200+X?",
                          "EDIFACT parse error: invalid release sequence at byte offset 34: dangling release "
                          "character"},
        RepertoireFailure{"outside_ascii_after_a_byte_order_mark", "\xEF\xBB\xBF UNB+UNOA:3+S\xE4+R'",
                          "EDIFACT parse error: invalid EDIFACT text at byte offset 16"},
        RepertoireFailure{"unassigned_after_a_byte_order_mark", "\xEF\xBB\xBFUNB+UNOJ:3+S\xC0+R'",
                          "EDIFACT parse error: invalid EDIFACT text at byte offset 15"},
        RepertoireFailure{"unknown_repertoire", "UNB+UNOZ:3+S+R'",
                          "EDIFACT parse error: unrecognised syntax identifier 'UNOZ': expected UNOA-UNOK, UNOX, UNOY, or KECA"}),
    [](const auto& info) { return std::string(info.param.name); });

// A text that grows by half when decoded stays within the limit that its raw size meets.
TEST(Platform, LimitAppliesToRawBytesNotToDecodedText) {
  std::string raw = "UNB+UNOC:3+S+R'";
  const std::string ftx = "FTX+AAB+++" + std::string(2000, '\xE4') + "'";
  while (raw.size() + ftx.size() + 8 < edi_energy::platform::MAX_INPUT_BYTES) raw += ftx;
  raw += "UNZ+0+X'";
  ASSERT_LE(raw.size(), edi_energy::platform::MAX_INPUT_BYTES);
  auto segments = edi_energy::platform::input_segments(raw);
  ASSERT_TRUE(segments) << segments.error().message();
  EXPECT_EQ(segments->back().span().end, raw.size());
}

// The segment length limit counts raw bytes too: 40,000 decoded characters of two bytes each
// pass, 65,537 raw bytes before the terminator fail at the segment's raw start.
TEST(Platform, SegmentLengthCountsRawBytes) {
  const std::string unb = "UNB+UNOC:3+S+R'";
  auto long_text = edi_energy::platform::input_segments(unb + "FTX+AAB+++" + std::string(40'000, '\xE4') + "'");
  ASSERT_TRUE(long_text) << long_text.error().message();
  EXPECT_EQ(long_text->back().span().end, unb.size() + 10 + 40'000 + 1);

  const std::string at_limit = "FTX+AAB+++" + std::string(65'536 - 10, '\xE4') + "'";
  EXPECT_TRUE(edi_energy::platform::input_segments(unb + at_limit));
  auto too_long = edi_energy::platform::input_segments(unb + "FTX+AAB+++" + std::string(65'537 - 10, '\xE4') + "'");
  ASSERT_FALSE(too_long);
  auto plain_too_long = edi_energy::platform::input_segments(unb + "FTX+AAB+++" + std::string(65'537 - 10, 'a') + "'");
  ASSERT_FALSE(plain_too_long);
  EXPECT_EQ(too_long.error().message(), plain_too_long.error().message());
  EXPECT_EQ(too_long.error().message(),
            "EDIFACT parse error: segment starting at byte offset 15 exceeded maximum length of 65536 bytes");
}

}  // namespace
