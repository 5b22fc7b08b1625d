#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "support/debug_quote.hpp"
#include "support/decimal.hpp"
#include "support/diag.hpp"
#include "support/lazy.hpp"
#include "support/unicode_class.hpp"
#include "support/unicode_class_table.hpp"
#include "support/utf8.hpp"

namespace {

struct QuoteCase {
  std::string input;
  std::string shown;
};

class DebugQuoteText : public testing::TestWithParam<QuoteCase> {};

TEST_P(DebugQuoteText, EscapesLikeALiteral) {
  EXPECT_EQ(support::debug_quote(std::string_view(GetParam().input)), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DebugQuoteText,
    testing::Values(QuoteCase{"UNB", "\"UNB\""}, QuoteCase{"a\"b\\c", "\"a\\\"b\\\\c\""},
                    QuoteCase{"t\tr\rn\n", "\"t\\tr\\rn\\n\""}, QuoteCase{std::string("\0x", 2), "\"\\0x\""},
                    QuoteCase{"\x07", "\"\\u{7}\""}, QuoteCase{"\x7F", "\"\\u{7f}\""},
                    QuoteCase{"Straße — „x“", "\"Straße — „x“\""}, QuoteCase{"it's", "\"it's\""},
                    QuoteCase{"\xFF", "\"\xEF\xBF\xBD\""}));

// What may not reach a screen raw: anything invisible, anything that reorders the text around it,
// and a mark that would fuse with the quote or the character before it.
INSTANTIATE_TEST_SUITE_P(
    Unprintable, DebugQuoteText,
    testing::Values(QuoteCase{"a\u2066b\u2067c\u2068d\u2069", "\"a\\u{2066}b\\u{2067}c\\u{2068}d\\u{2069}\""},
                    QuoteCase{"\u202Eevil", "\"\\u{202e}evil\""},          // bidirectional override
                    QuoteCase{"zero\u200Bwidth", "\"zero\\u{200b}width\""},  // format character
                    QuoteCase{"\uE000", "\"\\u{e000}\""},                    // private use
                    QuoteCase{"\U0010FFFD", "\"\\u{10fffd}\""},              // private use, last plane
                    QuoteCase{"\u0378", "\"\\u{378}\""},                     // unassigned
                    QuoteCase{"\uFFFF", "\"\\u{ffff}\""},                    // noncharacter
                    QuoteCase{"a\u2028b\u2029", "\"a\\u{2028}b\\u{2029}\""},  // line and paragraph separators
                    QuoteCase{"1\u00A0000", "\"1\\u{a0}000\""},              // no-break space
                    QuoteCase{"\u3000", "\"\\u{3000}\""},                    // ideographic space
                    QuoteCase{"\u0085", "\"\\u{85}\""},                      // C1 control
                    QuoteCase{"\u00AD", "\"\\u{ad}\""},                      // soft hyphen
                    QuoteCase{"\U000E0041", "\"\\u{e0041}\""},               // tag character
                    QuoteCase{"\u0301a", "\"\\u{301}a\""},                   // leading combining mark
                    QuoteCase{"e\u0301", "\"e\\u{301}\""},                   // and after a letter
                    QuoteCase{"\u20DD", "\"\\u{20dd}\""},                    // enclosing mark
                    QuoteCase{"\uFF9E", "\"\\u{ff9e}\""},                    // extender outside Mn and Me
                    QuoteCase{"\u0903", "\"\u0903\""},                        // spacing mark: printable
                    QuoteCase{"Grüße, Ärger", "\"Grüße, Ärger\""},
                    QuoteCase{"⚡🔌 €", "\"⚡🔌 €\""},                             // emoji and symbols stay
                    QuoteCase{"a b", "\"a b\""}));

class PythonQuoteText : public testing::TestWithParam<QuoteCase> {};

TEST_P(PythonQuoteText, EscapesAsPythonReadsThem) {
  EXPECT_EQ(support::python_quote(std::string_view(GetParam().input)), GetParam().shown);
}

// As debug_quote shows them, but each escape one Python reads back as the same character.
INSTANTIATE_TEST_SUITE_P(
    Texts, PythonQuoteText,
    testing::Values(QuoteCase{"a\"b\\c\td", "\"a\\\"b\\\\c\\td\""},
                    QuoteCase{std::string("\0" "1", 2), "\"\\x001\""},  // \01 would be another character
                    QuoteCase{"1\u00A0000", "\"1\\xa0000\""}, QuoteCase{"\u00AD", "\"\\xad\""},
                    QuoteCase{"zero\u200Bwidth", "\"zero\\u200bwidth\""},
                    QuoteCase{"\U000E0041", "\"\\U000e0041\""}, QuoteCase{"Grüße ⚡", "\"Grüße ⚡\""}));

TEST(DebugQuote, CharactersAndCollections) {
  EXPECT_EQ(support::debug_quote(U'é'), "'é'");
  EXPECT_EQ(support::debug_quote(U'\''), "'\\''");
  EXPECT_EQ(support::debug_quote(U'"'), "'\"'");
  EXPECT_EQ(support::debug_quote(U'\x01'), "'\\u{1}'");
  EXPECT_EQ(support::debug_quote(U'\u0301'), "'\\u{301}'");
  EXPECT_EQ(support::debug_quote(U'\u2067'), "'\\u{2067}'");
  EXPECT_EQ(support::debug_quote(U'\u00A0'), "'\\u{a0}'");
  EXPECT_EQ(support::debug_quote(U'😀'), "'😀'");
  // Not scalar values: never written as UTF-8.
  EXPECT_EQ(support::debug_quote(char32_t{0xD800}), "'\\u{d800}'");
  EXPECT_EQ(support::debug_quote(char32_t{0x110000}), "'\\u{110000}'");
  EXPECT_EQ(support::debug_quote(std::vector<std::string>{"a", "b"}), "[\"a\", \"b\"]");
  EXPECT_EQ(support::debug_quote(std::vector<std::string>{}), "[]");
  EXPECT_EQ(support::debug_option(55001u), "Some(55001)");
  EXPECT_EQ(support::debug_option(std::nullopt), "None");
}

// The lookups skip most of each table; walking the tables in order over every code point must
// give the same answers, at block boundaries and range ends above all.
TEST(UnicodeClass, LookupsAgreeWithAWalkOverTheTables) {
  using namespace support::unicode;
  std::size_t not_printable = 0;
  std::size_t extender = 0;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    while (not_printable < not_printable_ranges.size() && not_printable_ranges[not_printable].last < c) ++not_printable;
    while (extender < grapheme_extend_ranges.size() && grapheme_extend_ranges[extender].last < c) ++extender;
    const bool listed_not_printable =
        not_printable < not_printable_ranges.size() && not_printable_ranges[not_printable].first <= c;
    const bool listed_extender =
        extender < grapheme_extend_ranges.size() && grapheme_extend_ranges[extender].first <= c;
    ASSERT_EQ(is_printable(c), !listed_not_printable) << std::hex << static_cast<std::uint32_t>(c);
    ASSERT_EQ(is_grapheme_extend(c), listed_extender) << std::hex << static_cast<std::uint32_t>(c);
  }
  EXPECT_FALSE(is_printable(0x110000));
  EXPECT_FALSE(is_grapheme_extend(0xFFFFFFFF));
}

TEST(ParseDecimal, AcceptsOnlyPlainDigitsWithinRange) {
  EXPECT_EQ(support::parse_decimal<std::uint32_t>("4294967295"), 4294967295u);
  EXPECT_EQ(support::parse_decimal<std::uint8_t>("007"), 7);
  for (std::string_view bad : {"", " 1", "1 ", "+1", "-0", "1e3", "0x1", "4294967296", "１"}) {
    EXPECT_FALSE(support::parse_decimal<std::uint32_t>(bad).has_value()) << bad;
  }
}

TEST(Utf8, RejectsMalformedSequences) {
  EXPECT_TRUE(support::utf8::is_valid("Grüße €𝄞"));
  for (std::string_view bad : {"\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                               "\xE2\x82", "\x80", "\xF8\x88\x80\x80\x80"}) {
    EXPECT_FALSE(support::utf8::is_valid(bad));
  }
  EXPECT_EQ(support::utf8::first_invalid("ab\xC3"), 2u);
  std::string out;
  for (char32_t c : {U'a', U'ß', U'€', U'𝄞'}) support::utf8::append(out, c);
  EXPECT_EQ(out, "aß€𝄞");
  EXPECT_EQ(support::utf8::scalar_count(out), 4u);
}

TEST(Lazy, BuildsOnceAndPoisonsOrRetriesOnFailure) {
  int calls = 0;
  support::Lazy<int> lazy([&] { return ++calls; });
  EXPECT_EQ(lazy.get(), 1);
  EXPECT_EQ(lazy.get(), 1);

  int poisoned_calls = 0;
  support::Lazy<int> poisoned([&]() -> int {
    ++poisoned_calls;
    throw std::runtime_error("broken");
  });
  EXPECT_THROW(poisoned.get(), std::runtime_error);
  EXPECT_THROW(poisoned.get(), support::InternalFault);
  EXPECT_EQ(poisoned_calls, 1);

  int retry_calls = 0;
  support::Lazy<int> retrying(
      [&]() -> int {
        if (++retry_calls == 1) throw std::runtime_error("once");
        return 7;
      },
      support::OnLoaderFailure::Retry);
  EXPECT_THROW(retrying.get(), std::runtime_error);
  EXPECT_EQ(retrying.get(), 7);
}

TEST(Diag, EventsReachOnlyAnInstalledSink) {
  support::diag::emit(support::diag::Level::Warn, "t", "unseen");
  std::vector<support::diag::Event> seen;
  auto previous = support::diag::set_sink([&](const auto& event) { seen.push_back(event); });
  support::diag::emit(support::diag::Level::Debug, "edi_energy::registry", "collision",
                      {{"code", "S2.1"}});
  support::diag::set_sink(previous);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].target, "edi_energy::registry");
  EXPECT_EQ(seen[0].fields.at(0).value, "S2.1");
}

}  // namespace
