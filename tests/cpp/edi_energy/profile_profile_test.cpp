#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "edi_energy/profile/document_date.hpp"
#include "edi_energy/profile/profile.hpp"

namespace {

namespace model = edi_energy::profile::model;
namespace chrono = std::chrono;
using edi_energy::error::ProfileError;
using edi_energy::profile::Profile;

model::MigProfile mig(std::string message_type = "UTILMD", std::string release = "S2.1") {
  model::MigProfile document;
  document.message_type = std::move(message_type);
  document.release = std::move(release);
  document.valid_from = "2026-04-01";
  document.structure = {model::Node{model::SegmentNode{.nr = "00001", .tag = "UNH", .max = 1}},
                        model::Node{model::GroupNode{
                            .group = "SG2", .max = 9, .children = {model::Node{model::SegmentNode{.nr = "00002", .tag = "NAD"}}}}}};
  return document;
}

model::AhbProfile ahb(std::string message_type = "UTILMD", std::string release = "S2.1",
                      std::vector<std::optional<std::uint32_t>> pids = {}) {
  model::AhbProfile document;
  document.message_type = std::move(message_type);
  document.release = std::move(release);
  for (std::size_t position = 0; position < pids.size(); ++position) {
    document.anwendungsfaelle.push_back(model::Anwendungsfall{.pid = pids[position], .name = std::to_string(position)});
  }
  return document;
}

model::MigProfile with_dates(model::MigProfile document, std::string valid_from, std::optional<std::string> valid_until) {
  document.valid_from = std::move(valid_from);
  document.valid_until = std::move(valid_until);
  return document;
}

struct CreateFailure {
  std::string name;
  model::MigProfile mig;
  model::AhbProfile ahb;
  std::string field;
  std::string value;
  std::string reason;
};

class CreateFailureTest : public testing::TestWithParam<CreateFailure> {};

TEST_P(CreateFailureTest, NamesTheFieldValueAndReason) {
  auto created = Profile::create(GetParam().mig, GetParam().ahb);
  ASSERT_FALSE(created.has_value());
  EXPECT_EQ(created.error(), ProfileError::invalid_field(GetParam().field, GetParam().value, GetParam().reason));
}

constexpr std::string_view different_documents = "mig.json and ahb.json describe different documents";
constexpr std::string_view unknown_type = "not an EDI@Energy message type";

const CreateFailure create_failures[] = {
    {"releases_differ", mig("UTILMD", "S2.1"), ahb("UTILMD", "S2.2"), "release", "UTILMD S2.1 / UTILMD S2.2",
     std::string(different_documents)},
    {"documents_compared_before_the_type_is_known", mig("FOOBAR", "1.0"), ahb("FOOBAR", "1.1"), "release",
     "FOOBAR 1.0 / FOOBAR 1.1", std::string(different_documents)},
    {"unknown_type_before_bad_dates", with_dates(mig("FOOBAR", "1.0"), "2026-13-01", "x"), ahb("FOOBAR", "1.0"),
     "message_type", "FOOBAR", std::string(unknown_type)},
    {"type_matched_exactly", mig("utilmd"), ahb("utilmd"), "message_type", "utilmd", std::string(unknown_type)},
    {"valid_from_before_valid_until", with_dates(mig(), "2026-02-30", "2026-13-01"), ahb(), "valid_from", "2026-02-30",
     "day was not in range"},
    {"valid_until_month", with_dates(mig(), "2026-04-01", "2026-13-01"), ahb(), "valid_until", "2026-13-01",
     "the 'month' component could not be parsed"},
};

INSTANTIATE_TEST_SUITE_P(Profile, CreateFailureTest, testing::ValuesIn(create_failures),
                         [](const auto& info) { return info.param.name; });

TEST(Profile, CreateKeepsTheDocumentsAndTheirHeaderValues) {
  auto created = Profile::create(with_dates(mig("MSCONS", "2.4c"), "2026-04-01", "2026-09-30"), ahb("MSCONS", "2.4c"));
  ASSERT_TRUE(created.has_value()) << created.error().message();
  const Profile& profile = *created;
  EXPECT_EQ(profile.message_type(), edi_energy::message_type::MessageType::Mscons);
  EXPECT_EQ(profile.release().text(), "2.4c");
  EXPECT_EQ(profile.valid_from(), chrono::year_month_day(chrono::year(2026) / 4 / 1));
  EXPECT_EQ(profile.valid_until(), chrono::year_month_day(chrono::year(2026) / 9 / 30));
  EXPECT_EQ(profile.mig(), with_dates(mig("MSCONS", "2.4c"), "2026-04-01", "2026-09-30"));
  EXPECT_EQ(profile.structure().nodes.size(), 3u);
  ASSERT_EQ(profile.group_schema().size(), 1u);
  EXPECT_EQ(profile.group_schema()[0].trigger, "NAD");
}

TEST(Profile, LastAnwendungsfallOfAPruefidentifikatorWins) {
  auto created = Profile::create(
      mig(), ahb("UTILMD", "S2.1", {std::nullopt, 55002, 55001, 55001, 55003, std::nullopt, 55003, 55001}));
  ASSERT_TRUE(created.has_value());
  const Profile profile = std::move(*created);
  const auto& anwendungsfaelle = profile.ahb().anwendungsfaelle;
  EXPECT_EQ(profile.anwendungsfall(55001), &anwendungsfaelle[7]);
  EXPECT_EQ(profile.anwendungsfall(55002), &anwendungsfaelle[1]);
  EXPECT_EQ(profile.anwendungsfall(55003), &anwendungsfaelle[6]);
  EXPECT_EQ(profile.anwendungsfall(99999), nullptr);
  EXPECT_EQ(profile.pid_index().size(), 3u);
}

constexpr std::string_view mig_json =
    R"({"message_type":"CONTRL","release":"2.0b","schema_version":2,"ahb_version":"1.0","source":{"file":"c.pdf"},)"
    R"("valid_from":"2026-01-01","structure":[{"nr":"00001","tag":"UNH","status":"M","max":1},)"
    R"({"group":"SG1","status":"D","max":999999,"children":[{"nr":"00003","tag":"UCM","status":"M","max":1}]}]})";

std::string ahb_json(std::string_view release) {
  return std::string(R"({"message_type":"CONTRL","release":")") + std::string(release) +
         R"(","schema_version":2,"ahb_version":"1.0","source":{"file":"c.pdf"},)"
         R"("anwendungsfaelle":[{"name":"Empfangsbestätigung","rows":[]}]})";
}

TEST(Profile, FromJsonReadsThenCreatesAndPassesFaultsOn) {
  auto read = Profile::from_json(mig_json, ahb_json("2.0b"));
  ASSERT_TRUE(read.has_value()) << read.error().message();
  EXPECT_EQ(read->message_type(), edi_energy::message_type::MessageType::Contrl);
  EXPECT_EQ(read->valid_from(), chrono::year_month_day(chrono::year(2026) / 1 / 1));
  EXPECT_EQ(read->structure().roots.size(), 2u);
  EXPECT_EQ(read->valid_until(), std::nullopt);
  // Its one Anwendungsfall carries no Prüfidentifikator.
  EXPECT_TRUE(read->pid_index().empty());
  EXPECT_EQ(read->anwendungsfall(0), nullptr);

  // Faults are passed on unchanged.
  auto unreadable = Profile::from_json("", ahb_json("2.0b"));
  ASSERT_FALSE(unreadable.has_value());
  EXPECT_EQ(unreadable.error().field, "mig.json");
  auto mismatched = Profile::from_json(mig_json, ahb_json("2.0c"));
  ASSERT_FALSE(mismatched.has_value());
  EXPECT_EQ(mismatched.error(),
            ProfileError::invalid_field("release", "CONTRL 2.0b / CONTRL 2.0c", std::string(different_documents)));
}

struct DateCase {
  std::string text;
  std::string expected;  // the date as YYYY-MM-DD, or the reason

  friend void PrintTo(const DateCase& date, std::ostream* out) { *out << '"' << date.text << '"'; }
};

std::string outcome(std::string_view text) {
  auto date = edi_energy::profile::parse_document_date(text);
  if (!date) return date.error();
  return std::to_string(static_cast<int>(date->year())) + "-" + std::to_string(static_cast<unsigned>(date->month())) +
         "-" + std::to_string(static_cast<unsigned>(date->day()));
}

class DocumentDateTest : public testing::TestWithParam<DateCase> {};

TEST_P(DocumentDateTest, ReadsIsoDates) { EXPECT_EQ(outcome(GetParam().text), GetParam().expected); }

const DateCase date_cases[] = {
    {"2026-03-29", "2026-3-29"},
    {"20260329", "2026-3-29"},
    {"2026-088", "2026-3-29"},
    {"2026088", "2026-3-29"},
    {"2026-W13-7", "2026-3-29"},
    {"+002026-03-29", "2026-3-29"},
    {"-000044-03-15", "-44-3-15"},
    {"2024-02-29", "2024-2-29"},
    {"2026-W53-4", "2026-12-31"},
    {"2026-W01-1", "2025-12-29"},
    {"2026-366", "ordinal was not in range"},
    {"2026-400", "the 'month' component could not be parsed"},
    {"2025-W53-1", "week was not in range"},
    {"2026-W54-1", "the 'week' component could not be parsed"},
    {"2026-W13-8", "the 'weekday' component could not be parsed"},
    {"2026-02-29", "day was not in range"},
    {"2026-04-32", "the 'day' component could not be parsed"},
    {"2026-03x29", "a character literal was not valid"},
    {"2026-03-29T10:00", "2026-3-29"},
    {"2026-03-29T25:00", "unexpected trailing characters; the end of input was expected"},
    {" 2026-03-29", "the 'year' component could not be parsed"},
    {"+012026-03-29", "the 'year' component could not be parsed"},
};

INSTANTIATE_TEST_SUITE_P(Profile, DocumentDateTest, testing::ValuesIn(date_cases));

}  // namespace
