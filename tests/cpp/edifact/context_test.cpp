#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/group.hpp"
#include "edifact/model.hpp"
#include "edifact/model_builder.hpp"
#include "edifact/report.hpp"
#include "edifact/validator/context/validation_context.hpp"
#include "edifact/validator/pack/profile_rule_pack.hpp"

namespace {

using edifact::group::SegmentGroupIndexed;
using edifact::model::Segment;
using edifact::model::SegmentBuilder;
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
using edifact::validator::pack::StatelessClosureProfileRule;

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t begin = 0;
  for (std::size_t end = text.find(separator); end != std::string_view::npos;
       end = text.find(separator, begin)) {
    parts.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  parts.push_back(text.substr(begin));
  return parts;
}

Segment segment(std::string_view text) {
  const std::vector<std::string_view> parts = split(text, '+');
  SegmentBuilder builder(parts[0]);
  for (std::size_t index = 1; index < parts.size(); ++index) {
    builder.element();
    for (std::string_view component : split(parts[index], ':')) builder.component(component);
  }
  return builder.build_owned();
}

std::vector<Segment> segments_of(const std::vector<std::string_view>& texts) {
  std::vector<Segment> segments;
  for (std::string_view text : texts) segments.push_back(segment(text));
  return segments;
}

std::string tags_of(std::span<const Segment> segments) {
  std::string tags;
  for (const Segment& segment : segments) {
    if (!tags.empty()) tags += ' ';
    tags += segment.tag();
  }
  return tags;
}

// What a layer saw in one call.
struct Call {
  std::string layer;
  bool group_pass = false;
  std::string tags;
  const Segment* first_segment = nullptr;
  std::optional<std::string> message_type;
  std::optional<std::string> release;
  const RuleExtension* extension = nullptr;
};

using CallLog = std::vector<Call>;

// A layer that logs its calls and adds scripted findings, named "<layer>:<pass>".
class ScriptedLayer final : public Validator {
 public:
  ScriptedLayer(std::string name, std::shared_ptr<CallLog> log,
                std::vector<Severity> batch_findings = {},
                std::optional<std::vector<Severity>> group_findings = std::nullopt)
      : name_(std::move(name)),
        log_(std::move(log)),
        batch_findings_(std::move(batch_findings)),
        group_findings_(std::move(group_findings)) {}

  void validate_batch(std::span<const Segment> segments, ValidationReport& report,
                      const RuleContext& context) const override {
    log(false, segments, context);
    for (Severity severity : batch_findings_) {
      report.push(ValidationIssue(severity, name_ + ":batch"));
    }
  }

  void validate_group_batch(const SegmentGroupIndexed&, std::span<const Segment> segments,
                            ValidationReport& report, const RuleContext& context) const override {
    log(true, segments, context);
    if (!group_findings_) return;
    for (Severity severity : *group_findings_) {
      report.push(ValidationIssue(severity, name_ + ":group"));
    }
  }

  bool has_group_rules() const override { return group_findings_.has_value(); }
  std::unique_ptr<Validator> fork() const override {
    return std::make_unique<ScriptedLayer>(*this);
  }

 private:
  void log(bool group_pass, std::span<const Segment> segments, const RuleContext& context) const {
    Call call{name_, group_pass, tags_of(segments), segments.empty() ? nullptr : segments.data(),
              std::nullopt, std::nullopt, context.extension.get()};
    if (context.message_type) call.message_type = std::string(*context.message_type);
    if (context.release) call.release = std::string(*context.release);
    log_->push_back(std::move(call));
  }

  std::string name_;
  std::shared_ptr<CallLog> log_;
  std::vector<Severity> batch_findings_;
  std::optional<std::vector<Severity>> group_findings_;
};

std::unique_ptr<Validator> layer(
    std::string name, const std::shared_ptr<CallLog>& log,
    std::vector<Severity> batch_findings = {},
    std::optional<std::vector<Severity>> group_findings = std::nullopt) {
  return std::make_unique<ScriptedLayer>(std::move(name), log, std::move(batch_findings),
                                         std::move(group_findings));
}

std::vector<std::string> messages_of(const std::vector<ValidationIssue>& findings) {
  std::vector<std::string> messages;
  for (const ValidationIssue& finding : findings) messages.push_back(finding.message);
  return messages;
}

std::vector<std::string> batch_callers(const CallLog& log) {
  std::vector<std::string> names;
  for (const Call& call : log) {
    if (!call.group_pass) names.push_back(call.layer);
  }
  return names;
}

SegmentGroupIndexed root_over(std::span<const Segment> segments) {
  return SegmentGroupIndexed{{}, "ROOT", 0, segments.size(), 0};
}

struct BodyViewCase {
  std::string label;
  bool parse_layer;
  bool parse_enabled;
  std::vector<std::string_view> segments;
  std::string ahb_sees;
};

class BodyView : public testing::TestWithParam<BodyViewCase> {};

TEST_P(BodyView, NonParseLayersSeeTheBodyOnlyWithAParseLayerSwitchedOn) {
  const BodyViewCase& row = GetParam();
  auto log = std::make_shared<CallLog>();
  ValidationContextBuilder builder =
      ValidationContextBuilder().with_layer_enabled(LayerKind::Parse, row.parse_enabled);
  if (row.parse_layer) {
    builder = std::move(builder).with_layer(LayerKind::Parse, layer("parse", log));
  }
  const ValidationContext context =
      std::move(builder).with_layer(LayerKind::Ahb, layer("ahb", log)).build();
  const std::vector<Segment> segments = segments_of(row.segments);
  context.validate_with_context(segments, {});

  const bool parse_called = row.parse_layer && row.parse_enabled;
  ASSERT_EQ(log->size(), parse_called ? 2U : 1U);
  if (parse_called) {
    EXPECT_EQ((*log)[0].tags, tags_of(segments));
  }
  EXPECT_EQ(log->back().layer, "ahb");
  EXPECT_EQ(log->back().tags, row.ahb_sees);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, BodyView,
    testing::Values(
        BodyViewCase{"DefaultSeesAll", false, false, {"UNB", "UNH", "BGM", "UNT", "UNZ"},
                     "UNB UNH BGM UNT UNZ"},
        BodyViewCase{"FramedInterchange", true, true, {"UNB", "UNH", "BGM", "UNT", "UNZ"},
                     "UNH BGM UNT"},
        BodyViewCase{"NoLeadingUnb", true, true, {"UNH", "BGM", "UNT", "UNZ"}, "UNH BGM UNT"},
        BodyViewCase{"GroupEnvelope", true, true,
                     {"UNB", "UNG", "UNH", "BGM", "UNT", "UNE", "UNZ"}, "UNH BGM UNT"},
        BodyViewCase{"TwoInterchanges", true, true,
                     {"UNB", "UNH", "UNT", "UNZ", "UNB", "UNH", "UNT", "UNZ"}, "UNH UNT UNH UNT"},
        BodyViewCase{"OnlyEnvelope", true, true, {"UNB", "UNZ"}, ""},
        BodyViewCase{"BareMessage", true, true, {"UNH", "BGM", "UNT"}, "UNH BGM UNT"},
        BodyViewCase{"ParseLayerSwitchedOff", true, false, {"UNB", "UNH", "BGM", "UNT", "UNZ"},
                     "UNB UNH BGM UNT UNZ"},
        BodyViewCase{"ParseOnWithoutParseLayer", false, true, {"UNB", "UNH", "BGM", "UNT", "UNZ"},
                     "UNB UNH BGM UNT UNZ"}),
    [](const testing::TestParamInfo<BodyViewCase>& info) { return info.param.label; });

TEST(BodyView, FramedListIsCutInPlaceAndACopyIsSharedByLaterLayers) {
  auto log = std::make_shared<CallLog>();
  const ValidationContext context =
      ValidationContextBuilder()
          .with_layer_enabled(LayerKind::Parse, true)
          .with_layer(LayerKind::Mig, layer("mig", log))
          .with_layer(LayerKind::Parse, layer("parse", log))
          .with_layer(LayerKind::Ahb, layer("ahb", log))
          .build();

  const std::vector<Segment> framed = segments_of({"UNB", "UNH", "UNT", "UNZ"});
  context.validate_with_context(framed, {});
  ASSERT_EQ(log->size(), 3U);
  EXPECT_EQ((*log)[0].first_segment, &framed[1]);
  EXPECT_EQ((*log)[1].first_segment, &framed[0]);
  EXPECT_EQ((*log)[2].first_segment, &framed[1]);

  log->clear();
  const std::vector<Segment> grouped = segments_of({"UNB", "UNG", "UNH", "UNT", "UNE", "UNZ"});
  context.validate_with_context(grouped, {});
  ASSERT_EQ(log->size(), 3U);
  EXPECT_EQ((*log)[0].tags, "UNH UNT");
  EXPECT_NE((*log)[0].first_segment, &grouped[2]);
  EXPECT_EQ((*log)[2].first_segment, (*log)[0].first_segment);
}

TEST(LayerOrder, LayersRunInTheOrderAddedAndSwitchedOffKindsAreSkipped) {
  auto log = std::make_shared<CallLog>();
  const ValidationContext context =
      ValidationContextBuilder()
          .with_layer(LayerKind::Ahb, layer("ahb", log))
          .with_layer(LayerKind::Directory, layer("directory", log))
          .with_layer(LayerKind::Mig, layer("mig", log))
          .with_layer(LayerKind::Parse, layer("parse", log))
          .with_layer(LayerKind::Ahb, layer("ahb2", log))
          .with_layer_enabled(LayerKind::Mig, false)
          .build();
  context.validate_with_context(segments_of({"UNH+1+UTILMD", "UNT"}), {});
  EXPECT_EQ(batch_callers(*log), (std::vector<std::string>{"ahb", "directory", "ahb2"}));
}

struct FailFastCase {
  std::string label;
  bool fail_fast;
  std::vector<Severity> first_layer;
  bool later_layer_called;
};

class FailFast : public testing::TestWithParam<FailFastCase> {};

TEST_P(FailFast, OnlyACriticalFindingStopsLaterLayers) {
  const FailFastCase& row = GetParam();
  auto log = std::make_shared<CallLog>();
  const ValidationContext context =
      ValidationContextBuilder()
          .with_fail_fast(row.fail_fast)
          .with_layer(LayerKind::Mig, layer("first", log, row.first_layer))
          .with_layer(LayerKind::Ahb, layer("later", log))
          .build();
  context.validate_with_context(segments_of({"UNH+1+UTILMD", "UNT"}), {});
  EXPECT_EQ(log->size(), row.later_layer_called ? 2U : 1U);
}

INSTANTIATE_TEST_SUITE_P(
    Severities, FailFast,
    testing::Values(FailFastCase{"CriticalStops", true, {Severity::Critical}, false},
                    FailFastCase{"CriticalAfterOthersStops", true,
                                 {Severity::Warning, Severity::Error, Severity::Critical}, false},
                    FailFastCase{"ErrorsDoNotStop", true, {Severity::Error, Severity::Error}, true},
                    FailFastCase{"WarningsDoNotStop", true, {Severity::Warning}, true},
                    FailFastCase{"OffNeverStops", false, {Severity::Critical}, true}),
    [](const testing::TestParamInfo<FailFastCase>& info) { return info.param.label; });

struct RunTypeCase {
  std::string label;
  std::optional<std::string_view> starting_type;
  std::vector<std::string_view> segments;
  std::optional<std::string> seen_type;
};

class RunContext : public testing::TestWithParam<RunTypeCase> {};

TEST_P(RunContext, UnhMessageTypeReplacesTheStartingOne) {
  const RunTypeCase& row = GetParam();
  auto log = std::make_shared<CallLog>();
  const ValidationContext context =
      ValidationContextBuilder()
          .with_message_type("ORDERS")
          .with_layer(LayerKind::Ahb, layer("ahb", log))
          .build();
  auto extension = std::make_shared<const RuleExtension>();
  RuleContext start{extension, "S2.1", row.starting_type};
  context.validate_with_context(segments_of(row.segments), start);
  ASSERT_EQ(log->size(), 1U);
  EXPECT_EQ(log->front().message_type, row.seen_type);
  EXPECT_EQ(log->front().release, "S2.1");
  EXPECT_EQ(log->front().extension, extension.get());
}

INSTANTIATE_TEST_SUITE_P(
    Types, RunContext,
    testing::Values(
        RunTypeCase{"UnhWins", "MSCONS", {"UNH+1+UTILMD:D:11A:UN:S2.1", "UNT"}, "UTILMD"},
        RunTypeCase{"UnhWithoutStart", std::nullopt, {"UNB", "UNH+1+UTILMD:D:11A:UN"}, "UTILMD"},
        RunTypeCase{"NoUnhKeepsStart", "MSCONS", {"BGM+E01"}, "MSCONS"},
        RunTypeCase{"ShortUnhKeepsStart", "MSCONS", {"UNH+1"}, "MSCONS"},
        RunTypeCase{"NoUnhNoStart", std::nullopt, {"BGM+E01"}, std::nullopt}),
    [](const testing::TestParamInfo<RunTypeCase>& info) { return info.param.label; });

TEST(GroupedRunContext, TakesReleaseAndExtensionFromTheContextAndTypeOnlyFromUnh) {
  auto log = std::make_shared<CallLog>();
  auto extension = std::make_shared<const RuleExtension>();
  const ValidationContext context =
      ValidationContextBuilder()
          .with_message_type("MSCONS")
          .with_release("S2.1")
          .with_extension(extension)
          .with_layer(LayerKind::Ahb, layer("ahb", log, std::vector<Severity>{},
                                                                      std::vector<Severity>{}))
          .build();
  const std::vector<Segment> with_unh = segments_of({"UNH+1+UTILMD:D:11A:UN:S2.1", "UNT"});
  context.validate_grouped(root_over(with_unh), with_unh);
  const std::vector<Segment> without_unh = segments_of({"BGM+E01"});
  context.validate_grouped(root_over(without_unh), without_unh);

  ASSERT_EQ(log->size(), 4U);
  for (const Call& call : *log) {
    EXPECT_EQ(call.release, "S2.1");
    EXPECT_EQ(call.extension, extension.get());
  }
  EXPECT_EQ((*log)[0].message_type, "UTILMD");
  EXPECT_EQ((*log)[1].message_type, "UTILMD");
  EXPECT_TRUE((*log)[1].group_pass);
  EXPECT_EQ((*log)[2].message_type, std::nullopt);
  EXPECT_EQ((*log)[3].message_type, std::nullopt);
}

TEST(ReleaseLabel, FillsLayerFindingsThatLackOneButNotPresetsOrGroupFindings) {
  // A layer whose findings arrive partly labelled.
  class LabellingLayer final : public Validator {
   public:
    void validate_batch(std::span<const Segment>, ValidationReport& report,
                        const RuleContext&) const override {
      report.push(ValidationIssue(Severity::Error, "unlabelled"));
      report.push(ValidationIssue(Severity::Warning, "labelled"));
      report.warnings.back().release = "G1.0";
      report.push(ValidationIssue(Severity::Info, "info"));
    }
    void validate_group_batch(const SegmentGroupIndexed&, std::span<const Segment>,
                              ValidationReport& report, const RuleContext&) const override {
      report.push(ValidationIssue(Severity::Error, "group"));
    }
    bool has_group_rules() const override { return true; }
    std::unique_ptr<Validator> fork() const override {
      return std::make_unique<LabellingLayer>(*this);
    }
  };

  ValidationIssue labelled_preset(Severity::Warning, "preset labelled");
  labelled_preset.release = "X";
  const ValidationContext context =
      ValidationContextBuilder()
          .with_release("S2.1")
          .with_layer(LayerKind::Mig, std::make_unique<LabellingLayer>())
          .with_preset_issue(ValidationIssue(Severity::Error, "preset"))
          .with_preset_issue(labelled_preset)
          .build();
  const std::vector<Segment> segments = segments_of({"UNH+1+UTILMD", "UNT"});
  const ValidationReport report = context.validate_grouped(root_over(segments), segments);

  ASSERT_EQ(messages_of(report.errors),
            (std::vector<std::string>{"unlabelled", "preset", "group"}));
  ASSERT_EQ(messages_of(report.warnings),
            (std::vector<std::string>{"labelled", "preset labelled"}));
  ASSERT_EQ(report.infos.size(), 1U);
  EXPECT_EQ(report.errors[0].release, "S2.1");
  EXPECT_EQ(report.errors[1].release, std::nullopt);
  EXPECT_EQ(report.errors[2].release, std::nullopt);
  EXPECT_EQ(report.warnings[0].release, "G1.0");
  EXPECT_EQ(report.warnings[1].release, "X");
  EXPECT_EQ(report.infos[0].release, "S2.1");

  // Without a release label nothing is filled in.
  const ValidationContext unlabelled =
      ValidationContextBuilder()
          .with_layer(LayerKind::Mig, std::make_unique<LabellingLayer>())
          .build();
  EXPECT_EQ(unlabelled.validate_with_context(segments, {}).errors[0].release, std::nullopt);
}

TEST(FindingOrder, LayersThenPresetsThenGroupPassInLayerOrder) {
  auto log = std::make_shared<CallLog>();
  const std::vector<Severity> one_error{Severity::Error};
  const ValidationContext context =
      ValidationContextBuilder()
          .with_preset_issue(ValidationIssue(Severity::Error, "preset1"))
          .with_layer(LayerKind::Mig, layer("mig", log, one_error, one_error))
          .with_preset_issue(ValidationIssue(Severity::Error, "preset2"))
          .with_layer(LayerKind::Ahb, layer("ahb", log, one_error, one_error))
          .with_layer(LayerKind::Directory, layer("directory", log, one_error))
          .build();
  const std::vector<Segment> segments = segments_of({"UNH+1+UTILMD", "UNT"});
  const ValidationReport report = context.validate_grouped(root_over(segments), segments);
  EXPECT_EQ(messages_of(report.errors),
            (std::vector<std::string>{"mig:batch", "ahb:batch", "directory:batch", "preset1",
                                      "preset2", "mig:group", "ahb:group"}));
  // A layer without group rules is still called in the group pass once any layer has some.
  EXPECT_EQ(log->size(), 6U);
}

TEST(FindingOrder, FailFastStopsEachPassButPresetsAndTheGroupPassStillCome) {
  auto log = std::make_shared<CallLog>();
  const ValidationContext context =
      ValidationContextBuilder()
          .with_fail_fast(true)
          .with_preset_issue(ValidationIssue(Severity::Warning, "preset"))
          .with_layer(LayerKind::Mig,
                      layer("mig", log, std::vector<Severity>{Severity::Critical},
                                                      std::vector<Severity>{Severity::Error}))
          .with_layer(LayerKind::Ahb,
                      layer("ahb", log, std::vector<Severity>{Severity::Error},
                                                      std::vector<Severity>{Severity::Error}))
          .build();
  const std::vector<Segment> segments = segments_of({"UNH+1+UTILMD", "UNT"});
  const ValidationReport report = context.validate_grouped(root_over(segments), segments);
  EXPECT_EQ(messages_of(report.errors), (std::vector<std::string>{"mig:batch", "mig:group"}));
  EXPECT_EQ(messages_of(report.warnings), (std::vector<std::string>{"preset"}));
}

TEST(GroupPass, WithoutSwitchedOnGroupRulesTheReportIsThatOfTheSegmentPass) {
  auto log = std::make_shared<CallLog>();
  const std::vector<Severity> findings{Severity::Error, Severity::Warning};
  const ValidationContext context =
      ValidationContextBuilder()
          .with_release("S2.1")
          .with_preset_issue(ValidationIssue(Severity::Info, "preset"))
          .with_layer(LayerKind::Ahb, layer("ahb", log, findings))
          .with_layer(LayerKind::Mig, layer("mig", log, findings, findings))
          .with_layer_enabled(LayerKind::Mig, false)
          .build();
  const std::vector<Segment> segments = segments_of({"UNH+1+UTILMD", "UNT"});
  const ValidationReport grouped = context.validate_grouped(root_over(segments), segments);
  EXPECT_EQ(grouped, context.validate_with_context(segments, RuleContext{nullptr, "S2.1", {}}));
  for (const Call& call : *log) EXPECT_FALSE(call.group_pass);
}

TEST(ContextRuns, EmptyContextGivesThePresetsAndRunsRepeatably) {
  const ValidationContext context = ValidationContextBuilder()
                                        .with_release("S2.1")
                                        .with_preset_issue(ValidationIssue(Severity::Info, "i"))
                                        .with_preset_issue(ValidationIssue(Severity::Critical, "c"))
                                        .build();
  const std::vector<Segment> segments = segments_of({"UNH+1+UTILMD", "UNT"});
  const ValidationReport first = context.validate_grouped(root_over(segments), segments);
  EXPECT_EQ(messages_of(first.errors), (std::vector<std::string>{"c"}));
  EXPECT_EQ(messages_of(first.infos), (std::vector<std::string>{"i"}));
  EXPECT_TRUE(first.warnings.empty());
  EXPECT_EQ(context.validate_grouped(root_over(segments), segments), first);
}

TEST(ContextBuilder, NewBuilderHasOnlyParseSwitchedOff) {
  const ValidationContextBuilder builder;
  const auto& settings = builder.settings();
  EXPECT_TRUE(settings.layers.empty());
  EXPECT_TRUE(settings.preset_issues.empty());
  EXPECT_FALSE(settings.message_type || settings.release || settings.extension);
  EXPECT_EQ(settings.enabled, (std::array<bool, 4>{false, true, true, true}));
  EXPECT_FALSE(settings.fail_fast);

  const ValidationContext context = ValidationContextBuilder()
                                        .with_message_type("UTILMD")
                                        .with_profile_pack(ProfileRulePack("UTILMD-SEM"))
                                        .build();
  ASSERT_EQ(context.settings().layers.size(), 1U);
  EXPECT_EQ(context.settings().layers[0].kind, LayerKind::Ahb);
  EXPECT_EQ(context.settings().message_type, "UTILMD");
}

TEST(ContextWithPack, RunsSegmentAndGroupRulesOfAScopedPack) {
  const std::vector<Segment> segments =
      segments_of({"UNB", "UNH+1+INSRPT:D:01B:UN:1.1a", "DTM+163", "DTM+163", "UNT+4+1", "UNZ"});
  SegmentGroupIndexed root = root_over(segments);
  root.children.push_back({{}, "SG7", 2, 3, 0});
  root.children.push_back({{}, "SG7", 3, 5, 1});

  auto group_rule = [](const SegmentGroupIndexed& node, std::span<const Segment> own,
                       const RuleContext& context, std::vector<ValidationIssue>& findings) {
    const std::string type(context.message_type.value_or("-"));
    findings.push_back(ValidationIssue(Severity::Error, tags_of(own) + " " + type)
                           .with_segment_index(node.start));
  };
  auto segment_rule = [](std::span<const Segment> all, const RuleContext&,
                         std::vector<ValidationIssue>& findings) {
    findings.emplace_back(Severity::Info, tags_of(all));
  };
  ProfileRulePack pack = ProfileRulePack("INSRPT-SEM")
                             .for_message_type("INSRPT")
                             .with_rule(std::make_shared<StatelessClosureProfileRule>(segment_rule))
                             .with_group_rule(group_rule, "SEM-INSRPT-SG7-PERIOD-ORDER", "SG7");
  const ValidationContext context = ValidationContextBuilder()
                                        .with_message_type("INSRPT")
                                        .with_release("1.1a")
                                        .with_fail_fast(true)
                                        .with_profile_pack(std::move(pack))
                                        .build();
  const ValidationReport report = context.validate_grouped(root, segments);
  EXPECT_EQ(messages_of(report.errors),
            (std::vector<std::string>{"DTM INSRPT", "DTM UNT INSRPT"}));
  EXPECT_EQ(report.errors[1].segment_index, 3);
  EXPECT_EQ(*report.errors[1].segment_group, "SG7");
  EXPECT_EQ(report.errors[1].release, std::nullopt);
  // With the default switches the pack sees the envelope too.
  ASSERT_EQ(messages_of(report.infos), (std::vector<std::string>{"UNB UNH DTM DTM UNT UNZ"}));
  EXPECT_EQ(report.infos[0].release, "1.1a");
}

}  // namespace
