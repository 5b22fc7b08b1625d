#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edi_energy/release.hpp"
#include "support/diag.hpp"

namespace {

using edi_energy::release::Release;
using edi_energy::release::ReleaseKind;
using edi_energy::release::ReleaseTrack;

ReleaseKind three_part(std::uint32_t major, std::uint32_t minor, std::uint32_t patch, char letter) {
  return {ReleaseKind::ThreePart{major, minor, patch, letter}};
}
ReleaseKind two_part(std::uint32_t major, std::uint32_t minor, char letter) {
  return {ReleaseKind::TwoPart{major, minor, letter}};
}
ReleaseKind strom(std::uint32_t major, std::uint32_t minor, std::optional<char> suffix = std::nullopt) {
  return {ReleaseKind::Strom{major, minor, suffix}};
}
ReleaseKind gas(std::uint32_t major, std::uint32_t minor, std::optional<char> suffix = std::nullopt) {
  return {ReleaseKind::Gas{major, minor, suffix}};
}
ReleaseKind opaque(std::string text) { return {ReleaseKind::Opaque{std::move(text)}}; }

struct ParseCase {
  std::string text;
  ReleaseKind expected;
};

void PrintTo(const ParseCase& parse_case, std::ostream* out) { *out << '"' << parse_case.text << '"'; }

class ReleaseKindParse : public testing::TestWithParam<ParseCase> {};

TEST_P(ReleaseKindParse, ClassifiesTheText) {
  EXPECT_EQ(ReleaseKind::parse(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    PrefixedForms, ReleaseKindParse,
    testing::Values(ParseCase{"S2.1", strom(2, 1)}, ParseCase{"S2.1E", strom(2, 1, 'E')},
                    ParseCase{"G2.4c", gas(2, 4, 'c')}, ParseCase{"S+2.+1", strom(2, 1)},
                    ParseCase{"S4294967295.0", strom(4294967295u, 0)},
                    // Prefixed texts that fail the form fall through and end opaque.
                    ParseCase{"s2.1", opaque("s2.1")}, ParseCase{"S2.1ab", opaque("S2.1ab")},
                    ParseCase{"S2.1.3", opaque("S2.1.3")}, ParseCase{"G", opaque("G")},
                    ParseCase{"S2.e", opaque("S2.e")}, ParseCase{"S-2.1", opaque("S-2.1")},
                    ParseCase{"S4294967296.1", opaque("S4294967296.1")}));

INSTANTIATE_TEST_SUITE_P(
    NumericForms, ReleaseKindParse,
    testing::Values(ParseCase{"2.4c", two_part(2, 4, 'c')}, ParseCase{"+02.+4c", two_part(2, 4, 'c')},
                    ParseCase{"1.10.0z", three_part(1, 10, 0, 'z')},
                    ParseCase{"4294967295.4294967295c", two_part(4294967295u, 4294967295u, 'c')},
                    ParseCase{"2.4294967296c", opaque("2.4294967296c")},
                    ParseCase{"1.2.4294967296a", opaque("1.2.4294967296a")}, ParseCase{"2.2", opaque("2.2")},
                    ParseCase{"2.4C", opaque("2.4C")}, ParseCase{"1.2.3", opaque("1.2.3")},
                    ParseCase{"1.2.3.4a", opaque("1.2.3.4a")}, ParseCase{"1..3a", opaque("1..3a")},
                    ParseCase{".4c", opaque(".4c")}, ParseCase{"2.c", opaque("2.c")}, ParseCase{"-2.4c", opaque("-2.4c")},
                    ParseCase{"2.4cc", opaque("2.4cc")}, ParseCase{"", opaque("")},
                    ParseCase{std::string("2.4\0c", 5), opaque(std::string("2.4\0c", 5))}));

TEST(SplitTwoNumericWithSuffix, ReadsMajorMinorAndOneSuffixLetter) {
  using edi_energy::release::split_two_numeric_with_suffix;
  using edi_energy::release::TwoNumericWithSuffix;
  EXPECT_EQ(split_two_numeric_with_suffix("2.1"), (TwoNumericWithSuffix{2, 1, std::nullopt}));
  EXPECT_EQ(split_two_numeric_with_suffix("10.20Z"), (TwoNumericWithSuffix{10, 20, 'Z'}));
  EXPECT_EQ(split_two_numeric_with_suffix("2.ab"), std::nullopt);
  EXPECT_EQ(split_two_numeric_with_suffix("21"), std::nullopt);
}

TEST(ReleaseTrackOfKind, FollowsTheForm) {
  const std::vector<std::pair<std::string, ReleaseTrack>> cases{
      {"S2.2", ReleaseTrack::Strom}, {"G1.2", ReleaseTrack::Gas},   {"1.2.3a", ReleaseTrack::ThreePart},
      {"2.4c", ReleaseTrack::TwoPart}, {"2.2", ReleaseTrack::Opaque},
  };
  for (const auto& [text, track] : cases) {
    EXPECT_EQ(ReleaseKind::parse(text).track(), track) << text;
  }
}

// Strictly ascending: forms grouped, numbers numeric, ties and opaque texts decided by bytes.
const std::vector<std::string> ascending_releases{
    "1.2.3a", "1.9.0a", "1.10.0a", "1.9a",  "1.10a", "02.4c", "2.4c", "2.4d",  "S+2.1", "S2.1", "S2.1A",
    "S2.1a",  "S2.2",   "S10.0",   "G1.1",  "G1.2",  "",      "1.1",  "1.2",   "2.2",   "2.4C", "z",
    "\xC3\xA4",
};

TEST(ReleaseOrder, IsTotalAndStrictOverTheLadder) {
  for (std::size_t i = 0; i < ascending_releases.size(); ++i) {
    for (std::size_t j = 0; j < ascending_releases.size(); ++j) {
      const Release left(ascending_releases[i]);
      const Release right(ascending_releases[j]);
      EXPECT_EQ(left.cmp(right), i <=> j) << '"' << ascending_releases[i] << "\" vs \"" << ascending_releases[j] << '"';
      EXPECT_EQ(left == right, i == j);
    }
  }
}

TEST(Release, KeepsTheTextExactlyAndSharesItBetweenCopies) {
  const Release original(std::string(" S2.1 "));
  const Release copy = original;  // NOLINT(performance-unnecessary-copy-initialization)
  EXPECT_EQ(copy.text(), " S2.1 ");
  EXPECT_EQ(copy.text().data(), original.text().data());
  EXPECT_EQ(Release().text(), "");
  EXPECT_EQ(fmt::format("{}", Release("G1.2")), "G1.2");
}

class OpaqueReleaseWarning : public testing::Test {
 protected:
  void SetUp() override {
    previous_ = support::diag::set_sink([this](const support::diag::Event& event) { events_.push_back(event); });
  }
  void TearDown() override { support::diag::set_sink(std::move(previous_)); }

  std::vector<support::diag::Event> events_;

 private:
  support::diag::Sink previous_;
};

TEST_F(OpaqueReleaseWarning, IsEmittedByKindForEachOpaqueClassification) {
  for (const char* text : {"S2.1", "G1.2", "2.4c", "1.2.3a"}) Release(text).kind();
  ReleaseKind::parse("2.2");
  EXPECT_TRUE(events_.empty()) << "known forms and parse itself stay silent";

  EXPECT_TRUE(std::holds_alternative<ReleaseKind::Opaque>(Release("2.2").kind().form));
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_EQ(events_[0].level, support::diag::Level::Warn);
  EXPECT_EQ(events_[0].target, "edi_energy::release");
  EXPECT_EQ(events_[0].message,
            "unrecognised BDEW release code pattern — defaulting to Opaque track; update ReleaseKind::parse() if "
            "this is a new BDEW convention");
  ASSERT_EQ(events_[0].fields.size(), 1u);
  EXPECT_EQ(events_[0].fields[0].name, "release");
  EXPECT_EQ(events_[0].fields[0].value, "2.2");

  // Not cached: every classification warns again, each opaque side of a comparison too.
  EXPECT_LT(Release("S2.1"), Release("2.2"));
  EXPECT_EQ(events_.size(), 2u);
  EXPECT_LT(Release("1.1"), Release("2.2"));
  EXPECT_EQ(events_.size(), 4u);
}

}  // namespace
