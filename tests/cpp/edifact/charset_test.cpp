#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>

#include "edifact/charset.hpp"
#include "support/utf8.hpp"

namespace {

using edifact::EdifactError;
using edifact::charset::Charset;
using Kind = EdifactError::Kind;
namespace charset = edifact::charset;

std::string utf8_of(char32_t character) {
  std::string text;
  support::utf8::append(text, character);
  return text;
}

// ---------------------------------------------------------------------------------------------
// Syntax identifiers

TEST(SyntaxIdentifier, EveryNameMapsBackToItsRepertoire) {
  for (Charset each : charset::all_charsets) {
    EXPECT_EQ(charset::from_syntax_identifier(charset::name(each)).value(), each)
        << charset::name(each);
  }
}

struct RefusedIdentifier {
  std::string_view identifier;
  Kind kind;
};

class RefusedIdentifiers : public testing::TestWithParam<RefusedIdentifier> {};

TEST_P(RefusedIdentifiers, GiveTheirErrorWithACopyOfTheText) {
  const auto result = charset::from_syntax_identifier(GetParam().identifier);
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().kind, GetParam().kind);
  EXPECT_EQ(result.error().value, GetParam().identifier);
}

INSTANTIATE_TEST_SUITE_P(
    Charset, RefusedIdentifiers,
    testing::Values(RefusedIdentifier{"UNOX", Kind::UnsupportedRepertoire},
                    RefusedIdentifier{"KECA", Kind::UnsupportedRepertoire},
                    RefusedIdentifier{"UNOW", Kind::UnrecognisedSyntaxIdentifier},
                    RefusedIdentifier{"unoc", Kind::UnrecognisedSyntaxIdentifier},
                    RefusedIdentifier{"", Kind::UnrecognisedSyntaxIdentifier},
                    RefusedIdentifier{"UNOCC", Kind::UnrecognisedSyntaxIdentifier},
                    RefusedIdentifier{"UNO", Kind::UnrecognisedSyntaxIdentifier}));

TEST(SyntaxIdentifier, RefusalTexts) {
  EXPECT_EQ(charset::from_syntax_identifier("KECA").error().message(),
            "character repertoire 'KECA' is not supported");
  EXPECT_EQ(charset::from_syntax_identifier("unoc").error().message(),
            "unrecognised syntax identifier 'unoc': expected UNOA-UNOK, UNOX, UNOY, or KECA");
}

// ---------------------------------------------------------------------------------------------
// Sniffing

struct SniffCase {
  std::string_view name;
  std::string_view input;
  // The repertoire, nothing for "none declared", or the error kind and its offset.
  std::variant<std::optional<Charset>, std::pair<Kind, std::size_t>> expected;
};

class Sniffing : public testing::TestWithParam<SniffCase> {};

TEST_P(Sniffing, FindsTheDeclaredRepertoire) {
  const SniffCase& sniff = GetParam();
  const auto result = charset::sniff_charset(sniff.input);
  if (const auto* expected = std::get_if<std::optional<Charset>>(&sniff.expected)) {
    ASSERT_TRUE(result.has_value()) << result.error().message();
    EXPECT_EQ(*result, *expected);
  } else {
    const auto& [kind, offset] = std::get<std::pair<Kind, std::size_t>>(sniff.expected);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind, kind);
    EXPECT_EQ(result.error().offset, offset);
  }
}

using namespace std::string_view_literals;

INSTANTIATE_TEST_SUITE_P(
    Charset, Sniffing,
    testing::Values(
        SniffCase{"plain_unb", "UNB+UNOC:3+SENDER'", Charset::Unoc},
        SniffCase{"whitespace_before_unb", "\n\n\n UNB+UNOC:3+SENDER'", Charset::Unoc},
        SniffCase{"after_una", "UNA:+.? 'UNB+UNOY:4+SENDER'", Charset::Unoy},
        SniffCase{"una_with_whitespace_between", "UNA:+.? '\r\nUNB+UNOD:3'", Charset::Unod},
        SniffCase{"space_before_una", " UNA:+.? 'UNB+UNOY:4+SENDER'", std::nullopt},
        SniffCase{"byte_order_mark", "\xEF\xBB\xBFUNB+UNOC:3+SENDER'", std::nullopt},
        SniffCase{"una_element_separator", "UNA:*.? 'UNB*UNOC:3*SENDER'", Charset::Unoc},
        SniffCase{"una_terminator_ends_identifier", "UNA:+.? !UNB+UNOK!", Charset::Unok},
        SniffCase{"identifier_to_end", "UNB+UNOC", Charset::Unoc},
        SniffCase{"identifier_to_terminator", "UNB+UNOB'UNH", Charset::Unob},
        SniffCase{"release_is_plain_here", "UNB+UN?OC:3", std::pair{Kind::UnrecognisedSyntaxIdentifier, 0}},
        SniffCase{"empty_identifier", "UNB++SENDER'", std::nullopt},
        SniffCase{"tag_only", "UNB", std::nullopt},
        SniffCase{"no_unb", "UNH+1+UTILMD:D:11A:UN:S2.1'", std::nullopt},
        SniffCase{"empty", "", std::nullopt},
        SniffCase{"una_cut_short", "UNA:+.?", std::nullopt},
        SniffCase{"unknown_identifier", "UNB+UNOW:3+SENDER'", std::pair{Kind::UnrecognisedSyntaxIdentifier, 0}},
        SniffCase{"lower_case", "UNB+unoc:3+SENDER'", std::pair{Kind::UnrecognisedSyntaxIdentifier, 0}},
        SniffCase{"unsupported", "UNB+UNOX:3+SENDER'", std::pair{Kind::UnsupportedRepertoire, 0}},
        SniffCase{"invalid_una", "UNA::.? 'UNB+UNOC:3'", std::pair{Kind::InvalidServiceStringAdvice, 0}},
        SniffCase{"identifier_not_utf8", "UNB+UN\xFF:3'", std::pair{Kind::InvalidText, 4}},
        SniffCase{"identifier_not_utf8_after_whitespace", "\r\n  UNB+\xC3:3'",
                  std::pair{Kind::InvalidText, 8}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Sniffing, ReportsTheIdentifierItFound) {
  EXPECT_EQ(charset::sniff_charset("UNB+UNOW:3+X'").error().value, "UNOW");
  EXPECT_EQ(charset::sniff_charset("UNB+UN?OC:3").error().value, "UN?OC");
}

// ---------------------------------------------------------------------------------------------
// Decoding

struct DecodeCase {
  Charset charset;
  std::string_view bytes;
  // The decoded text, or the offset of the refused byte.
  std::variant<std::string_view, std::size_t> expected;
};

class Decoding : public testing::TestWithParam<DecodeCase> {};

TEST_P(Decoding, MapsBytesToText) {
  const DecodeCase& decoding = GetParam();
  const auto result = charset::decode(decoding.charset, decoding.bytes);
  if (const auto* text = std::get_if<std::string_view>(&decoding.expected)) {
    ASSERT_TRUE(result.has_value()) << result.error().message();
    EXPECT_EQ(result->view(), *text);
  } else {
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind, Kind::InvalidText);
    EXPECT_EQ(result.error().offset, std::get<std::size_t>(decoding.expected));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Charset, Decoding,
    testing::Values(
        DecodeCase{Charset::Unoc, "\xE3", "\u00E3"sv},
        DecodeCase{Charset::Unoc, "B\xFCro", "B\u00FCro"sv},
        DecodeCase{Charset::Unoc, "\x80\x9F", "\u0080\u009F"sv},
        DecodeCase{Charset::Unod, "\xE3", "\u0103"sv},
        DecodeCase{Charset::Unod, "\xA1", "\u0104"sv},
        DecodeCase{Charset::Unoe, "\xB0\xF0", "\u0410\u2116"sv},
        DecodeCase{Charset::Unof, "\xA4\xA5\xC1", "\u20AC\u20AF\u0391"sv},
        DecodeCase{Charset::Unof, "ab\xAE", std::size_t{2}},
        DecodeCase{Charset::Unof, "\xFF", std::size_t{0}},
        DecodeCase{Charset::Unog, "\xA1", "\u0126"sv},
        DecodeCase{Charset::Unog, "x\xA5", std::size_t{1}},
        DecodeCase{Charset::Unoh, "\xA2", "\u0138"sv},
        DecodeCase{Charset::Unoi, "\xC1", "\u0621"sv},
        DecodeCase{Charset::Unoi, "\xA1", std::size_t{0}},
        DecodeCase{Charset::Unoj, "\xE0\xFD\xFE", "\u05D0\u200E\u200F"sv},
        DecodeCase{Charset::Unok, "\x85", "\u0085"sv},
        DecodeCase{Charset::Unok, "\xD0\xFD", "\u011E\u0131"sv},
        DecodeCase{Charset::Unoa, "B\u00FCro", "B\u00FCro"sv},
        DecodeCase{Charset::Unob, "\xFC", std::size_t{0}},
        DecodeCase{Charset::Unob, "abc\xFC", std::size_t{3}},
        DecodeCase{Charset::Unoy, "\u20AC\xE2\x82", std::size_t{3}},
        DecodeCase{Charset::Unoy, "\xED\xA0\x80", std::size_t{0}}));

// Every 8-bit repertoire refuses exactly the bytes its ISO 8859 part leaves unassigned, and
// carries every other byte back to itself.
class EightBitRepertoire : public testing::TestWithParam<std::pair<Charset, int>> {};

TEST_P(EightBitRepertoire, RefusesOnlyUnassignedBytesAndRoundTripsTheRest) {
  const auto [repertoire, unassigned_count] = GetParam();
  int refused = 0;
  for (int value = 0x80; value <= 0xFF; ++value) {
    const std::string byte(1, static_cast<char>(value));
    const auto text = charset::decode(repertoire, byte);
    if (!text) {
      ++refused;
      EXPECT_GE(value, 0xA0) << "C1 controls are always carried";
      continue;
    }
    const auto bytes = charset::encode(repertoire, text->view());
    ASSERT_TRUE(bytes.has_value()) << std::hex << value;
    EXPECT_EQ(bytes->view(), byte) << std::hex << value;
  }
  EXPECT_EQ(refused, unassigned_count);
}

INSTANTIATE_TEST_SUITE_P(Charset, EightBitRepertoire,
                         testing::Values(std::pair{Charset::Unoc, 0}, std::pair{Charset::Unod, 0},
                                         std::pair{Charset::Unoe, 0}, std::pair{Charset::Unof, 3},
                                         std::pair{Charset::Unog, 7}, std::pair{Charset::Unoh, 0},
                                         std::pair{Charset::Unoi, 45}, std::pair{Charset::Unoj, 36},
                                         std::pair{Charset::Unok, 0}));

// ---------------------------------------------------------------------------------------------
// Encoding

struct EncodeCase {
  Charset charset;
  std::string_view text;
  // The bytes, or the refused character with its offset.
  std::variant<std::string_view, std::pair<char32_t, std::size_t>> expected;
};

class Encoding : public testing::TestWithParam<EncodeCase> {};

TEST_P(Encoding, MapsTextToBytes) {
  const EncodeCase& encoding = GetParam();
  const auto result = charset::encode(encoding.charset, encoding.text);
  if (const auto* bytes = std::get_if<std::string_view>(&encoding.expected)) {
    ASSERT_TRUE(result.has_value()) << result.error().message();
    EXPECT_EQ(result->view(), *bytes);
  } else {
    const auto [character, offset] = std::get<std::pair<char32_t, std::size_t>>(encoding.expected);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind, Kind::CharacterNotInRepertoire);
    EXPECT_EQ(result.error().character, character);
    EXPECT_EQ(result.error().offset, offset);
    EXPECT_EQ(result.error().fixed, charset::name(encoding.charset));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Charset, Encoding,
    testing::Values(
        EncodeCase{Charset::Unoa, "abc", "abc"sv},
        EncodeCase{Charset::Unoa, "\x01\x7F", "\x01\x7F"sv},
        EncodeCase{Charset::Unoa, "x\u0080", std::pair{U'\u0080', std::size_t{1}}},
        EncodeCase{Charset::Unob, "B\u00FCro", std::pair{U'\u00FC', std::size_t{1}}},
        EncodeCase{Charset::Unoc, "B\u00FCro", "B\xFCro"sv},
        EncodeCase{Charset::Unoc, "\u20AC", std::pair{U'\u20AC', std::size_t{0}}},
        EncodeCase{Charset::Unoc, "\u00FF\u0100", std::pair{U'\u0100', std::size_t{2}}},
        EncodeCase{Charset::Unod, "\u0085\u0104", "\x85\xA1"sv},
        EncodeCase{Charset::Unod, "\u00E3", std::pair{U'\u00E3', std::size_t{0}}},
        EncodeCase{Charset::Unoe, "\u0410", "\xB0"sv},
        EncodeCase{Charset::Unof, "\u20AC", "\xA4"sv},
        EncodeCase{Charset::Unof, "a\u20AC\u20ACx\U0001F600", std::pair{U'\U0001F600', std::size_t{8}}},
        EncodeCase{Charset::Unof, "\uFFFF", std::pair{U'\uFFFF', std::size_t{0}}},
        EncodeCase{Charset::Unoj, "\u200F", "\xFE"sv},
        EncodeCase{Charset::Unok, "\u011E", "\xD0"sv},
        EncodeCase{Charset::Unoy, "B\u00FCro \U0001F600", "B\u00FCro \U0001F600"sv}));

TEST(Encoding, MalformedTextIsRefusedAtItsOffset) {
  const auto result = charset::encode(Charset::Unoc, "ab\xC3");
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().kind, Kind::InvalidText);
  EXPECT_EQ(result.error().offset, 2U);
}

TEST(Encoding, AppendingLeavesTheBufferAsItWasOnFailure) {
  std::string out = "UNB+";
  ASSERT_FALSE(charset::append_encoded(Charset::Unoc, "Stra\u00DFe \u20AC", out).has_value());
  EXPECT_EQ(out, "UNB+");
  ASSERT_TRUE(charset::append_encoded(Charset::Unoc, "Stra\u00DFe", out).has_value());
  EXPECT_EQ(out, "UNB+Stra\xDF" "e");
}

// ---------------------------------------------------------------------------------------------
// Every repertoire

class EveryRepertoire : public testing::TestWithParam<Charset> {};

TEST_P(EveryRepertoire, PassesAsciiThroughWithoutCopying) {
  const std::string ascii = "UNB+UNOC:3+9900000000003:500'\x01\x7F lower case";
  const auto decoded = charset::decode(GetParam(), ascii);
  const auto encoded = charset::encode(GetParam(), ascii);
  ASSERT_TRUE(decoded.has_value() && encoded.has_value());
  EXPECT_TRUE(decoded->is_borrowed());
  EXPECT_TRUE(encoded->is_borrowed());
  EXPECT_EQ(decoded->view().data(), ascii.data());
  EXPECT_EQ(encoded->view().data(), ascii.data());
}

// All the repertoire carries, mixed with ASCII, survives encoding and decoding.
TEST_P(EveryRepertoire, RoundTripsAllItCarries) {
  std::string text = "Stra";
  for (char32_t character = 0x80; character < 0x3000; ++character) {
    if (character >= 0xD800 && character <= 0xDFFF) continue;
    const std::string candidate = utf8_of(character);
    if (charset::encode(GetParam(), candidate)) text += candidate + "-";
  }
  if (charset::encode(GetParam(), utf8_of(0x1F600))) text += utf8_of(0x1F600);

  const auto encoded = charset::encode(GetParam(), text);
  ASSERT_TRUE(encoded.has_value()) << encoded.error().message();
  const auto decoded = charset::decode(GetParam(), encoded->view());
  ASSERT_TRUE(decoded.has_value()) << decoded.error().message();
  EXPECT_EQ(decoded->view(), text);
}

INSTANTIATE_TEST_SUITE_P(Charset, EveryRepertoire, testing::ValuesIn(charset::all_charsets),
                         [](const auto& info) { return std::string(charset::name(info.param)); });

TEST(Charset, RepertoiresCarryTheExpectedNumberOfCharacters) {
  // 128 of ASCII, plus 32 C1 controls and the assigned upper half for the 8-bit parts.
  const std::array<std::pair<Charset, int>, 11> expected = {{
      {Charset::Unoa, 128}, {Charset::Unob, 128}, {Charset::Unoc, 256}, {Charset::Unod, 256},
      {Charset::Unoe, 256}, {Charset::Unof, 253}, {Charset::Unog, 249}, {Charset::Unoh, 256},
      {Charset::Unoi, 211}, {Charset::Unoj, 220}, {Charset::Unok, 256},
  }};
  for (const auto& [repertoire, count] : expected) {
    int carried = 0;
    for (char32_t character = 0; character < 0x10000; ++character) {
      if (character >= 0xD800 && character <= 0xDFFF) continue;
      carried += charset::encode(repertoire, utf8_of(character)).has_value();
    }
    EXPECT_EQ(carried, count) << charset::name(repertoire);
  }
}

}  // namespace
