#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "edi_energy/builders/agency.hpp"
#include "edi_energy/builders/message_writer.hpp"
#include "edi_energy/builders/read_back.hpp"
#include "edi_energy/builders/timestamps.hpp"
#include "edi_energy/builders/typestate.hpp"

namespace {

using namespace edi_energy::builders;

static_assert(BothSet<Set, Set>);
static_assert(!BothSet<Set, Unset> && !BothSet<Unset, Set> && !BothSet<Unset, Unset>);

struct AgencyCase {
  AgencyKind kind;
  std::string_view party_id;
  std::string_view expected;
};

class AgencyFor : public testing::TestWithParam<AgencyCase> {};

TEST_P(AgencyFor, ChoosesTheCode) { EXPECT_EQ(agency_for(GetParam().kind, GetParam().party_id), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Builders, AgencyFor,
    testing::Values(AgencyCase{AgencyKind::Automatic, "9900357000004", "293"},
                    AgencyCase{AgencyKind::Automatic, "9812345000007", "332"},
                    AgencyCase{AgencyKind::Automatic, "4012345000023", "9"},
                    AgencyCase{AgencyKind::Automatic, "ABC", "293"},
                    AgencyCase{AgencyKind::Automatic, "", "293"},
                    // Thirteen characters but fourteen bytes: the length counts bytes.
                    AgencyCase{AgencyKind::Automatic, "98ä3450000071", "293"},
                    AgencyCase{AgencyKind::Bdew, "4012345000023", "293"},
                    AgencyCase{AgencyKind::Gs1, "9900357000004", "9"},
                    AgencyCase{AgencyKind::Code305, "9900357000004", "305"},
                    AgencyCase{AgencyKind::Code305, "11XDE-EON-NETZ", "305"},
                    AgencyCase{AgencyKind::Dvgw, "ABC", "332"},
                    // A byte outside the enumeration reads as automatic.
                    AgencyCase{static_cast<AgencyKind>(200), "4012345000023", "9"}));

struct QualifierCase {
  std::string_view party_id;
  std::string_view expected;
};

class UnbQualifier : public testing::TestWithParam<QualifierCase> {};

TEST_P(UnbQualifier, FollowsTheId) { EXPECT_EQ(unb_qualifier(GetParam().party_id), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Builders, UnbQualifier,
                         testing::Values(QualifierCase{"9900357000004", "500"}, QualifierCase{"9812345000007", "502"},
                                         QualifierCase{"4012345000023", "14"},
                                         QualifierCase{"11XDE-EON-NETZ-1", "500"}, QualifierCase{"", "500"}));

struct UtcCase {
  std::string_view text;
  std::string_view expected;
};

class CcyymmddhhmmUtc : public testing::TestWithParam<UtcCase> {};

TEST_P(CcyymmddhhmmUtc, AppendsTheZoneWhereNoneIs) {
  EXPECT_EQ(ccyymmddhhmm_utc(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Builders, CcyymmddhhmmUtc,
                         testing::Values(UtcCase{"20260401", "202604010000+00"},
                                         UtcCase{"202604011530", "202604011530+00"},
                                         UtcCase{"202604011530+01", "202604011530+01"},
                                         UtcCase{"2026-04-01", "2026-04-01"},
                                         UtcCase{"202604011530-05", "202604011530-05"},
                                         UtcCase{"0101", "0101+00"}, UtcCase{"", "+00"},
                                         // Eight bytes, not eight digits.
                                         UtcCase{"abcdefgh", "abcdefgh0000+00"}));

bool twelve_digits(const std::string& text) {
  return text.size() == 12 && std::ranges::all_of(text, [](unsigned char c) { return std::isdigit(c) != 0; });
}

TEST(Timestamps, NowIsTheCurrentUtcMinute) {
  const std::string before = now_ccyymmddhhmm();
  const std::string now = now_ccyymmddhhmm();
  const std::string after = now_ccyymmddhhmm();
  ASSERT_TRUE(twelve_digits(now)) << now;
  // Zero-padded digits compare like the instants they stand for.
  EXPECT_LE(before, now);
  EXPECT_LE(now, after);
  EXPECT_GE(now.substr(0, 4), "2024");
  const int month = std::stoi(now.substr(4, 2));
  const int hour = std::stoi(now.substr(8, 2));
  const int minute = std::stoi(now.substr(10, 2));
  EXPECT_TRUE(month >= 1 && month <= 12 && hour <= 23 && minute <= 59) << now;
}

TEST(Timestamps, DateOrNowKeepsAGivenDate) {
  EXPECT_EQ(date_or_now(std::string("not a date")), "not a date");
  EXPECT_TRUE(twelve_digits(date_or_now(std::nullopt)));
}

std::vector<std::vector<std::string>> texts_of(const std::vector<edifact::model::Segment>& segments) {
  std::vector<std::vector<std::string>> texts;
  for (const auto& segment : segments) {
    std::vector<std::string> row{std::string(segment.tag())};
    for (const auto element : segment.elements()) {
      std::string joined;
      for (const auto component : element.components()) joined += std::string(component.text) + "|";
      row.push_back(joined);
    }
    texts.push_back(row);
  }
  return texts;
}

TEST(MessageWriter, EscapesEveryValueAndCountsFromUnh) {
  auto writer = MessageWriter::open("R+1", "UTILMD", "11A", "S2.1");
  ASSERT_TRUE(writer);
  ASSERT_TRUE(writer->simple("FTX", {"ACB", "", "", "a+b:c?d'e ä"}));
  ASSERT_TRUE(writer->composites("DTM", {{"137", "202604011530+00", "303"}}));
  ASSERT_TRUE(writer->composites("NAD", {{"MS"}, {}, {"x", "", ""}}));
  auto bytes = std::move(*writer).finish("R+1");
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->bytes,
            "UNH+R?+1+UTILMD:D:11A:UN:S2.1'FTX+ACB+++a?+b?:c??d?'e ä'DTM+137:202604011530?+00:303'"
            "NAD+MS++x::'UNT+5+R?+1'");

  // Read back, the values are the ones written.
  auto segments = bytes_to_segments(bytes->bytes);
  ASSERT_TRUE(segments);
  ASSERT_EQ(segments->size(), 5u);
  EXPECT_EQ(texts_of(*segments)[1], (std::vector<std::string>{"FTX", "ACB|", "|", "|", "a+b:c?d'e ä|"}));
  EXPECT_EQ(texts_of(*segments)[0], (std::vector<std::string>{"UNH", "R+1|", "UTILMD|D|11A|UN|S2.1|"}));
}

// A field given before a segment is its source, counted from UNH; one that is not written
// (a refused segment) gives its field to none.
TEST(MessageWriter, GivesEachSegmentTheFieldsGivenBeforeIt) {
  auto writer = MessageWriter::open("1", "UTILMD", "11A", "S2.1");
  ASSERT_TRUE(writer);
  writer->by("references[1]");
  ASSERT_TRUE(writer->composites("RFF", {{"Z13", "55001"}}));
  ASSERT_TRUE(writer->simple("UNS", {"D"}));
  writer->by("bad");
  EXPECT_FALSE(writer->simple("Bgm", {"D"}));
  writer->by(1, "rechnungsnummer");
  writer->by("document");
  ASSERT_TRUE(writer->simple("DOC", {"380", "R1"}));
  auto written = std::move(*writer).finish("1");
  ASSERT_TRUE(written);
  std::vector<std::tuple<std::size_t, std::optional<std::size_t>, std::string>> sources;
  for (const auto& source : written->sources) sources.emplace_back(source.segment, source.element, source.field);
  EXPECT_EQ(sources, (decltype(sources){{0, 0, "message_reference"},
                                        {1, std::nullopt, "references[1]"},
                                        {3, 1, "rechnungsnummer"},
                                        {3, std::nullopt, "document"}}));
}

TEST(MessageWriter, RefusesATagTheParserCouldNotRead) {
  auto writer = MessageWriter::open("1", "MSCONS", "04B", "2.4c");
  ASSERT_TRUE(writer);
  const auto written = writer->simple("Bgm", {"7"});
  ASSERT_FALSE(written);
  EXPECT_EQ(written.error().kind, edi_energy::Error::Kind::EdifactParse);
  EXPECT_TRUE(written.error().message().starts_with("EDIFACT parse error: ")) << written.error().message();
}

struct ReadBackFailure {
  const char* name;
  std::string_view bytes;
};

class BytesToSegmentsFailure : public testing::TestWithParam<ReadBackFailure> {};

TEST_P(BytesToSegmentsFailure, IsAParseError) {
  const auto segments = bytes_to_segments(GetParam().bytes);
  ASSERT_FALSE(segments);
  EXPECT_EQ(segments.error().kind, edi_energy::Error::Kind::EdifactParse);
  EXPECT_TRUE(segments.error().message().starts_with("EDIFACT parse error: ")) << segments.error().message();
}

INSTANTIATE_TEST_SUITE_P(Builders, BytesToSegmentsFailure,
                         testing::Values(ReadBackFailure{"unterminated", "UNH+1+X:D:1:UN:1'BGM+7"},
                                         ReadBackFailure{"dangling_release", "UNH+1+X:D:1:UN:1'FTX+a?"},
                                         ReadBackFailure{"bad_tag", "UNH+1'bgm+7'"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BytesToSegments, ReadsBeyondOneBufferAndSkipsNothing) {
  // Longer than the 8 KiB read buffer, with escapes straddling its end.
  std::string bytes = "UNH+1+UTILMD:D:11A:UN:S2.1'";
  std::size_t count = 1;
  while (bytes.size() < 20000) {
    bytes += "FTX+ACB+++Gr??e?: Straße ?+ Weg?''";
    ++count;
  }
  const auto segments = bytes_to_segments(bytes);
  ASSERT_TRUE(segments);
  ASSERT_EQ(segments->size(), count);
  for (std::size_t i = 1; i < count; ++i) {
    ASSERT_EQ((*segments)[i].elements()[3].components()[0].text, "Gr?e: Straße + Weg'");
  }
  EXPECT_TRUE(bytes_to_segments("")->empty());
}

}  // namespace
