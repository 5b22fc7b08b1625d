#include "quorvane_native/edifact/answer_trim.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "edi_energy/message_type.hpp"
#include "edifact/parse/from_bytes.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact {

namespace {

using edi_energy::profile::structure::NodeIndex;

// Something completion made up: a Lokation, or a group (SG8 opened by SEQ, SG12 by NAD).
struct Unit {
  bool lokation = false;
  std::size_t vorgang = 0;  // from 1
  std::string tag;          // of its first segment
  std::string qualifier;
};

// The answer cut into segments, each with its Vorgang (from 1; 0 outside) and the made-up unit
// it belongs to, if any.
struct Cut {
  std::vector<std::string_view> texts;  // each segment with its terminator
  std::vector<std::size_t> vorgang;
  std::vector<std::optional<std::size_t>> unit;
  std::vector<Unit> units;
  std::string reference;  // UNT's
  std::size_t vorgaenge = 0;
};

bool named_by_request(const AnswerPlan& plan, std::size_t vorgang, std::string_view qualifier, std::string_view id) {
  if (vorgang == 0 || vorgang > plan.vorgaenge.size()) return true;
  return std::ranges::any_of(plan.vorgaenge[vorgang - 1].echoes, [&](const Echo& echo) {
    return echo.kept && echo.tag == "LOC" && echo.qualifier == qualifier && echo.value == id;
  });
}

std::optional<Cut> cut_of(std::string_view message, const AnswerPlan& plan) {
  const auto segments = ::edifact::parse_all(message, ::edifact::ParserConfig{});
  if (segments.error() || segments.empty()) return std::nullopt;
  Cut cut;
  std::optional<std::size_t> open;  // the made-up group the segments now belong to
  for (std::size_t at = 0; at < segments.size(); ++at) {
    const ::edifact::model::Segment segment = segments[at];
    const std::size_t start = segment.span().start;
    const std::size_t end = at + 1 < segments.size() ? segments[at + 1].span().start : message.size();
    const std::string_view tag = segment.tag();
    if (tag == "IDE") ++cut.vorgaenge;
    if (tag == "UNT") cut.reference = std::string(segment.component_text(1, 0).value_or(std::string_view()));
    const std::size_t vorgang = tag == "UNT" ? 0 : cut.vorgaenge;
    const std::string qualifier(segment.component_text(0, 0).value_or(std::string_view()));
    if (tag == "IDE" || tag == "LOC" || tag == "UNT") open.reset();
    if (vorgang > 0 && (tag == "SEQ" || tag == "NAD")) {
      open = cut.units.size();
      cut.units.push_back(Unit{false, vorgang, std::string(tag), qualifier});
    }
    std::optional<std::size_t> unit = open;
    if (tag == "LOC" && vorgang > 0 &&
        !named_by_request(plan, vorgang, qualifier, segment.component_text(1, 0).value_or(std::string_view()))) {
      unit = cut.units.size();
      cut.units.push_back(Unit{true, vorgang, std::string(tag), qualifier});
    }
    cut.texts.push_back(message.substr(start, end - start));
    cut.vorgang.push_back(vorgang);
    cut.unit.push_back(unit);
  }
  if (cut.texts.empty() || !cut.texts.back().starts_with("UNT")) return std::nullopt;
  return cut;
}

// The message without the units left out, and the segment of the whole answer each of its
// segments is.
std::string written(const Cut& cut, const std::vector<bool>& left_out, std::vector<std::size_t>& origin) {
  std::string message;
  origin.clear();
  for (std::size_t at = 0; at + 1 < cut.texts.size(); ++at) {
    if (cut.unit[at] && left_out[*cut.unit[at]]) continue;
    message += cut.texts[at];
    origin.push_back(at);
  }
  origin.push_back(cut.texts.size() - 1);
  message += fmt::format("UNT+{}+{}'", origin.size(), cut.reference);
  return message;
}

struct Judged {
  ColumnVerdict verdict;
  std::vector<std::vector<const Rejection*>> faults;  // per Vorgang (from 1)
  bool faulted_message = false;                       // a fault outside every Vorgang, or no message
  std::vector<std::size_t> origin;

  bool faulted() const {
    return faulted_message || std::ranges::any_of(faults, [](const auto& each) { return !each.empty(); });
  }
};

Judged judge(const Cut& cut, const std::vector<bool>& left_out, const ColumnRef& column, std::uint32_t answer_pid) {
  Judged judged;
  const std::string message = written(cut, left_out, judged.origin);
  std::vector<::edifact::model::Segment> segments;
  auto parsed = ::edifact::from_bytes_with_config(message, ::edifact::ParserConfig{});
  while (auto item = parsed.next()) {
    if (!*item) {
      judged.faulted_message = true;
      return judged;
    }
    segments.push_back(std::move(**item));
  }
  judge_completed(judged.verdict, column, edi_energy::message_type::MessageType::Utilmd, answer_pid,
                  std::move(segments), message, {});
  judged.faults.resize(cut.vorgaenge + 1);
  for (const Rejection& rejection : judged.verdict.rejections) {
    const std::optional<std::size_t> at = rejection.segment ? rejection.segment : rejection.scope;
    const std::size_t vorgang = at && *at < judged.origin.size() ? cut.vorgang[judged.origin[*at]] : 0;
    if (vorgang == 0) judged.faulted_message = true;
    else judged.faults[vorgang].push_back(&rejection);
  }
  return judged;
}

// The segment node a fault finds missing.
std::optional<NodeIndex> missing_node(const ColumnRef& column, const Rejection& rejection) {
  if (!rejection.rule.ends_with("-MISSING") && !rejection.rule.ends_with("-REQUIRED")) return std::nullopt;
  const auto& index = column.profile->structure().nr_index;
  const auto found = index.find(rejection.nr);
  if (found == index.end()) return std::nullopt;
  return found->second;
}

}  // namespace

py::Expected<std::string> without_made_up(std::string completed, const AnswerPlan& plan, const ColumnRef& column,
                                          std::uint32_t answer_pid, std::uint64_t message_index) {
  const auto cut = cut_of(completed, plan);
  if (!cut || cut->units.empty()) return completed;
  const auto& nodes = column.profile->structure().nodes;
  // Everything made up goes at first, since a made-up Lokation and the group about it stand or
  // fall together; then each Vorgang takes back the groups its column finds missing in it.
  std::vector<bool> left_out(cut->units.size(), true);
  constexpr std::size_t rounds = 6;
  Judged judged = judge(*cut, left_out, column, answer_pid);
  for (std::size_t round = 0; round < rounds && judged.faulted() && !judged.faulted_message; ++round) {
    bool restored = false;
    for (std::size_t vorgang = 1; vorgang <= cut->vorgaenge; ++vorgang) {
      for (const Rejection* rejection : judged.faults[vorgang]) {
        const auto node = missing_node(column, *rejection);
        const auto* segment = node ? nodes[*node].segment() : nullptr;
        if (segment == nullptr) continue;
        for (std::size_t unit = 0; unit < cut->units.size(); ++unit) {
          const Unit& candidate = cut->units[unit];
          if (!left_out[unit] || candidate.lokation || candidate.vorgang != vorgang || candidate.tag != segment->tag ||
              !admits_qualifier(column, *node, candidate.qualifier)) {
            continue;
          }
          left_out[unit] = false;
          restored = true;
        }
      }
    }
    if (!restored) break;
    judged = judge(*cut, left_out, column, answer_pid);
  }
  if (judged.faulted_message) return completed;
  bool fallback = false;
  for (std::size_t vorgang = 1; vorgang <= cut->vorgaenge; ++vorgang) {
    if (judged.faults[vorgang].empty()) continue;
    for (const Rejection* rejection : judged.faults[vorgang]) {
      const auto node = missing_node(column, *rejection);
      const auto* segment = node ? nodes[*node].segment() : nullptr;
      if (segment != nullptr && segment->tag == "LOC") {
        return py::value_error(fmt::format(
            "received: message {}, Vorgang {}: the answer must carry a Lokation the request does not name — {}",
            message_index, support::debug_quote(plan.vorgaenge[vorgang - 1].vorgangsnummer), rejection->text));
      }
    }
    // What the column wants here is not told by a missing group: the Vorgang keeps all it had.
    for (std::size_t unit = 0; unit < cut->units.size(); ++unit) {
      if (cut->units[unit].vorgang == vorgang) left_out[unit] = false;
    }
    fallback = true;
  }
  // Each Vorgang was decided alone; the whole is judged once more before it goes out.
  if (fallback && judge(*cut, left_out, column, answer_pid).faulted()) return completed;
  std::vector<std::size_t> origin;
  return written(*cut, left_out, origin);
}

}  // namespace quorvane_native::edifact
