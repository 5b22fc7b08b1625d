#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edi_energy/builders/interchange.hpp"
#include "edi_energy/interchange.hpp"
#include "edi_energy/platform/platform.hpp"

namespace {

using edi_energy::builders::interchange::InterchangeBuilder;

InterchangeBuilder builder(std::vector<std::string> messages) {
  InterchangeBuilder made;
  made.sender = "9900357000004";
  made.receiver = "4012345000023";
  made.control_reference = "R1";
  made.date = "260401";
  made.time = "0930";
  made.messages = std::move(messages);
  return made;
}

std::string mscons(std::string_view reference, std::string_view extra = "") {
  return "UNH+" + std::string(reference) + "+MSCONS:D:04B:UN:2.4c'BGM+7+M1+9'" + std::string(extra) +
         "NAD+MS+9900357000004::293'NAD+MR+4012345000023::9'UNT+5+" + std::string(reference) + "'";
}

struct BuiltCase {
  const char* name;
  InterchangeBuilder input;
  std::string expected;
};

class InterchangeBuildWritten : public testing::TestWithParam<BuiltCase> {};

TEST_P(InterchangeBuildWritten, WritesTheEnvelope) {
  auto input = GetParam().input;
  const auto bytes = std::move(input).build();
  ASSERT_TRUE(bytes) << bytes.error().message();
  EXPECT_EQ(*bytes, GetParam().expected);
}

InterchangeBuilder with_parties(std::string sender, std::string receiver, std::string reference) {
  InterchangeBuilder made = builder({});
  made.sender = std::move(sender);
  made.receiver = std::move(receiver);
  made.control_reference = std::move(reference);
  return made;
}

InterchangeBuilder with_application_reference() {
  InterchangeBuilder made = builder({"UNH+1'UNT+2+1'"});
  made.application_reference = "TL";
  return made;
}

INSTANTIATE_TEST_SUITE_P(
    Builders, InterchangeBuildWritten,
    testing::Values(
        BuiltCase{"one_message", builder({mscons("1")}),
                  "UNB+UNOC:3+9900357000004:500+4012345000023:14+260401:0930+R1'" + mscons("1") + "UNZ+1+R1'"},
        // UNZ counts the messages, also two in one payload, so the parser's count check passes.
        BuiltCase{"two_messages_in_one_payload", builder({mscons("1") + mscons("2"), mscons("3")}),
                  "UNB+UNOC:3+9900357000004:500+4012345000023:14+260401:0930+R1'" + mscons("1") + mscons("2") +
                      mscons("3") + "UNZ+3+R1'"},
        // An escaped terminator opens no segment; an FTX value "UNH" is no UNH.
        BuiltCase{"escaped_unh_is_text", builder({"UNH+1'FTX+ACB+++x?'UNH+y'FTX+UNH'UNT+3+1'"}),
                  "UNB+UNOC:3+9900357000004:500+4012345000023:14+260401:0930+R1'UNH+1'FTX+ACB+++x?'UNH+y'FTX+UNH'"
                  "UNT+3+1'UNZ+1+R1'"},
        BuiltCase{"line_breaks_between_segments", builder({"UNH+1'\r\nUNT+2+1'\nUNH+2'UNT+2+2'"}),
                  "UNB+UNOC:3+9900357000004:500+4012345000023:14+260401:0930+R1'UNH+1'\r\nUNT+2+1'\nUNH+2'UNT+2+2'"
                  "UNZ+2+R1'"},
        BuiltCase{"no_payloads", builder({}),
                  "UNB+UNOC:3+9900357000004:500+4012345000023:14+260401:0930+R1'UNZ+0+R1'"},
        BuiltCase{"umlaut_as_latin1", builder({"UNH+1'FTX+ACB+++Bär'UNT+3+1'"}),
                  "UNB+UNOC:3+9900357000004:500+4012345000023:14+260401:0930+R1'UNH+1'FTX+ACB+++B\xE4r'UNT+3+1'"
                  "UNZ+1+R1'"},
        BuiltCase{"qualifiers_and_escaped_values", with_parties("9812345000007", "11XDE-EON-NETZ-1", "R+1:ä"),
                  "UNB+UNOC:3+9812345000007:502+11XDE-EON-NETZ-1:500+260401:0930+R?+1?:\xE4'UNZ+0+R?+1?:\xE4'"},
        BuiltCase{"application_reference", with_application_reference(),
                  "UNB+UNOC:3+9900357000004:500+4012345000023:14+260401:0930+R1++TL'UNH+1'UNT+2+1'UNZ+1+R1'"}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
  const char* name;
  InterchangeBuilder input;
  std::string_view prefix;
};

class InterchangeBuildFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(InterchangeBuildFailure, IsASerializationError) {
  auto input = GetParam().input;
  const auto bytes = std::move(input).build();
  ASSERT_FALSE(bytes);
  EXPECT_EQ(bytes.error().kind, edi_energy::Error::Kind::EdifactSerialize);
  const std::string message = bytes.error().message();
  EXPECT_TRUE(message.starts_with(GetParam().prefix)) << message;
  EXPECT_GT(message.size(), GetParam().prefix.size()) << "the cause follows the prefix";
}

InterchangeBuilder with_sender(std::string sender) {
  InterchangeBuilder made = builder({mscons("1")});
  made.sender = std::move(sender);
  return made;
}

INSTANTIATE_TEST_SUITE_P(
    Builders, InterchangeBuildFailure,
    testing::Values(
        FailureCase{"euro_in_payload", builder({mscons("1", "FTX+ACB+++5 €'")}),
                    "EDIFACT serialization error: message payload: "},
        FailureCase{"invalid_utf8_payload", builder({mscons("1"), "UNH+1'FTX+ACB+++\xC3('UNT+3+1'"}),
                    "EDIFACT serialization error: message payload is not UTF-8: "},
        FailureCase{"euro_in_sender", with_sender("€1"), "EDIFACT serialization error: UNB envelope: "}),
    [](const auto& info) { return std::string(info.param.name); });

const edi_energy::platform::Platform& platform() {
  static const edi_energy::platform::Platform made = edi_energy::platform::Platform::with_all_profiles();
  return made;
}

TEST(InterchangeBuilder, ItsOutputPassesTheInterchangeParse) {
  auto bytes = builder({mscons("1", "FTX+ACB+++Grüße ?+ Dank?''") + mscons("2"), mscons("3")}).build();
  ASSERT_TRUE(bytes);
  const auto parsed = platform().parse_interchange_full(*bytes);
  ASSERT_TRUE(parsed) << parsed.error().message();
  EXPECT_EQ(parsed->messages.size(), 3u);
  EXPECT_EQ(parsed->unz_message_count, 3u);
  EXPECT_EQ(parsed->header.sender, "9900357000004");
  EXPECT_EQ(parsed->header.recipient_qualifier, "14");
}

}  // namespace
