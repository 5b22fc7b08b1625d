#include <gtest/gtest.h>

#include <string>

#include "edifact/service_string_advice.hpp"

namespace {

using edifact::EdifactError;
using edifact::tokenizer::ServiceStringAdvice;

constexpr ServiceStringAdvice DEFAULT = ServiceStringAdvice::DEFAULT;
constexpr ServiceStringAdvice V4 = ServiceStringAdvice::SYNTAX_VERSION_4;

TEST(ServiceStringAdvice, ConstantsHoldTheFieldsInOrder) {
  EXPECT_EQ(std::string({DEFAULT.element_separator, DEFAULT.component_separator,
                         DEFAULT.release_character, DEFAULT.decimal_mark,
                         DEFAULT.repetition_separator, DEFAULT.segment_terminator}),
            "+:?. '");
  EXPECT_FALSE(DEFAULT.has_repetition_separator());
  EXPECT_EQ(V4.repetition_separator, '*');
  EXPECT_TRUE(V4.has_repetition_separator());
  EXPECT_EQ(ServiceStringAdvice{}, DEFAULT);
}

struct ReadCase {
  std::string name;
  std::string input;
  ServiceStringAdvice expected;
};

class ReadAdvice : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadAdvice, ReturnsTheAdviceThatApplies) {
  EXPECT_EQ(ServiceStringAdvice::from_bytes_unchecked(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ReadAdvice,
    testing::Values(
        ReadCase{"una_of_defaults", "UNA:+.? 'UNB+UNOC:3'", DEFAULT},
        ReadCase{"una_with_repetition", "UNA:+.?*'", V4},
        // Wire order component, element, decimal, release, repetition, terminator.
        ReadCase{"una_maps_wire_order", "UNA/*,!#~", {'*', '/', '!', ',', '#', '~'}},
        ReadCase{"una_is_not_checked", "UNA7A7\xFF" "7X", {'A', '7', '\xFF', '7', '7', 'X'}},
        ReadCase{"bom_and_line_break_before_una", "\xEF\xBB\xBF\r\nUNA:+,?*|", {'+', ':', '?', ',', '*', '|'}},
        ReadCase{"form_feed_is_not_skipped", "\fUNA:+.?*'", DEFAULT},
        ReadCase{"una_cut_short", "UNA:+.?*", DEFAULT},
        ReadCase{"una_wins_over_unb_version", "UNA:+.? 'UNB+UNOC:4+X'", DEFAULT},
        ReadCase{"unb_version_4", "UNB+UNOC:4+SENDER'", V4},
        ReadCase{"unb_version_4_at_input_end", "UNB+UNOC:4", V4},
        ReadCase{"unb_version_4_with_more_components", "UNB+UNOC:4:1+X'", V4},
        ReadCase{"unb_after_bom_and_whitespace", "\xEF\xBB\xBF \t\nUNB+UNOC:4'", V4},
        ReadCase{"unb_version_3", "UNB+UNOC:3+X'", DEFAULT},
        ReadCase{"unb_version_40", "UNB+UNOC:40+X'", DEFAULT},
        ReadCase{"unb_without_version", "UNB+UNOC+X:4'", DEFAULT},
        ReadCase{"unb_empty_version", "UNB+UNOC::4'", DEFAULT},
        ReadCase{"unb_version_in_second_element_only", "UNB+UNOC'UNH+1:4'", DEFAULT},
        ReadCase{"unb_plus_then_end", "UNB+", DEFAULT},
        ReadCase{"only_whitespace", " \r\n\t ", DEFAULT},
        ReadCase{"shorter_than_four_bytes", "UN", DEFAULT},
        ReadCase{"empty", "", DEFAULT}),
    [](const auto& info) { return info.param.name; });

struct CheckCase {
  std::string name;
  ServiceStringAdvice advice;
  bool valid;
};

class CheckAdvice : public testing::TestWithParam<CheckCase> {};

TEST_P(CheckAdvice, AcceptsOnlyUsableCharacters) {
  const auto result = GetParam().advice.validate();
  EXPECT_EQ(result.has_value(), GetParam().valid);
  if (!result) {
    EXPECT_EQ(result.error().kind, EdifactError::Kind::InvalidServiceStringAdvice);
    EXPECT_EQ(result.error().message(), "invalid UNA service string advice");
  }
}

ServiceStringAdvice with(char ServiceStringAdvice::*field, char value,
                         ServiceStringAdvice base = DEFAULT) {
  base.*field = value;
  return base;
}

using A = ServiceStringAdvice;

INSTANTIATE_TEST_SUITE_P(
    Advices, CheckAdvice,
    testing::Values(
        CheckCase{"defaults", DEFAULT, true},
        CheckCase{"version_4_defaults", V4, true},
        CheckCase{"letter_element", with(&A::element_separator, 'A'), false},
        CheckCase{"lower_letter_component", with(&A::component_separator, 'z'), false},
        CheckCase{"digit_release", with(&A::release_character, '7'), false},
        CheckCase{"digit_terminator", with(&A::segment_terminator, '0'), false},
        CheckCase{"letter_repetition", with(&A::repetition_separator, 'A'), false},
        CheckCase{"space_element", with(&A::element_separator, ' '), false},
        CheckCase{"control_terminator", with(&A::segment_terminator, '\n'), false},
        CheckCase{"high_byte_component", with(&A::component_separator, '\x80'), false},
        CheckCase{"delete_release", with(&A::release_character, '\x7F'), false},
        CheckCase{"component_equals_release", with(&A::component_separator, '?'), false},
        CheckCase{"repetition_equals_terminator", with(&A::repetition_separator, '\''), false},
        CheckCase{"element_equals_terminator", with(&A::element_separator, '\''), false},
        CheckCase{"decimal_equals_component", with(&A::decimal_mark, ':'), true},
        CheckCase{"decimal_space", with(&A::decimal_mark, ' '), true},
        CheckCase{"decimal_letter", with(&A::decimal_mark, 'X'), true},
        CheckCase{"decimal_delete", with(&A::decimal_mark, '\x7F'), false},
        CheckCase{"decimal_control", with(&A::decimal_mark, '\x1F'), false},
        CheckCase{"tilde_and_bang", ServiceStringAdvice{'~', '!', '\\', ',', '^', '|'}, true}),
    [](const auto& info) { return info.param.name; });

TEST(ServiceStringAdvice, NoRepetitionSeparatorIsLeftOutOfTheDistinctnessTest) {
  // The space stands for "none" and may not be compared with anything; a space decimal mark
  // beside it is fine too.
  ServiceStringAdvice advice = with(&A::decimal_mark, ' ');
  ASSERT_FALSE(advice.has_repetition_separator());
  EXPECT_TRUE(advice.validate().has_value());
}

}  // namespace
