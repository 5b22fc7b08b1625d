#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/interchange.hpp"
#include "edi_energy/platform/envelope_findings.hpp"
#include "edi_energy/platform/platform.hpp"
#include "support/diag.hpp"

namespace {

using edi_energy::platform::Platform;

const Platform& platform() {
  static const Platform made = Platform::with_all_profiles();
  return made;
}

constexpr std::string_view UNB = "UNB+UNOC:3+9900000000003:500+9900000000010:500+260501:1200+REF1'";
// Parties as the UNB names them.
std::string mscons(std::string_view reference, std::string_view sender = "9900000000003", std::string_view recipient = "9900000000010") {
  return "UNH+" + std::string(reference) + "+MSCONS:D:04B:UN:2.4c'BGM+7+M" + std::string(reference) +
         "+9'NAD+MS+" + std::string(sender) + "::293'NAD+MR+" + std::string(recipient) + "::293'UNT+5+" +
         std::string(reference) + "'";
}
std::string interchange(const std::string& messages, std::string_view unz) {
  return std::string(UNB) + messages + std::string(unz);
}

std::string failure_of_interchange(const std::string& input) {
  auto parsed = platform().parse_interchange_full(input);
  return parsed ? std::string("parsed") : parsed.error().message();
}
std::string failure_of_bare(const std::string& input) {
  auto parsed = platform().parse(input);
  return parsed ? std::string("parsed") : parsed.error().message();
}

struct FailureCase {
  const char* name;
  std::string input;
  std::string expected;
};

class InterchangeFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(InterchangeFailure, FailsWithItsText) { EXPECT_EQ(failure_of_interchange(GetParam().input), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Platform, InterchangeFailure,
    testing::Values(
        FailureCase{"no_unb", mscons("1") + "UNZ+1+REF1'", "required segment UNB is missing"},
        FailureCase{"nested_unh",
                    std::string(UNB) + "UNH+1+MSCONS:D:04B:UN:2.4c'" + mscons("2") + "UNZ+1+REF1'",
                    "EDIFACT parse error: segment UNH is not valid for message type ENVELOPE"},
        // The open message's last segment ends at byte 80.
        FailureCase{"unterminated", std::string(UNB) + "UNH+1+MSCONS:D:04B:UN:2.4c'BGM+7+M1+9'",
                    "EDIFACT parse error: unexpected end of input at byte offset 102"},
        FailureCase{"unz_count_above_found", interchange(mscons("1"), "UNZ+2+REF1'"),
                    "interchange UNZ count mismatch: UNZ declared 2 message(s) but 1 were found"},
        FailureCase{"unz_count_without_messages", interchange("", "UNZ+1+REF1'"),
                    "interchange UNZ count mismatch: UNZ declared 1 message(s) but 0 were found"},
        FailureCase{"unz_counts_groups_where_there_are_any",
                    std::string(UNB) + "UNG+MSCONS+9900000000003+9900000000010+260501:1200+G1+UN+D:04B'" + mscons("1") + mscons("2") +
                        "UNE+2+G1'UNZ+2+REF1'",
                    "interchange UNZ count mismatch: UNZ declared 2 group(s) but 1 were found"},
        FailureCase{"unz_reference", interchange(mscons("1"), "UNZ+1+REF2'"),
                    "interchange control reference mismatch: UNB has \"REF1\" but UNZ has \"REF2\""},
        FailureCase{"unz_reference_prefix", interchange(mscons("1"), "UNZ+1+REF'"),
                    "interchange control reference mismatch: UNB has \"REF1\" but UNZ has \"REF\""},
        FailureCase{"sender_mismatch", interchange(mscons("1", "X9"), "UNZ+1+REF1'"),
                    "interchange party mismatch: UNB DE0004 is \"9900000000003\" but NAD+MS is \"X9\" (message 0) — BDEW "
                    "Allgemeine Festlegungen §2.13 requires them to be identical"},
        FailureCase{"recipient_mismatch_in_second_message", interchange(mscons("1") + mscons("2", "9900000000003", "X9"), "UNZ+2+REF1'"),
                    "interchange party mismatch: UNB DE0010 is \"9900000000010\" but NAD+MR is \"X9\" (message 1) — BDEW "
                    "Allgemeine Festlegungen §2.13 requires them to be identical"},
        // Party first, then reference, then count.
        FailureCase{"party_before_reference_and_count", interchange(mscons("1", "X9", "X8"), "UNZ+3+REF2'"),
                    "interchange party mismatch: UNB DE0004 is \"9900000000003\" but NAD+MS is \"X9\" (message 0) — BDEW "
                    "Allgemeine Festlegungen §2.13 requires them to be identical"},
        FailureCase{"reference_before_count", interchange(mscons("1"), "UNZ+3+REF2'"),
                    "interchange control reference mismatch: UNB has \"REF1\" but UNZ has \"REF2\""},
        // Structure is judged before any message is dispatched.
        FailureCase{"nested_unh_before_dispatch_error",
                    std::string(UNB) + "UNH+1'UNT+2+1'UNH+2+MSCONS:D:04B:UN:2.4c'UNH+3'UNZ+2+REF1'",
                    "malformed segment UNH"},
        FailureCase{"dispatch_error_passes_through", interchange("UNH+1'UNT+2+1'", "UNZ+1+REF1'"),
                    "malformed segment UNH"},
        FailureCase{"tokenizer_error", std::string(UNB) + "UNH+1+MSCONS:D:04B:UN:2.4c?",
                    "EDIFACT parse error: invalid release sequence at byte offset 90: dangling release character"},
        FailureCase{"raw_input_above_limit", std::string(UNB) + std::string(10'485'760, ' '),
                    "EDIFACT parse error: input exceeded the configured max_input_bytes limit of 10485760"}),
    [](const auto& info) { return std::string(info.param.name); });

// Windows are dispatched in input order, so an earlier malformed message wins over later nesting;
// the case above named "nested_unh_before_dispatch_error" shows that, and this one the reverse.
TEST(Platform, NestedUnhBeforeTheMalformedMessageFailsAsNesting) {
  EXPECT_EQ(failure_of_interchange(std::string(UNB) + "UNH+1+MSCONS:D:04B:UN:2.4c'UNH+2'UNT+2+2'UNZ+1+REF1'"),
            "EDIFACT parse error: segment UNH is not valid for message type ENVELOPE");
}

struct AcceptCase {
  const char* name;
  std::string input;
  std::size_t messages;
  std::size_t unz_count;
  std::string unz_reference;
};

class InterchangeAccepted : public testing::TestWithParam<AcceptCase> {};

TEST_P(InterchangeAccepted, ParsesItsMessages) {
  auto parsed = platform().parse_interchange_full(GetParam().input);
  ASSERT_TRUE(parsed) << parsed.error().message();
  ASSERT_EQ(parsed->messages.size(), GetParam().messages);
  EXPECT_EQ(parsed->unz_message_count, GetParam().unz_count);
  EXPECT_EQ(parsed->unz_control_ref, GetParam().unz_reference);
  for (std::size_t i = 0; i < parsed->messages.size(); ++i) {
    EXPECT_EQ(parsed->messages[i].index, i);
    EXPECT_EQ(parsed->messages[i].header, parsed->header);
    EXPECT_EQ(parsed->messages[i].message.segments().front().tag(), "UNH");
    EXPECT_EQ(parsed->messages[i].message.segments().back().tag(), "UNT");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Platform, InterchangeAccepted,
    testing::Values(
        AcceptCase{"one", interchange(mscons("1"), "UNZ+1+REF1'"), 1, 1, "REF1"},
        AcceptCase{"count_zero", interchange(mscons("1") + mscons("2"), "UNZ+0+REF1'"), 2, 0, "REF1"},
        AcceptCase{"no_unz", std::string(UNB) + mscons("1") + mscons("2"), 2, 0, ""},
        AcceptCase{"unz_without_reference", interchange(mscons("1"), "UNZ+1'"), 1, 1, ""},
        AcceptCase{"count_with_plus", interchange(mscons("1"), "UNZ+?+1+REF1'"), 1, 1, "REF1"},
        AcceptCase{"unreadable_count", interchange(mscons("1"), "UNZ+x1+REF1'"), 1, 0, "REF1"},
        AcceptCase{"no_messages", interchange("", "UNZ+0+REF1'"), 0, 0, "REF1"},
        AcceptCase{"strays_and_trailers_outside_dropped",
                   std::string(UNB) + "UNT+9+9'" + mscons("1") + "FTX+AAB'" + mscons("2") + "UNZ+2+REF1'DTM+1'", 2,
                   2, "REF1"},
        AcceptCase{"last_unz_counts", interchange(mscons("1"), "UNZ+7+X'UNZ+1+REF1'"), 1, 1, "REF1"},
        AcceptCase{"leading_whitespace", "\r\n \t" + interchange(mscons("1"), "UNZ+1+REF1'"), 1, 1, "REF1"},
        AcceptCase{"empty_nad_sides_not_compared",
                   "UNB+UNOC:3++:500+260501:1200+REF1'" + mscons("1", "9900000000003", "9900000000010") + "UNZ+1+REF1'", 1, 1, "REF1"},
        AcceptCase{"una_declares_other_separators",
                   "UNA^|.? !UNB|UNOC^3|9900000000003^500|9900000000010^500|260501^1200|REF1!UNH|1|MSCONS^D^04B^UN^2.4c!"
                   "NAD|MS|9900000000003^^293!UNT|3|1!UNZ|1|REF1!",
                   1, 1, "REF1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Platform, MessageCountLimitCountsWindowsBeforeDispatch) {
  std::string thousand;
  for (int i = 0; i < 1000; ++i) thousand += "UNH+" + std::to_string(i) + "+MSCONS:D:04B:UN:2.4c'UNT+2+1'";
  auto accepted = platform().parse_interchange_full(interchange(thousand, "UNZ+1000+REF1'"));
  ASSERT_TRUE(accepted) << accepted.error().message();
  EXPECT_EQ(accepted->messages.size(), 1000u);
  EXPECT_EQ(accepted->messages.back().index, 999u);
  // The 1001st window would fail in dispatch; the limit must come first.
  EXPECT_EQ(failure_of_interchange(interchange(thousand + "UNH+x'UNT+2+x'", "UNZ+1001+REF1'")),
            "interchange exceeds the maximum allowed message count of 1000");
}

TEST(Platform, BareMessageSegmentLimit) {
  std::string body;
  for (int i = 0; i < 497; ++i) body += "DTM+137:20260501:102'";
  const std::string five_hundred = "UNH+1+MSCONS:D:04B:UN:2.4c'BGM+7+M1+9'" + body + "UNT+500+1'";
  EXPECT_EQ(failure_of_bare(five_hundred), "parsed");
  EXPECT_EQ(failure_of_bare(five_hundred + "UNZ+1+X'"),
            "message exceeds the maximum allowed segment count of 500 (actual: 501)");
}

TEST(Platform, BareMessageFailures) {
  EXPECT_EQ(failure_of_bare("BGM+7+M1+9'"), "required segment UNH is missing");
  EXPECT_EQ(failure_of_bare("UNH+1'UNT+2+1'"), "malformed segment UNH");
  EXPECT_EQ(failure_of_bare(std::string(10'485'761, '\'')),
            "EDIFACT parse error: input exceeded the configured max_input_bytes limit of 10485760");
  EXPECT_EQ(failure_of_bare(std::string(UNB) + mscons("1", "9900000000003", "X9") + "UNZ+1+REF1'"),
            "interchange party mismatch: UNB DE0010 is \"9900000000010\" but NAD+MR is \"X9\" (message 0) — BDEW "
            "Allgemeine Festlegungen §2.13 requires them to be identical");
}

TEST(Platform, BareMessageKeepsItsEnvelopeAndWithoutOneIsNeverAPartyMismatch) {
  auto enveloped = platform().parse(std::string(UNB) + mscons("1") + "UNZ+1+REF1'");
  ASSERT_TRUE(enveloped) << enveloped.error().message();
  EXPECT_EQ(enveloped->segments().front().tag(), "UNB");
  EXPECT_EQ(enveloped->segments().back().tag(), "UNZ");
  auto bare = platform().parse(mscons("1", "X9", "X8"));
  ASSERT_TRUE(bare) << bare.error().message();
  EXPECT_EQ(bare->nad_sender(), "X9");
}

TEST(Platform, ReceiptContextOfAMessage) {
  auto parsed = platform().parse_interchange_full(
      interchange(mscons("M7") + "UNH+U1+UTILMD:D:11A:UN'UNT+2+U1'", "UNZ+2+REF1'"));
  ASSERT_TRUE(parsed) << parsed.error().message();
  const auto first = parsed->messages[0].receipt_context();
  EXPECT_EQ(first.sender, "9900000000003");
  EXPECT_EQ(first.recipient, "9900000000010");
  EXPECT_EQ(first.message_reference, "M7");
  EXPECT_EQ(first.release.text(), "2.4c");
  EXPECT_EQ(first.prepared_on, std::chrono::year_month_day(std::chrono::year{2026}, std::chrono::May, std::chrono::day{1}));
  const auto second = parsed->messages[1].receipt_context();
  EXPECT_EQ(second.message_reference, "U1");
  EXPECT_EQ(second.release.text(), "");
  EXPECT_EQ(second.document_number, std::nullopt);
  EXPECT_EQ(second.document_date, std::nullopt);
}

// An answer names the message by its BGM document number and DTM+137, not by its UNH reference
// or the UNB date; the first of each counts, and release characters are resolved.
TEST(Platform, ReceiptContextNamesTheDocument) {
  auto parsed = platform().parse_interchange_full(interchange(
      "UNH+U1+UTILMD:D:11A:UN:S2.1'BGM+E01+DOK?+1'DTM+137:202510312300?+00:303'RFF+Z13:55001'"
      "DTM+137:209912312300?+00:303'UNT+6+U1'UNH+U2+UTILMD:D:11A:UN:S2.1'BGM+E01'DTM+92:202511010000?+00:303'"
      "UNT+4+U2'",
      "UNZ+2+REF1'"));
  ASSERT_TRUE(parsed) << parsed.error().message();
  const auto first = parsed->messages[0].receipt_context();
  EXPECT_EQ(first.document_number, "DOK+1");
  EXPECT_EQ(first.document_date, "202510312300+00");
  const auto second = parsed->messages[1].receipt_context();
  EXPECT_EQ(second.document_number, std::nullopt);
  EXPECT_EQ(second.document_date, std::nullopt);
}

std::string group(std::string_view reference, const std::string& messages, std::string_view une_count,
                  std::string_view une_reference = {}) {
  return "UNG+MSCONS+9900000000003+9900000000010+260501:1200+" + std::string(reference) + "+UN+D:04B'" + messages + "UNE+" +
         std::string(une_count) + "+" + std::string(une_reference.empty() ? reference : une_reference) + "'";
}

std::vector<std::string> rule_ids(const std::vector<edifact::report::ValidationIssue>& findings) {
  std::vector<std::string> ids;
  for (const auto& finding : findings) ids.push_back(finding.rule_id.value_or(""));
  return ids;
}

using Rules = std::vector<std::vector<std::string>>;

struct EnvelopeCase {
  const char* name;
  std::string input;
  Rules rules;  // per message
  bool sound;
  std::size_t groups;
};

class InterchangeEnvelope : public testing::TestWithParam<EnvelopeCase> {};

TEST_P(InterchangeEnvelope, FindingsGoToTheMessagesTheyConcern) {
  auto parsed = platform().parse_interchange_full(GetParam().input);
  ASSERT_TRUE(parsed) << parsed.error().message();
  Rules rules;
  for (const auto& envelope : parsed->messages) rules.push_back(rule_ids(envelope.envelope_findings));
  EXPECT_EQ(rules, GetParam().rules);
  EXPECT_EQ(parsed->envelope_sound, GetParam().sound);
  EXPECT_EQ(parsed->group_count, GetParam().groups);
}

INSTANTIATE_TEST_SUITE_P(
    Platform, InterchangeEnvelope,
    testing::Values(
        EnvelopeCase{"clean", interchange(mscons("1"), "UNZ+1+REF1'"), {{}}, true, 0},
        EnvelopeCase{"two_groups", interchange(group("G1", mscons("1") + mscons("2"), "2") + group("G2", mscons("3"), "1"),
                                               "UNZ+2+REF1'"),
                     {{}, {}, {}}, true, 2},
        EnvelopeCase{"une_reference_and_count", interchange(group("G1", mscons("1"), "3", "GX"), "UNZ+1+REF1'"),
                     {{"PARSE-ENVELOPE-REFERENCE", "PARSE-ENVELOPE-MESSAGE-COUNT"}}, false, 1},
        // An empty group's fault goes to the message before it.
        EnvelopeCase{"empty_group_miscounted",
                     interchange(group("G1", mscons("1"), "1") + group("G2", "", "1"), "UNZ+2+REF1'"),
                     {{"PARSE-ENVELOPE-MESSAGE-COUNT"}}, false, 2},
        EnvelopeCase{"empty_group_reference",
                     interchange(group("", mscons("1"), "1", "G1"), "UNZ+1+REF1'"),
                     {{"PARSE-ENVELOPE-MISSING-DATA", "PARSE-ENVELOPE-REFERENCE"}}, false, 1},
        EnvelopeCase{"message_beside_a_group", interchange(mscons("1") + group("G1", mscons("2"), "1"), "UNZ+1+REF1'"),
                     {{"PARSE-ENVELOPE-MIXED-GROUPS"}, {}}, false, 1},
        EnvelopeCase{"ung_inside_a_message_opens_no_group",
                     interchange("UNH+1+MSCONS:D:04B:UN:2.4c'UNG+MSCONS+9900000000003+9900000000010+260501:1200+G1+UN+D:04B'UNT+3+1'" +
                                     mscons("2"),
                                 "UNZ+2+REF1'"),
                     {{"PARSE-ENVELOPE-MISPLACED"}, {}}, true, 0},
        EnvelopeCase{"unb_date_of_no_calendar",
                     "UNB+UNOC:3+9900000000003:500+9900000000010:500+260230:1200+REF1'" + mscons("1") + "UNZ+1+REF1'",
                     {{"PARSE-ENVELOPE-DATE-TIME"}}, false, 0},
        EnvelopeCase{"unb_without_recipient_and_reference", "UNB+UNOC:3+9900000000003:500++260501:1200'" + mscons("1") + "UNZ+1'",
                     {{"PARSE-ENVELOPE-MISSING-DATA", "PARSE-ENVELOPE-MISSING-DATA"}}, false, 0},
        // With no message to carry the finding, the verdict still does.
        EnvelopeCase{"unb_time_without_messages", "UNB+UNOC:3+9900000000003:500+9900000000010:500+260501:2400+REF1'UNZ+0+REF1'", {}, false,
                     0},
        EnvelopeCase{"unt_without_count", interchange("UNH+1+MSCONS:D:04B:UN:2.4c'BGM+7+M1+9'UNT++1'", "UNZ+1+REF1'"),
                     {{"PARSE-ENVELOPE-MISSING-DATA"}}, true, 0},
        EnvelopeCase{"une_without_count", interchange(group("G1", mscons("1"), ""), "UNZ+1+REF1'"),
                     {{"PARSE-ENVELOPE-MISSING-DATA"}}, false, 1},
        EnvelopeCase{"group_without_une", interchange("UNG+MSCONS+S+R+260501:1200+G1+UN+D:04B'" + mscons("1"), "UNZ+1+REF1'"),
                     {{"PARSE-ENVELOPE-MISSING-SEGMENT"}}, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct BareCase {
  const char* name;
  std::string input;
  std::vector<std::string> rules;
  std::string_view first_tag;
};

class BareEnvelope : public testing::TestWithParam<BareCase> {};

TEST_P(BareEnvelope, ChecksTheMessageAndLeavesStraySegmentsOut) {
  auto parsed = platform().parse_bare(GetParam().input);
  ASSERT_TRUE(parsed) << parsed.error().message();
  EXPECT_EQ(rule_ids(parsed->envelope_findings), GetParam().rules);
  EXPECT_EQ(parsed->message.segments().front().tag(), GetParam().first_tag);
  if (GetParam().first_tag == "UNH") {
    for (const auto& segment : parsed->message.segments()) {
      EXPECT_FALSE(edi_energy::platform::is_interchange_service_segment(segment)) << segment.tag();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Platform, BareEnvelope,
    testing::Values(
        BareCase{"clean", mscons("1"), {}, "UNH"},
        BareCase{"unt_count_and_reference", "UNH+1+MSCONS:D:04B:UN:2.4c'BGM+7+M1+9'UNT+7+2'",
                 {"PARSE-ENVELOPE-REFERENCE", "PARSE-ENVELOPE-SEGMENT-COUNT"}, "UNH"},
        BareCase{"group_around", group("G1", mscons("1"), "1"), {"PARSE-ENVELOPE-MISPLACED", "PARSE-ENVELOPE-MISPLACED"},
                 "UNH"},
        // A UNB that follows names no parties of the message.
        BareCase{"unb_after", mscons("1") + "UNB+UNOC:3+X9:500+X8:500+260501:1200+REF1'", {"PARSE-ENVELOPE-MISPLACED"},
                 "UNH"},
        BareCase{"unz_inside", "UNH+1+MSCONS:D:04B:UN:2.4c'UNZ+1+R'BGM+7+M1+9'UNT+4+1'",
                 {"PARSE-ENVELOPE-MISPLACED"}, "UNH"},
        // An input that opens with a UNB carries its own envelope, checked with the message.
        BareCase{"own_envelope", interchange(mscons("1"), "UNZ+1+REF1'"), {}, "UNB"}),
    [](const auto& info) { return std::string(info.param.name); });

// What the parse events carry is what a host sees of a parse; an unknown type names none.
TEST(Platform, ParseEventsCarryTypeReleaseAndPruefidentifikator) {
  std::vector<support::diag::Event> events;
  const auto previous = support::diag::set_sink([&](const support::diag::Event& event) { events.push_back(event); });
  const std::string utilmd = "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01+D1'RFF+Z13:55001'UNT+4+1'";
  ASSERT_TRUE(platform().parse(utilmd));
  ASSERT_TRUE(platform().parse("UNH+1+XYZABC:D:11A:UN'UNT+2+1'"));
  ASSERT_TRUE(platform().parse_interchange_full(interchange(mscons("1"), "UNZ+1+REF1'")));
  support::diag::set_sink(previous);

  auto fields_of = [&](std::string_view message) {
    std::vector<std::vector<std::string>> found;
    for (const auto& event : events) {
      if (event.message != message) continue;
      std::vector<std::string> fields;
      for (const auto& field : event.fields) fields.push_back(field.name + "=" + field.value);
      found.push_back(fields);
    }
    return found;
  };
  using Fields = std::vector<std::vector<std::string>>;
  EXPECT_EQ(fields_of("parse"),
            (Fields{{"bytes=" + std::to_string(utilmd.size()), "message_type=UTILMD", "release=S2.1",
                     "pruefidentifikator=55001"},
                    {"bytes=30", "message_type=", "release=", "pruefidentifikator="}}));
  EXPECT_EQ(fields_of("parse_interchange"),
            (Fields{{"sender=9900000000003", "receiver=9900000000010", "control_ref=REF1", "segment_count=7"}}));
}

}  // namespace
