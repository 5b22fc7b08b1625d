#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/messages/segments/lookup.hpp"
#include "edi_energy/messages/segments/records.hpp"
#include "../edifact/parsed_segments.hpp"

namespace {

using namespace edi_energy::messages::segments;
using edifact_test::parsed;
using std::nullopt;

template <class Record>
Record read(std::string_view text) {
  const auto segments = parsed(text);
  auto record = Record::edifact_deserialize(segments);
  EXPECT_TRUE(record.has_value()) << text << ": " << record.error().message();
  return record.value_or(Record{});
}

template <class Record>
std::string failure(std::string_view text) {
  const auto segments = parsed(text);
  auto record = Record::edifact_deserialize(segments);
  if (record.has_value()) return "<read>";
  return record.error().message();
}

TEST(SegmentRecords, FieldsComeFromTheirPositionsAndEmptyComponentsAreAbsent) {
  EXPECT_EQ(read<Dtm>("DTM+137'"), (Dtm{"137", nullopt, nullopt}));
  EXPECT_EQ(read<Dtm>("DTM+137::303'"), (Dtm{"137", nullopt, "303"}));
  EXPECT_EQ(read<Dtm>("DTM+163:202604012200?+00:303'"), (Dtm{"163", "202604012200+00", "303"}));
  EXPECT_EQ(read<Nad>("NAD+MS+9900000000003::293'"), (Nad{"MS", "9900000000003", "293", nullopt, nullopt}));
  EXPECT_EQ(read<Nad>("NAD+MS+9900000000003'"), (Nad{"MS", "9900000000003", nullopt, nullopt, nullopt}));
  EXPECT_EQ(read<Nad>("NAD+Z09+++Muster:Erika::::Z01'"), (Nad{"Z09", nullopt, nullopt, "Muster", "Z01"}));
  EXPECT_EQ(read<Nad>("NAD+Z09+++Muster:Erika:::'"), (Nad{"Z09", nullopt, nullopt, "Muster", nullopt}));
  EXPECT_EQ(read<Cav>("CAV+Z01:::Text'"), (Cav{"Z01", "Text", nullopt}));
  EXPECT_EQ(read<Cav>("CAV+Z01:::Text:Mehr'"), (Cav{"Z01", "Text", "Mehr"}));
  EXPECT_EQ(read<Cci>("CCI+Z30++Z07+Z01'"), (Cci{"Z30", "Z07", "Z01"}));
  EXPECT_EQ(read<Com>("COM+info?@example.de:EM'"), (Com{"info@example.de", "EM"}));
  EXPECT_EQ(read<Com>("COM'"), (Com{}));
  EXPECT_EQ(read<Ucm>("UCM+M1+UTILMD:D:11A:UN:S2.1+4+13'"), (Ucm{"M1", "UTILMD", "S2.1", "4", "13"}));
  EXPECT_EQ(read<Ucs>("UCS+7+12'"), (Ucs{"7", "12"}));
  EXPECT_EQ(read<Ucd>("UCD+13+3:2'"), (Ucd{"13", "3", "2"}));
  EXPECT_EQ(read<Uci>("UCI+REF1+SENDER:500+RECIPIENT:500+7'"), (Uci{"REF1", "SENDER", "RECIPIENT", "7"}));
  EXPECT_EQ(read<Sts>("STS+7++E01+ZW4'"), (Sts{"7", nullopt, "E01"}));
  EXPECT_EQ(read<Pia>("PIA+5+1-1?:1.8.1:SRW'"), (Pia{"5", "1-1:1.8.1", "SRW"}));
  EXPECT_EQ(read<Qty>("QTY+220:4250.5:KWH'"), (Qty{"220", "4250.5", "KWH"}));
  EXPECT_EQ(read<Rff>("RFF+Z13:55001'"), (Rff{"Z13", "55001"}));
  EXPECT_EQ(read<Seq>("SEQ+Z79+1'"), (Seq{"Z79", "1"}));
  EXPECT_EQ(read<Lin>("LIN'"), (Lin{}));
  EXPECT_EQ(read<Ide>("IDE+24+VORGANG1'"), (Ide{"24", "VORGANG1"}));
  EXPECT_EQ(read<Loc>("LOC+172+DE0001'"), (Loc{"172", "DE0001"}));
  EXPECT_EQ(read<Ftx>("FTX+AAO+++Hinweis'"), (Ftx{"AAO", "Hinweis"}));
  EXPECT_EQ(read<Erc>("ERC+Z29'"), (Erc{"Z29"}));
  EXPECT_EQ(read<Ajt>("AJT+Z01+3'"), (Ajt{"Z01", "3"}));
  EXPECT_EQ(read<Bgm>("BGM+E01+DOC1+9'"), (Bgm{"E01", "DOC1", "9"}));
}

TEST(SegmentRecords, ReadsTheFirstSegmentOfItsTagAndIgnoresTheOthers) {
  EXPECT_EQ(read<Rff>("UNH+1+X'FTX+AAO'RFF+ACW:1'RFF+Z13:2'"), (Rff{"ACW", "1"}));
  // Tags compare exactly: a lower-case one (only a builder can make it) is another tag.
  const std::vector<edifact::model::Segment> lower_case{edifact::model::Segment::from_texts("rff", {{"ACW", "1"}})};
  EXPECT_EQ(Rff::edifact_deserialize(lower_case).error().message(),
            "required segment RFF is missing from message (position message body)");
}

struct ReadFailure {
  std::string name;
  std::string text;
  std::string (*read)(std::string_view);
  std::string message;
};

const ReadFailure read_failures[] = {
    {"dtm_empty_qualifier", "DTM+:202601010000:203'", failure<Dtm>, "missing required element 0 in segment DTM"},
    {"nad_empty_qualifier", "NAD++9900000000003'", failure<Nad>, R"(segment NAD element 0: invalid field value "")"},
    {"nad_without_elements", "NAD'", failure<Nad>, "missing required element 0 in segment NAD"},
    {"nad_empty_first_element", "NAD++X'", failure<Nad>, R"(segment NAD element 0: invalid field value "")"},
    {"ucm_without_action", "UCM+M1+UTILMD:D:11A:UN:S2.1'", failure<Ucm>, "missing required element 2 in segment UCM"},
    {"ucm_without_type", "UCM+M1'", failure<Ucm>, "missing required element 1 in segment UCM"},
    {"ucm_empty_reference_first", "UCM+:X'", failure<Ucm>, "missing required element 0 in segment UCM"},
    {"bgm_empty_code", "BGM++DOC'", failure<Bgm>, "missing required element 0 in segment BGM"},
    {"erc_without_elements", "ERC'", failure<Erc>, "missing required element 0 in segment ERC"},
    {"slice_without_the_tag", "DTM+137'", failure<Qty>, "required segment QTY is missing from message (position message body)"},
};

class ReadFailureTest : public testing::TestWithParam<ReadFailure> {};

TEST_P(ReadFailureTest, GivesTheSyntaxErrorText) {
  EXPECT_EQ(GetParam().read(GetParam().text), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(SegmentRecords, ReadFailureTest, testing::ValuesIn(read_failures),
                         [](const auto& info) { return info.param.name; });

TEST(SegmentRecords, NadWhoseFirstElementHasNoComponentIsMissingTheElement) {
  const std::vector<edifact::model::Segment> built{edifact::model::Segment::from_texts("NAD", {{}, {"1"}})};
  EXPECT_EQ(Nad::edifact_deserialize(built).error().message(), "missing required element 0 in segment NAD");
}

TEST(SegmentRecords, CollectDtmKeepsTheReadableOnesInOrder) {
  const auto segments = parsed("DTM+137:1:102'BGM+E01'DTM+:2:102'DTM+163'UNT+4+1'");
  EXPECT_EQ(collect_dtm(segments), (std::vector<Dtm>{{"137", "1", "102"}, {"163", nullopt, nullopt}}));
  EXPECT_TRUE(collect_dtm(parsed("BGM+E01'")).empty());
}

TEST(SegmentRecords, FindNadTakesTheFirstExactQualifierAndNeverALaterOne) {
  const auto segments = parsed("NAD+MSX+1'NAD+MS'NAD+MS+2'NAD+MR+3'");
  EXPECT_EQ(find_nad(segments, "MS"), (Nad{"MS", nullopt, nullopt, nullopt, nullopt}));
  EXPECT_EQ(find_nad(segments, "MR")->party_id, "3");
  EXPECT_EQ(find_nad(segments, "DP"), nullopt);
  EXPECT_EQ(find_nad(segments, ""), nullopt);
}

}  // namespace
