#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/group/group_tree.hpp"
#include "edifact/report/validation_report.hpp"
#include "edifact/validator/context/validation_context.hpp"
#include "edifact/validator/pack/profile_rule_pack.hpp"
#include "parsed_segments.hpp"

namespace {

using edifact::group::SegmentGroupIndexed;
using edifact::model::Segment;
using edifact::report::Severity;
using edifact::report::ValidationIssue;
using edifact::report::ValidationReport;
using edifact::validator::RuleContext;
using edifact::validator::RuleExtension;
using edifact::validator::Validator;
using edifact::validator::context::LayerKind;
using edifact::validator::context::ValidationContext;
using edifact::validator::context::ValidationContextBuilder;
using edifact::validator::pack::ProfileRulePack;
using edifact_test::parsed;

std::string tags_of(std::span<const Segment> segments) {
  std::string tags;
  for (const Segment& segment : segments) tags += (tags.empty() ? "" : " ") + std::string(segment.tag());
  return tags;
}

// What a layer saw in one call.
struct Call {
  std::string layer;  // with ":group" in the group pass
  std::string tags;
  const Segment* first_segment = nullptr;
  std::optional<std::string> message_type;
  std::optional<std::string> release;
  const RuleExtension* extension = nullptr;
};
using CallLog = std::vector<Call>;

// Logs its calls and adds findings "<name>:batch" or "<name>:group" of the given severities,
// labelled with `label` when given. Without group findings it has no group rules.
class ScriptedLayer final : public Validator {
 public:
  ScriptedLayer(std::string name, std::shared_ptr<CallLog> log, std::vector<Severity> batch,
                std::optional<std::vector<Severity>> group, std::optional<std::string> label)
      : name_(std::move(name)), log_(std::move(log)), batch_(std::move(batch)), group_(std::move(group)),
        label_(std::move(label)) {}

  void validate_batch(std::span<const Segment> segments, ValidationReport& report,
                      const RuleContext& context) const override {
    run(name_, batch_, segments, report, context);
  }
  void validate_group_batch(const SegmentGroupIndexed&, std::span<const Segment> segments, ValidationReport& report,
                            const RuleContext& context) const override {
    run(name_ + ":group", group_.value_or(std::vector<Severity>{}), segments, report, context);
  }
  bool has_group_rules() const override { return group_.has_value(); }
  std::unique_ptr<Validator> fork() const override { return std::make_unique<ScriptedLayer>(*this); }

 private:
  void run(const std::string& name, const std::vector<Severity>& severities, std::span<const Segment> segments,
           ValidationReport& report, const RuleContext& context) const {
    Call call{name, tags_of(segments), segments.empty() ? nullptr : segments.data(), {}, {}, context.extension.get()};
    if (context.message_type) call.message_type = std::string(*context.message_type);
    if (context.release) call.release = std::string(*context.release);
    log_->push_back(std::move(call));
    for (Severity severity : severities) {
      ValidationIssue finding(severity, name.find(':') == std::string::npos ? name + ":batch" : name);
      finding.release = label_;
      report.push(std::move(finding));
    }
  }

  std::string name_;
  std::shared_ptr<CallLog> log_;
  std::vector<Severity> batch_;
  std::optional<std::vector<Severity>> group_;
  std::optional<std::string> label_;
};

std::unique_ptr<Validator> layer(std::string name, const std::shared_ptr<CallLog>& log,
                                 std::vector<Severity> batch = {},
                                 std::optional<std::vector<Severity>> group = std::nullopt,
                                 std::optional<std::string> label = std::nullopt) {
  return std::make_unique<ScriptedLayer>(std::move(name), log, std::move(batch), std::move(group), std::move(label));
}

std::string callers(const CallLog& log) {
  std::string names;
  for (const Call& call : log) names += (names.empty() ? "" : " ") + call.layer;
  return names;
}

// "errors: a@S2.1 b@-; warnings: ...; infos: ..." with each finding's release label.
std::string render(const ValidationReport& report) {
  std::string text;
  for (const auto& [list, findings] : {std::pair{"errors:", &report.errors}, std::pair{"; warnings:", &report.warnings},
                                       std::pair{"; infos:", &report.infos}}) {
    text += list;
    for (const ValidationIssue& finding : *findings) text += " " + finding.message + "@" + finding.release.value_or("-");
  }
  return text;
}

SegmentGroupIndexed root_over(std::span<const Segment> segments) {
  return SegmentGroupIndexed{{}, "ROOT", 0, segments.size(), 0};
}

struct BodyViewCase {
  std::string label;
  bool parse_layer;
  bool parse_enabled;
  std::string segments;
  std::string body_seen;
  bool cut_in_place;
};

class BodyView : public testing::TestWithParam<BodyViewCase> {};

// With a Parse layer switched on, the other layers see the body without the envelope: a list
// framed by UNB and UNZ cut in place, any other list copied once for all of them.
TEST_P(BodyView, NonParseLayersSeeTheBodyOnlyWithAParseLayerSwitchedOn) {
  const BodyViewCase& row = GetParam();
  auto log = std::make_shared<CallLog>();
  ValidationContextBuilder builder = ValidationContextBuilder()
                                         .with_layer_enabled(LayerKind::Parse, row.parse_enabled)
                                         .with_layer(LayerKind::Mig, layer("mig", log));
  if (row.parse_layer) builder = std::move(builder).with_layer(LayerKind::Parse, layer("parse", log));
  const ValidationContext context = std::move(builder).with_layer(LayerKind::Ahb, layer("ahb", log)).build();
  const std::vector<Segment> segments = parsed(row.segments);
  context.validate_with_context(segments, {});

  ASSERT_EQ(log->size(), row.parse_layer && row.parse_enabled ? 3U : 2U);
  if (log->size() == 3) {
    EXPECT_EQ((*log)[1].first_segment, segments.data());
  }
  const Call& mig = log->front();
  EXPECT_EQ(mig.tags, row.body_seen);
  EXPECT_EQ(log->back().tags, row.body_seen);
  EXPECT_EQ(log->back().first_segment, mig.first_segment);
  const bool in_place = mig.first_segment >= segments.data() && mig.first_segment < segments.data() + segments.size();
  EXPECT_EQ(in_place, row.cut_in_place);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, BodyView,
    testing::Values(
        BodyViewCase{"DefaultSeesAll", false, false, "UNB'UNH'BGM'UNT'UNZ'", "UNB UNH BGM UNT UNZ", true},
        BodyViewCase{"FramedInterchange", true, true, "UNB'UNH'BGM'UNT'UNZ'", "UNH BGM UNT", true},
        BodyViewCase{"GroupEnvelope", true, true, "UNB'UNG'UNH'BGM'UNT'UNE'UNZ'", "UNH BGM UNT", false},
        BodyViewCase{"TwoInterchanges", true, true, "UNB'UNH'UNT'UNZ'UNB'UNH'UNT'UNZ'", "UNH UNT UNH UNT", false},
        BodyViewCase{"ParseLayerSwitchedOff", true, false, "UNB'UNH'BGM'UNT'UNZ'", "UNB UNH BGM UNT UNZ", true},
        BodyViewCase{"ParseOnWithoutParseLayer", false, true, "UNB'UNH'BGM'UNT'UNZ'", "UNB UNH BGM UNT UNZ", true}),
    [](const testing::TestParamInfo<BodyViewCase>& info) { return info.param.label; });

struct RunCase {
  std::string label;
  bool fail_fast;
  std::vector<Severity> first_layer;
  std::string calls;
  std::string report;
};

class LayeredRun : public testing::TestWithParam<RunCase> {};

// Layers run in the order added, switched-off kinds skipped; their findings come first, then the
// presets, then the group pass. Only a Critical finding stops a fail-fast pass, and the presets
// and the group pass still come. The release label fills only the layers' unlabelled findings.
TEST_P(LayeredRun, OrdersFindingsAndStopsAtCritical) {
  auto log = std::make_shared<CallLog>();
  ValidationIssue labelled_preset(Severity::Warning, "preset2");
  labelled_preset.release = "X";
  const ValidationContext context =
      ValidationContextBuilder()
          .with_fail_fast(GetParam().fail_fast)
          .with_release("S2.1")
          .with_preset_issue(ValidationIssue(Severity::Error, "preset1"))
          .with_layer(LayerKind::Ahb, layer("ahb", log, GetParam().first_layer, std::vector{Severity::Error}))
          .with_preset_issue(labelled_preset)
          .with_layer(LayerKind::Directory, layer("directory", log, {Severity::Error}, std::nullopt, "G1.0"))
          .with_layer(LayerKind::Mig, layer("mig", log, {Severity::Error}, std::vector{Severity::Error}))
          .with_layer(LayerKind::Parse, layer("parse", log, {Severity::Error}, std::vector{Severity::Error}))
          .with_layer(LayerKind::Ahb, layer("ahb2", log, {Severity::Info}, std::vector{Severity::Error}))
          .with_layer_enabled(LayerKind::Mig, false)
          .build();
  const std::vector<Segment> segments = parsed("UNH+1+UTILMD'UNT'");
  EXPECT_EQ(render(context.validate_grouped(root_over(segments), segments)), GetParam().report);
  EXPECT_EQ(callers(*log), GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    FailFast, LayeredRun,
    testing::Values(
        RunCase{"Off", false, {Severity::Critical}, "ahb directory ahb2 ahb:group directory:group ahb2:group",
                "errors: ahb:batch@S2.1 directory:batch@G1.0 preset1@- ahb:group@- ahb2:group@-; "
                "warnings: preset2@X; infos: ahb2:batch@S2.1"},
        RunCase{"ErrorsDoNotStop", true, {Severity::Error, Severity::Warning},
                "ahb directory ahb2 ahb:group directory:group ahb2:group",
                "errors: ahb:batch@S2.1 directory:batch@G1.0 preset1@- ahb:group@- ahb2:group@-; "
                "warnings: ahb:batch@S2.1 preset2@X; infos: ahb2:batch@S2.1"},
        RunCase{"CriticalStopsEachPass", true, {Severity::Warning, Severity::Critical}, "ahb ahb:group",
                "errors: ahb:batch@S2.1 preset1@- ahb:group@-; warnings: ahb:batch@S2.1 preset2@X; infos:"}),
    [](const testing::TestParamInfo<RunCase>& info) { return info.param.label; });

TEST(LayeredRun, WithoutSwitchedOnGroupRulesTheReportIsThatOfTheSegmentPass) {
  auto log = std::make_shared<CallLog>();
  const std::vector<Severity> findings{Severity::Error, Severity::Warning};
  const ValidationContext context = ValidationContextBuilder()
                                        .with_preset_issue(ValidationIssue(Severity::Info, "preset"))
                                        .with_layer(LayerKind::Ahb, layer("ahb", log, findings))
                                        .with_layer(LayerKind::Mig, layer("mig", log, findings, findings))
                                        .with_layer_enabled(LayerKind::Mig, false)
                                        .build();
  const std::vector<Segment> segments = parsed("UNH+1+UTILMD'UNT'");
  const ValidationReport grouped = context.validate_grouped(root_over(segments), segments);
  EXPECT_EQ(grouped, context.validate_with_context(segments, {}));
  EXPECT_EQ(render(grouped), "errors: ahb:batch@-; warnings: ahb:batch@-; infos: preset@-");
  EXPECT_EQ(callers(*log), "ahb ahb");
}

struct RunTypeCase {
  std::string label;
  bool grouped;  // else a segment pass from a starting context with the release "S2.1"
  std::optional<std::string_view> starting_type;
  std::string segments;
  std::optional<std::string> seen_type;
};

class RunContext : public testing::TestWithParam<RunTypeCase> {};

// The UNH's message type replaces the starting one, and a grouped run starts from the context's
// release and extension but never from its recorded message type.
TEST_P(RunContext, CarriesReleaseExtensionAndTheUnhMessageType) {
  const RunTypeCase& row = GetParam();
  auto log = std::make_shared<CallLog>();
  auto extension = std::make_shared<const RuleExtension>();
  ValidationContextBuilder builder = ValidationContextBuilder().with_message_type("ORDERS").with_layer(
      LayerKind::Ahb, layer("ahb", log, {Severity::Error}, std::vector<Severity>{}));
  if (row.grouped) builder = std::move(builder).with_release("S2.1").with_extension(extension);
  const ValidationContext context = std::move(builder).build();
  const std::vector<Segment> segments = parsed(row.segments);
  const ValidationReport report =
      row.grouped ? context.validate_grouped(root_over(segments), segments)
                  : context.validate_with_context(segments, RuleContext{extension, "S2.1", row.starting_type});
  ASSERT_EQ(log->size(), row.grouped ? 2U : 1U);
  for (const Call& call : *log) {
    EXPECT_EQ(call.message_type, row.seen_type);
    EXPECT_EQ(call.release, "S2.1");
    EXPECT_EQ(call.extension, extension.get());
  }
  // Only the context's own release label is stamped on findings.
  EXPECT_EQ(report.errors.at(0).release, row.grouped ? std::optional<std::string>("S2.1") : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Types, RunContext,
    testing::Values(RunTypeCase{"UnhWins", false, "MSCONS", "UNH+1+UTILMD:D:11A:UN:S2.1'UNT'", "UTILMD"},
                    RunTypeCase{"ShortUnhKeepsStart", false, "MSCONS", "UNH+1'", "MSCONS"},
                    RunTypeCase{"NoUnhNoStart", false, std::nullopt, "BGM+E01'", std::nullopt},
                    RunTypeCase{"GroupedUnh", true, {}, "UNB'UNH+1+UTILMD:D:11A:UN'", "UTILMD"},
                    RunTypeCase{"GroupedWithoutUnh", true, {}, "BGM+E01'", std::nullopt}),
    [](const testing::TestParamInfo<RunTypeCase>& info) { return info.param.label; });

TEST(ContextWithPack, RunsSegmentAndGroupRulesOfAScopedPack) {
  const std::vector<Segment> segments = parsed("UNB'UNH+1+INSRPT:D:01B:UN:1.1a'DTM+163'DTM+163'UNT+4+1'UNZ'");
  SegmentGroupIndexed root = root_over(segments);
  root.children.push_back({{}, "SG7", 2, 3, 0});
  root.children.push_back({{}, "SG7", 3, 5, 1});

  auto group_rule = [](const SegmentGroupIndexed& node, std::span<const Segment> own, const RuleContext& context,
                       edifact::report::FindingSink findings) {
    findings.push_back(ValidationIssue(Severity::Error, tags_of(own) + " " + std::string(context.message_type.value_or("-")))
                           .with_segment_index(node.start));
  };
  auto segment_rule = [](std::span<const Segment> all, const RuleContext&, edifact::report::FindingSink findings) {
    findings.push_back(ValidationIssue(Severity::Info, tags_of(all)));
  };
  ProfileRulePack pack =
      ProfileRulePack("INSRPT-SEM")
          .for_message_type("INSRPT")
          .with_rule(std::make_shared<edifact::validator::pack::StatelessClosureProfileRule>(segment_rule))
          .with_group_rule(group_rule, "SEM-INSRPT-SG7-PERIOD-ORDER", "SG7");
  const ValidationContext context = ValidationContextBuilder()
                                        .with_release("1.1a")
                                        .with_fail_fast(true)
                                        .with_profile_pack(std::move(pack))
                                        .build();
  const ValidationReport report = context.validate_grouped(root, segments);
  // With the default switches the pack sees the envelope too.
  EXPECT_EQ(render(report), "errors: DTM INSRPT@- DTM UNT INSRPT@-; warnings:; infos: UNB UNH DTM DTM UNT UNZ@1.1a");
  EXPECT_EQ(report.errors[1].segment_index, 3);
  EXPECT_EQ(*report.errors[1].segment_group, "SG7");
}

}  // namespace
