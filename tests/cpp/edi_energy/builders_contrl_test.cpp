#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "edi_energy/builders/contrl.hpp"
#include "edi_energy/messages/contrl.hpp"
#include "../edifact/parsed_segments.hpp"

namespace {

using namespace edi_energy::builders;
using edi_energy::builders::contrl::ContrlBuilder;
using Ready = ContrlBuilder<Set, Set>;

Ready parties() {
  return ContrlBuilder(edi_energy::release::Release("2.0b"))
      .sender("9900357000004")
      .receiver("4012345000023")
      .interchange_ref("R");
}

struct Layout {
  std::string_view name;
  std::function<Ready(Ready)> fill;
  std::string_view uci;
};
void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

class ContrlLayout : public testing::TestWithParam<Layout> {};

TEST_P(ContrlLayout, WritesExactly) {
  auto bytes = GetParam().fill(parties()).serialize();
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, "UNH+1+CONTRL:D:3:UN:2.0b'UCI+" + std::string(GetParam().uci) + "'UNT+3+1'");
}

INSTANTIATE_TEST_SUITE_P(
    Builds, ContrlLayout,
    testing::Values(
        Layout{"Accepting", [](Ready b) { return b; }, "R+9900357000004:500+4012345000023:14+7"},
        Layout{"RejectingTwiceKeepsTheLastCode", [](Ready b) { return std::move(b).reject("12").reject("16"); },
               "R+9900357000004:500+4012345000023:14+4+16"},
        Layout{"ActionCodeAfterReject", [](Ready b) { return std::move(b).reject("12").action_code("8"); },
               "R+9900357000004:500+4012345000023:14+8+12"},
        Layout{"SyntaxErrorCleared",
               [](Ready b) { return std::move(b).reject("12").action_code("7").syntax_error(std::nullopt); },
               "R+9900357000004:500+4012345000023:14+7"},
        Layout{"DvgwAndShortIds",
               [](Ready b) { return std::move(b).sender("9800000000008").receiver("ABC").interchange_ref(""); },
               "+9800000000008:502+ABC:500+7"}),
    [](const auto& info) { return std::string(info.param.name); });

class ContrlRoundTrip : public testing::TestWithParam<std::string_view> {};

TEST_P(ContrlRoundTrip, UciReadsBackAsBuilt) {
  const std::string value(GetParam());
  // Receiver first: the parties are written by role, not in the order they were given.
  auto bytes = ContrlBuilder(edi_energy::release::Release("2.0b"))
                   .receiver(value + "r")
                   .sender(value + "s")
                   .interchange_ref(value)
                   .message_ref(value + "m")
                   .reject("16")
                   .serialize();
  const auto view = edi_energy::messages::contrl::ContrlMessage::from_parts(edifact_test::parsed(bytes.value()),
                                                                            value + "m", "2.0b", std::nullopt);
  EXPECT_EQ(view.uci, (edi_energy::messages::segments::Uci{value, value + "s", value + "r", "4"}));
  ASSERT_EQ(view.core.segments.size(), 3u);
  EXPECT_EQ(view.core.segments[0].elements()[0].components().text(0), value + "m");
  EXPECT_EQ(view.core.segments[1].elements()[4].components().text(0), "16");
  EXPECT_EQ(view.core.segments[2].elements()[1].components().text(0), value + "m");
}

INSTANTIATE_TEST_SUITE_P(Texts, ContrlRoundTrip,
                         testing::Values("Übertragung ß", "a+b:c", "frage?", "it's", "?+:'"));

template <class Builder>
concept Serializable = requires(Builder builder) { std::move(builder).serialize(); };
static_assert(!Serializable<ContrlBuilder<Set, Unset>> && !Serializable<ContrlBuilder<Unset, Set>>);

}  // namespace
