#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "edi_energy/messages/core.hpp"
#include "edi_energy/message.hpp"
#include "../edifact/parsed_segments.hpp"

namespace {

using edi_energy::message_type::MessageType;
using edi_energy::messages::core::MessageCore;
using edifact_test::parsed;

TEST(MessageCore, EnvelopeFlagAndReleaseFollowTheInputs) {
  struct Case {
    std::string text;
    std::string release;
    bool has_unb;
  };
  for (const Case& c : {Case{"UNH+1+UTILMD'UNT+2+1'", "S2.1", false},
                        Case{"UNB+UNOC:3+A+B+260401:1200+R'UNH+1+UTILMD'UNT+2+1'UNZ+1+R'", "", true},
                        Case{"UNH+1+UTILMD'UNT+2+1'UNB+UNOC:3'", "S2.1", true}}) {
    const auto core = MessageCore::new_on_date(parsed(c.text), std::string_view("1"), std::string_view(c.release),
                                               55001, MessageType::Aperak);
    EXPECT_EQ(core.has_unb, c.has_unb) << c.text;
    EXPECT_EQ(core.release_text, c.release);
    EXPECT_EQ(core.release.has_value(), !c.release.empty());
    EXPECT_EQ(core.date, std::nullopt);
    EXPECT_EQ(core.message_type, MessageType::Aperak);
    auto detected = edi_energy::message::detect_release(core);
    EXPECT_EQ(detected ? std::string(detected->text()) : detected.error().message(),
              c.release.empty() ? "release code is missing in UNH segment" : c.release);
  }
}

TEST(MessageCore, SerializeFailureIsAParseErrorWithTheSyntaxErrorInside) {
  const auto core = MessageCore::new_on_date({edifact::model::Segment::from_texts("unh", {{"1"}})}, std::string("1"),
                                             std::string(), std::nullopt, MessageType::Utilmd);
  auto bytes = edi_energy::message::serialize(core);
  ASSERT_FALSE(bytes.has_value());
  EXPECT_EQ(bytes.error().kind, edi_energy::Error::Kind::EdifactParse);
  EXPECT_EQ(bytes.error().message(), R"(EDIFACT parse error: invalid segment tag "unh")");
}

}  // namespace
