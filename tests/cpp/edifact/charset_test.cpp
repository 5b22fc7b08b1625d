#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>

#include "edifact/charset/charset.hpp"
#include "support/utf8.hpp"

namespace {

using edifact::EdifactError;
using edifact::charset::Charset;
using Kind = EdifactError::Kind;
namespace charset = edifact::charset;
using namespace std::string_view_literals;

TEST(SyntaxIdentifier, NamesMapBackAndOthersAreRefusedWithTheirText) {
  for (Charset each : charset::all_charsets) {
    EXPECT_EQ(charset::from_syntax_identifier(charset::name(each)).value(), each);
  }
  const std::pair<std::string_view, std::string_view> refusals[] = {
      {"KECA", "character repertoire 'KECA' is not supported"},
      {"unoc", "unrecognised syntax identifier 'unoc': expected UNOA-UNOK, UNOX, UNOY, or KECA"},
      {"UNOCC", "unrecognised syntax identifier 'UNOCC': expected UNOA-UNOK, UNOX, UNOY, or KECA"},
  };
  for (const auto& [identifier, text] : refusals) {
    const auto result = charset::from_syntax_identifier(identifier);
    ASSERT_FALSE(result.has_value()) << identifier;
    EXPECT_EQ(result.error().message(), text);
    EXPECT_EQ(result.error().value, identifier);
  }
}

struct SniffCase {
  std::string_view name;
  std::string_view input;
  // The repertoire, nothing for "none declared", or the error kind and its offset.
  std::variant<std::optional<Charset>, std::pair<Kind, std::size_t>> expected;
};

class Sniffing : public testing::TestWithParam<SniffCase> {};

TEST_P(Sniffing, FindsTheDeclaredRepertoire) {
  const auto result = charset::sniff_charset(GetParam().input);
  if (const auto* expected = std::get_if<std::optional<Charset>>(&GetParam().expected)) {
    ASSERT_TRUE(result.has_value()) << result.error().message();
    EXPECT_EQ(*result, *expected);
  } else {
    const auto& [kind, offset] = std::get<std::pair<Kind, std::size_t>>(GetParam().expected);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind, kind);
    EXPECT_EQ(result.error().offset, offset);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Charset, Sniffing,
    testing::Values(
        SniffCase{"whitespace_before_unb", "\n\n\n UNB+UNOC:3+SENDER'", Charset::Unoc},
        SniffCase{"after_una", "UNA:+.? 'UNB+UNOY:4+SENDER'", Charset::Unoy},
        SniffCase{"una_with_whitespace_between", "UNA:+.? '\r\nUNB+UNOD:3'", Charset::Unod},
        SniffCase{"una_element_separator", "UNA:*.? 'UNB*UNOC:3*SENDER'", Charset::Unoc},
        SniffCase{"una_terminator_ends_identifier", "UNA:+.? !UNB+UNOK!", Charset::Unok},
        SniffCase{"space_before_una", " UNA:+.? 'UNB+UNOY:4+SENDER'", Charset::Unoy},
        SniffCase{"byte_order_mark", "\xEF\xBB\xBFUNB+UNOC:3+SENDER'", Charset::Unoc},
        SniffCase{"byte_order_mark_and_line_break_before_una", "\xEF\xBB\xBF\r\nUNA:*.? 'UNB*UNOD:3'",
                  Charset::Unod},
        SniffCase{"byte_order_mark_not_first", " \xEF\xBB\xBFUNB+UNOC:3'", std::nullopt},
        SniffCase{"form_feed_is_no_whitespace", "\fUNB+UNOC:3'", std::nullopt},
        SniffCase{"empty_identifier", "UNB++SENDER'", std::nullopt},
        SniffCase{"no_unb", "UNH+1+UTILMD:D:11A:UN:S2.1'", std::nullopt},
        SniffCase{"release_is_plain_here", "UNB+UN?OC:3", std::pair{Kind::UnrecognisedSyntaxIdentifier, 0}},
        SniffCase{"unsupported", "UNB+UNOX:3+SENDER'", std::pair{Kind::UnsupportedRepertoire, 0}},
        SniffCase{"invalid_una", "UNA::.? 'UNB+UNOC:3'", std::pair{Kind::InvalidServiceStringAdvice, 0}},
        SniffCase{"identifier_not_utf8", "\r\n  UNB+\xC3:3'", std::pair{Kind::InvalidText, 8}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Sniffing, ReportsTheIdentifierItFound) {
  EXPECT_EQ(charset::sniff_charset("UNB+UN?OC:3").error().value, "UN?OC");
}

struct DecodeCase {
  Charset charset;
  std::string_view bytes;
  // The decoded text, or the offset of the refused byte.
  std::variant<std::string_view, std::size_t> expected;
};

class Decoding : public testing::TestWithParam<DecodeCase> {};

TEST_P(Decoding, MapsBytesToText) {
  const auto result = charset::decode(GetParam().charset, GetParam().bytes);
  if (const auto* text = std::get_if<std::string_view>(&GetParam().expected)) {
    ASSERT_TRUE(result.has_value()) << result.error().message();
    EXPECT_EQ(result->view(), *text);
  } else {
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind, Kind::InvalidText);
    EXPECT_EQ(result.error().offset, std::get<std::size_t>(GetParam().expected));
  }
}

// One sample per table, so that a repertoire reading another's table is caught.
INSTANTIATE_TEST_SUITE_P(
    Charset, Decoding,
    testing::Values(
        DecodeCase{Charset::Unoc, "B\xFCro", "B\u00FCro"sv},
        DecodeCase{Charset::Unod, "\xE3", "\u0103"sv},
        DecodeCase{Charset::Unoe, "\xB0\xF0", "\u0410\u2116"sv},
        DecodeCase{Charset::Unof, "\xA4\xA5\xC1", "\u20AC\u20AF\u0391"sv},
        DecodeCase{Charset::Unof, "ab\xAE", std::size_t{2}},
        DecodeCase{Charset::Unog, "\xA1", "\u0126"sv},
        DecodeCase{Charset::Unoh, "\xA2", "\u0138"sv},
        DecodeCase{Charset::Unoi, "\xC1", "\u0621"sv},
        DecodeCase{Charset::Unoj, "\xE0\xFD\xFE", "\u05D0\u200E\u200F"sv},
        DecodeCase{Charset::Unok, "\xD0\xFD", "\u011E\u0131"sv},
        DecodeCase{Charset::Unoa, "B\u00FCro", "B\u00FCro"sv},
        DecodeCase{Charset::Unob, "abc\xFC", std::size_t{3}},
        DecodeCase{Charset::Unoy, "\u20AC\xE2\x82", std::size_t{3}},
        DecodeCase{Charset::Unoy, "\xED\xA0\x80", std::size_t{0}}));

struct EncodeCase {
  Charset charset;
  std::string_view text;
  // The bytes, or the refused character with its offset.
  std::variant<std::string_view, std::pair<char32_t, std::size_t>> expected;
};

class Encoding : public testing::TestWithParam<EncodeCase> {};

TEST_P(Encoding, MapsTextToBytes) {
  const auto result = charset::encode(GetParam().charset, GetParam().text);
  if (const auto* bytes = std::get_if<std::string_view>(&GetParam().expected)) {
    ASSERT_TRUE(result.has_value()) << result.error().message();
    EXPECT_EQ(result->view(), *bytes);
  } else {
    const auto [character, offset] = std::get<std::pair<char32_t, std::size_t>>(GetParam().expected);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind, Kind::CharacterNotInRepertoire);
    EXPECT_EQ(result.error().character, character);
    EXPECT_EQ(result.error().offset, offset);
    EXPECT_EQ(result.error().fixed, charset::name(GetParam().charset));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Charset, Encoding,
    testing::Values(
        EncodeCase{Charset::Unoa, "x\u0080", std::pair{U'\u0080', std::size_t{1}}},
        EncodeCase{Charset::Unoc, "B\u00FCro", "B\xFCro"sv},
        EncodeCase{Charset::Unoc, "\u00FF\u0100", std::pair{U'\u0100', std::size_t{2}}},
        EncodeCase{Charset::Unod, "\u0085\u0104", "\x85\xA1"sv},
        EncodeCase{Charset::Unod, "\u00E3", std::pair{U'\u00E3', std::size_t{0}}},
        EncodeCase{Charset::Unof, "a\u20AC\u20ACx\U0001F600", std::pair{U'\U0001F600', std::size_t{8}}},
        EncodeCase{Charset::Unof, "\uFFFF", std::pair{U'\uFFFF', std::size_t{0}}},
        EncodeCase{Charset::Unoy, "B\u00FCro \U0001F600", "B\u00FCro \U0001F600"sv}));

TEST(Encoding, MalformedTextIsRefusedAndAppendingLeavesTheBufferAsItWas) {
  const auto malformed = charset::encode(Charset::Unoc, "ab\xC3");
  ASSERT_FALSE(malformed.has_value());
  EXPECT_EQ(malformed.error().kind, Kind::InvalidText);
  EXPECT_EQ(malformed.error().offset, 2U);

  std::string out = "UNB+";
  ASSERT_FALSE(charset::append_encoded(Charset::Unoc, "Stra\u00DFe \u20AC", out).has_value());
  EXPECT_EQ(out, "UNB+");
  ASSERT_TRUE(charset::append_encoded(Charset::Unoc, "Stra\u00DFe", out).has_value());
  EXPECT_EQ(out, "UNB+Stra\xDF" "e");
}

// A repertoire and how many characters of the Basic Multilingual Plane it carries: 128 of
// ASCII, for the 8-bit parts 32 C1 controls and the assigned upper half too.
class EveryRepertoire : public testing::TestWithParam<std::pair<Charset, int>> {};

TEST_P(EveryRepertoire, CarriesItsCharactersBothWaysAndAsciiWithoutCopying) {
  const auto [repertoire, expected_count] = GetParam();
  const std::string ascii = "UNB+UNOC:3+9900000000003:500'\x01\x7F lower case";
  const auto decoded_ascii = charset::decode(repertoire, ascii);
  const auto encoded_ascii = charset::encode(repertoire, ascii);
  ASSERT_TRUE(decoded_ascii.has_value() && encoded_ascii.has_value());
  EXPECT_EQ(decoded_ascii->view().data(), ascii.data());
  EXPECT_EQ(encoded_ascii->view().data(), ascii.data());

  std::string text = "Stra";
  int carried = 0;
  for (char32_t character = 0; character < 0x10000; ++character) {
    if (character >= 0xD800 && character <= 0xDFFF) continue;
    std::string candidate;
    support::utf8::append(candidate, character);
    if (!charset::encode(repertoire, candidate)) continue;
    ++carried;
    if (character >= 0x80) text += candidate + "-";
  }
  EXPECT_EQ(carried, expected_count);
  const auto encoded = charset::encode(repertoire, text);
  ASSERT_TRUE(encoded.has_value()) << encoded.error().message();
  const auto decoded = charset::decode(repertoire, encoded->view());
  ASSERT_TRUE(decoded.has_value()) << decoded.error().message();
  EXPECT_EQ(decoded->view(), text);

  if (expected_count <= 128 || repertoire == Charset::Unoy) return;
  // An 8-bit part refuses exactly its unassigned bytes and carries every other back to itself.
  int refused = 0;
  for (int value = 0x80; value <= 0xFF; ++value) {
    const std::string byte(1, static_cast<char>(value));
    const auto byte_text = charset::decode(repertoire, byte);
    if (!byte_text) {
      ++refused;
      continue;
    }
    EXPECT_EQ(charset::encode(repertoire, byte_text->view()).value().view(), byte) << std::hex << value;
  }
  EXPECT_EQ(refused, 256 - expected_count);
}

INSTANTIATE_TEST_SUITE_P(
    Charset, EveryRepertoire,
    testing::Values(std::pair{Charset::Unoa, 128}, std::pair{Charset::Unob, 128}, std::pair{Charset::Unoc, 256},
                    std::pair{Charset::Unod, 256}, std::pair{Charset::Unoe, 256}, std::pair{Charset::Unof, 253},
                    std::pair{Charset::Unog, 249}, std::pair{Charset::Unoh, 256}, std::pair{Charset::Unoi, 211},
                    std::pair{Charset::Unoj, 220}, std::pair{Charset::Unok, 256},
                    std::pair{Charset::Unoy, 0x10000 - 0x800}),
    [](const auto& info) { return std::string(charset::name(info.param.first)); });

}  // namespace
