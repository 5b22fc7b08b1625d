// Properties over many generated identifiers: completion and validation agree, and single
// substitutions are caught exactly as far as each check-character scheme can catch them.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "identifier_outcome.hpp"
#include "rubo4e/identifiers/checksum.hpp"
#include "rubo4e/identifiers/eic_code.hpp"
#include "rubo4e/identifiers/marktpartner_id.hpp"
#include "rubo4e/identifiers/obis_code.hpp"

namespace {

namespace checksum = rubo4e::identifiers::checksum;
namespace eic = rubo4e::identifiers::eic_code;
namespace mp = rubo4e::identifiers::marktpartner_id;
namespace obis = rubo4e::identifiers::obis_code;
using rubo4e::error::IdentifierError;
using rubo4e_test::accepted;
using rubo4e_test::outcome;

constexpr int generated_count = 300;
const std::string checksum_message = IdentifierError::invalid_checksum().message();
constexpr std::string_view digits = "0123456789";
constexpr std::string_view upper_alphanumerics = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view eic_characters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-";

struct Generator {
  std::mt19937 engine;
  int number(int max) { return std::uniform_int_distribution<int>(0, max)(engine); }
  char pick(std::string_view alphabet) { return alphabet[static_cast<std::size_t>(number(int(alphabet.size()) - 1))]; }
  std::string text(std::string_view alphabet, std::size_t length) {
    std::string out;
    for (std::size_t i = 0; i < length; ++i) out.push_back(pick(alphabet));
    return out;
  }
};

// Calls `check(changed, position, replacement)` for every single substitution from `alphabet`.
template <typename Check>
void for_each_substitution(const std::string& text, std::size_t from, std::size_t to, std::string_view alphabet,
                           Check check) {
  for (std::size_t position = from; position < to; ++position) {
    for (char replacement : alphabet) {
      if (text[position] == replacement) continue;
      std::string changed = text;
      changed[position] = replacement;
      check(changed, position, replacement);
    }
  }
}

// The BDEW scheme doubles every second digit without taking the cross sum, so a change by 5 at
// a doubled position leaves the sum unchanged modulo 10; every other substitution is caught.
TEST(NumericIdProperty, SubstitutionsAreCaughtExceptByFiveAtDoubledPositions) {
  Generator generator{std::mt19937(11)};
  for (const auto& [length, min_first_digit] : {std::pair<std::size_t, std::uint8_t>{11, 1}, {13, 0}}) {
    for (int round = 0; round < generated_count; ++round) {
      std::string base = generator.text(digits, length - 1);
      if (base[0] - '0' < min_first_digit) base[0] = '9';
      const auto completed = checksum::compute_numeric_id_from_base(base, length, min_first_digit);
      ASSERT_TRUE(completed && completed->starts_with(base)) << base;
      ASSERT_EQ(outcome(checksum::validate_numeric_id(*completed, length, min_first_digit)), accepted);
      for_each_substitution(*completed, 0, length, digits, [&](const std::string& changed, std::size_t position, char replacement) {
        std::string expected = checksum_message;
        if (position == 0 && replacement - '0' < min_first_digit) {
          expected = fmt::format("invalid format: first digit (Vergabestelle) must be {}-9, got '{}'", min_first_digit, replacement);
        } else if (position + 1 < length && position % 2 == 1 && std::abs(replacement - (*completed)[position]) == 5) {
          expected = accepted;
        }
        EXPECT_EQ(outcome(checksum::validate_numeric_id(changed, length, min_first_digit)), expected) << changed;
      });
    }
  }
}

// The Codetyp scheme weighs letters by their character code: a substitution goes unnoticed
// exactly when the weighted difference is a multiple of 10.
TEST(AsciiIdProperty, SubstitutionsAreCaughtUnlessTheWeightedSumIsUnchanged) {
  Generator generator{std::mt19937(37)};
  const auto value = [](char c) { return c >= '0' && c <= '9' ? c - '0' : static_cast<int>(c); };
  for (std::string_view codetyp : {"A", "E", "P9"}) {
    for (int round = 0; round < generated_count; ++round) {
      const std::string base =
          std::string(codetyp) + generator.text(upper_alphanumerics, checksum::ascii_id_base_length - codetyp.size());
      const auto completed = checksum::compute_ascii_id_from_base(base, codetyp);
      ASSERT_TRUE(completed.has_value()) << base;
      ASSERT_EQ(outcome(checksum::validate_ascii_id(*completed, codetyp)), accepted) << *completed;
      for_each_substitution(*completed, codetyp.size(), checksum::ascii_id_base_length, upper_alphanumerics,
                            [&](const std::string& changed, std::size_t position, char replacement) {
                              const int weight = position % 2 == 0 ? 1 : 2;
                              const bool undetectable = weight * (value(replacement) - value((*completed)[position])) % 10 == 0;
                              EXPECT_EQ(checksum::validate_ascii_id(changed, codetyp).has_value(), undetectable) << changed;
                            });
    }
  }
}

// Modulo the prime 37 with weights 2 to 16, every single substitution changes the check value.
TEST(EicProperty, CompletedPrefixesValidateAndEverySubstitutionIsCaught) {
  Generator generator{std::mt19937(16)};
  int completed_count = 0;
  for (int round = 0; round < generated_count * 4; ++round) {
    std::string prefix = generator.text(eic_characters, eic::prefix_length);
    prefix[eic::object_type_index] = generator.pick("ATVWXYZ");
    const auto completed = eic::EicCode::complete_prefix(prefix);
    if (!completed) {
      ASSERT_EQ(outcome(completed), checksum_message) << prefix;
      for (char last : eic_characters) EXPECT_FALSE(eic::validate(prefix + last).has_value()) << prefix << last;
      continue;
    }
    ++completed_count;
    ASSERT_EQ(outcome(eic::validate(*completed)), accepted) << *completed;
    for_each_substitution(*completed, 0, eic::length, eic_characters, [&](const std::string& changed, std::size_t, char) {
      EXPECT_FALSE(eic::validate(changed).has_value()) << *completed << " -> " << changed;
    });
  }
  // About one prefix in 37 has no check character; the rest must have been exercised.
  EXPECT_GT(completed_count, generated_count * 3);
}

// GS1 weights 1 and 3 are both prime to 10: every single-digit substitution is caught.
TEST(GlnProperty, CompletedBasesCarryTheGlnCheckDigitAndSubstitutionsBreakIt) {
  Generator generator{std::mt19937(13)};
  for (int round = 0; round < generated_count; ++round) {
    const auto id = mp::gln_from_base(generator.text(digits, mp::gln_base_length));
    ASSERT_TRUE(id && id->has_valid_gln_check_digit());
    for_each_substitution(id->as_str(), 0, mp::length, digits, [&](const std::string& changed, std::size_t, char) {
      EXPECT_FALSE(mp::MarktpartnerId::create(changed)->has_valid_gln_check_digit()) << changed;
    });
  }
}

TEST(ObisProperty, RenderedComponentsParseBackToThemselves) {
  Generator generator{std::mt19937(62056)};
  const auto octet = [&] { return static_cast<std::uint8_t>(generator.number(255)); };
  const auto maybe_octet = [&] { return generator.number(1) ? std::optional(octet()) : std::nullopt; };
  for (int round = 0; round < generated_count * 4; ++round) {
    obis::ObisComponents components{maybe_octet(), std::nullopt, octet(), octet(), maybe_octet(), maybe_octet()};
    if (components.a) components.b = maybe_octet();
    const std::string text = components.render(true);
    const auto parsed = obis::ObisCode::create(text);
    ASSERT_TRUE(parsed.has_value()) << text;
    EXPECT_EQ(parsed->components(), components) << text;
    EXPECT_EQ(parsed->as_str(), text);
  }
}

}  // namespace
