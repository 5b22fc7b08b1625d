#include "quorvane_native/edifact/answer/leave_out.hpp"

#include <algorithm>
#include <optional>
#include <ranges>
#include <span>
#include <vector>

#include "quorvane_native/edifact/column_places.hpp"

namespace quorvane_native::edifact::answer {

namespace {

// Data elements of STS+7 after the qualifier and the empty status category: Grund, Ergänzung,
// befristet part.
constexpr std::size_t STS_ERGAENZUNG = 3;
constexpr std::size_t STS_BEFRISTUNG = 4;

// A segment or code the column does not permit here, or one too many of them.
bool refuses_presence(std::string_view rule) {
  return rule.ends_with("-NOT-PERMITTED") || rule.ends_with("-CODE") || rule.ends_with("-MAX") ||
         rule.ends_with("-REPEATED");
}

// The segment node a fault of a whole segment or group names: its number is the context's, or
// (a MIG count) one of the parts of the rule id.
std::optional<NodeIndex> named_node(const ColumnRef& column, const Rejection& rejection) {
  const auto& index = column.profile->structure().nr_index;
  if (!rejection.nr.empty()) {
    if (const auto found = index.find(rejection.nr); found != index.end()) return found->second;
  }
  const std::string_view rule = rejection.rule;
  if (!rule.starts_with("MIG-")) return std::nullopt;
  for (const auto part : std::views::split(rule, '-')) {
    if (const auto found = index.find(std::string_view(part.begin(), part.end())); found != index.end()) {
      return found->second;
    }
  }
  return std::nullopt;
}

bool fits(const ColumnRef& column, NodeIndex node, const Echo& echo) {
  const auto* segment = column.profile->structure().nodes[node].segment();
  return segment != nullptr && segment->tag == echo.tag && admits_qualifier(column, node, echo.qualifier);
}

// A fault of a node as a whole: not permitted there (every value of the node goes), or too many
// (each Vorgang keeps what the limit allows, and one less where that changes nothing).
// `only`: the Vorgang (from 0) the fault was judged in; none for a fault of the message.
bool leave_out_of_node(AnswerPlan& plan, const ColumnRef& column, NodeIndex node, const Rejection& rejection,
                       std::optional<std::size_t> only) {
  const std::string_view rule = rejection.rule;
  const std::optional<std::size_t> limit = rejection.limit;
  if (rule.ends_with("-MAX") ? !limit : !rule.ends_with("-NOT-PERMITTED")) return false;
  const auto kept_fitting = [&](EchoVorgang& vorgang) {
    std::vector<Echo*> found;
    for (Echo& echo : vorgang.echoes) {
      if (echo.kept && fits(column, node, echo)) found.push_back(&echo);
    }
    return found;
  };
  // A fault judged in one Vorgang is that Vorgang's alone, so that it is answered as it would be alone.
  std::span<EchoVorgang> judged(plan.vorgaenge);
  if (only) judged = *only < judged.size() ? judged.subspan(*only, 1) : std::span<EchoVorgang>();
  bool changed = false;
  for (EchoVorgang& vorgang : judged) {
    const auto found = kept_fitting(vorgang);
    for (std::size_t at = limit.value_or(0); at < found.size(); ++at) {
      found[at]->kept = false;
      found[at]->left_out_for = rejection.text;
      changed = true;
    }
  }
  if (changed || !limit) return changed;
  // The limit counts segments the caller or completion wrote beside the request's.
  for (EchoVorgang& vorgang : judged) {
    if (const auto found = kept_fitting(vorgang); !found.empty()) {
      found.back()->kept = false;
      found.back()->left_out_for = rejection.text;
      changed = true;
    }
  }
  return changed;
}

struct Hit {
  std::size_t vorgang;  // counted from 0
  std::size_t echo;
  bool presence;        // not permitted, rather than a fault of the value
  const Rejection* why;
};

// Another Lokation or reference of the same qualifier, whose value is not at fault, to stand in
// place of `echo`: one kept, else one left out only for want of room, which is taken up again.
bool stand_in_for(EchoVorgang& vorgang, std::size_t echo, std::span<const Hit> hits, std::size_t vorgang_index) {
  const Echo& own = vorgang.echoes[echo];
  Echo* waiting = nullptr;
  for (std::size_t other = 0; other < vorgang.echoes.size(); ++other) {
    Echo& candidate = vorgang.echoes[other];
    if (other == echo || candidate.faulted || candidate.tag != own.tag || candidate.qualifier != own.qualifier) continue;
    const bool hit = std::ranges::any_of(hits, [&](const Hit& h) { return h.vorgang == vorgang_index && h.echo == other; });
    if (hit) continue;
    if (candidate.kept) return true;
    if (waiting == nullptr) waiting = &candidate;
  }
  if (waiting == nullptr) return false;
  waiting->kept = true;
  return true;
}

}  // namespace

bool leave_out_rejected(AnswerPlan& plan, const ColumnVerdict& verdict, const ColumnRef& column,
                        std::string_view completed) {
  if (verdict.rejections.empty()) return false;
  const VorgangCut segments = cut_vorgaenge(completed).value_or(VorgangCut{});
  const auto vorgang_of = [&](std::size_t at) { return at < segments.segments.size() ? segments.segments[at].vorgang : 0; };
  bool changed = false;
  std::vector<Hit> hits;
  for (const Rejection& rejection : verdict.rejections) {
    const std::string_view rule = rejection.rule;
    if (!rejection.segment || *rejection.segment >= segments.segments.size()) {
      std::optional<std::size_t> only;
      if (rejection.scope && vorgang_of(*rejection.scope) > 0) only = vorgang_of(*rejection.scope) - 1;
      if (const auto node = named_node(column, rejection)) {
        changed |= leave_out_of_node(plan, column, *node, rejection, only);
      }
      continue;
    }
    const std::size_t at = *rejection.segment;
    if (segments.segments[at].tag() == "BGM") {
      if (plan.document_code && rejection.value == plan.document_code) {
        plan.document_code.reset();
        changed = true;
      }
      continue;
    }
    const EchoAt echo_at = answer::echo_at(segments, plan, at);
    if (!echo_at.echo) continue;
    EchoVorgang& vorgang = plan.vorgaenge[echo_at.vorgang - 1];
    Echo& echo = vorgang.echoes[*echo_at.echo];
    // The Grund may stand where its Ergänzung or befristet part may not.
    if (echo.tag == "STS" && rejection.writer.element) {
      std::optional<std::string>* part = *rejection.writer.element == STS_ERGAENZUNG   ? &echo.ergaenzung
                                         : *rejection.writer.element == STS_BEFRISTUNG ? &echo.befristung
                                                                                       : nullptr;
      if (part != nullptr && part->has_value()) {
        part->reset();
        changed = true;
        continue;
      }
    }
    hits.push_back(Hit{echo_at.vorgang - 1, *echo_at.echo, refuses_presence(rule) || echo.replaceable, &rejection});
  }
  for (const Hit& hit : hits) {
    EchoVorgang& vorgang = plan.vorgaenge[hit.vorgang];
    Echo& echo = vorgang.echoes[hit.echo];
    if (!echo.kept) continue;
    if (!hit.presence) {
      if (!stand_in_for(vorgang, hit.echo, hits, hit.vorgang)) continue;
      echo.faulted = true;
    }
    echo.kept = false;
    echo.left_out_for = hit.why->text;
    changed = true;
  }
  return changed;
}

bool leave_out_unplaced(AnswerPlan& plan, const ColumnVerdict& verdict, std::string_view built) {
  if (!verdict.unplaced_segment) return false;
  const VorgangCut segments = cut_vorgaenge(built).value_or(VorgangCut{});
  const EchoAt at = echo_at(segments, plan, *verdict.unplaced_segment);
  if (!at.echo) return false;
  const Echo unplaced = plan.vorgaenge[at.vorgang - 1].echoes[*at.echo];
  // How many of its kind stood before it: as many as every Vorgang keeps.
  std::size_t before = 0;
  for (std::size_t index = 0; index < *at.echo; ++index) {
    const Echo& echo = plan.vorgaenge[at.vorgang - 1].echoes[index];
    if (echo.kept && echo.tag == unplaced.tag && echo.qualifier == unplaced.qualifier) ++before;
  }
  for (EchoVorgang& vorgang : plan.vorgaenge) {
    std::size_t seen = 0;
    for (Echo& echo : vorgang.echoes) {
      if (!echo.kept || echo.tag != unplaced.tag || echo.qualifier != unplaced.qualifier) continue;
      if (seen++ >= before) echo.kept = false;
    }
  }
  return true;
}

}  // namespace quorvane_native::edifact::answer
