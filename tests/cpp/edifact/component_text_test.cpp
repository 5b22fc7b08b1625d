// `Segment::component_text` reads a single value straight from the document where it can: it
// must give what the element and component views give, and nothing one past either end.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/model/segment.hpp"
#include "edifact/parse/from_bytes.hpp"

namespace {

using edifact::model::Segment;

void expect_views_agree(const Segment& segment) {
  const auto elements = segment.elements();
  for (std::size_t e = 0; e <= elements.size(); ++e) {
    const std::size_t count = e < elements.size() ? elements[e].components().size() : 0;
    for (std::size_t c = 0; c <= count + 1; ++c) {
      const std::optional<std::string_view> expected =
          c < count ? std::optional(elements[e].components().text(c)) : std::nullopt;
      EXPECT_EQ(segment.component_text(e, c), expected) << segment.tag() << " element " << e << " component " << c;
    }
  }
}

struct Shape {
  const char* name;
  std::string input;
};

void PrintTo(const Shape& shape, std::ostream* out) { *out << shape.name; }

std::string dense(std::string_view piece) {
  std::string text = "FTX+ACB+++";
  for (int k = 0; k < 300; ++k) text += piece;
  return text + "'";
}

class ComponentText : public testing::TestWithParam<Shape> {};

TEST_P(ComponentText, AgreesWithTheViews) {
  const edifact::ParsedSegments parsed = edifact::parse_all(GetParam().input, {});
  ASSERT_FALSE(parsed.error()) << parsed.error()->message();
  ASSERT_FALSE(parsed.empty());
  parsed.for_each([](const Segment& segment) { expect_views_agree(segment); });
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ComponentText,
    testing::Values(Shape{"plain", "UNH+1+UTILMD:D:11A:UN:S2.1'NAD+Z09+++Firma AG:Musterfirma::::Z02'DTM+137:2025:303'"},
                    Shape{"released", "FTX+ACB+++a?:b:c?+d?'e:'CCI+++E03'"},
                    Shape{"empty_values", "CAV+:::G4'RFF+Z13:'QTY++'"},
                    Shape{"dense_elements", dense("+a")}, Shape{"dense_components", dense(":a")},
                    Shape{"repetitions", "UNA:+.?*'UNB+UNOC:4+A*B:C*D+E'FTX+ACB+++x:y*z:w'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ComponentText, BuiltSegmentsAgreeWithTheViews) {
  expect_views_agree(Segment::from_texts("NAD", {{"Z09"}, {}, {"a", "", "c"}, {}}));
  expect_views_agree(Segment::from_texts("UNT", {}));
}

}  // namespace
