#include "quorvane_native/edifact/answer_trim.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "edi_energy/message_type.hpp"
#include "edifact/parse/from_bytes.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact {

namespace {

enum class Unit : std::uint8_t { kept, lokation, group };

// The answer cut into segments, each with its Vorgang (from 1; 0 outside) and whether it belongs
// to something completion made up.
struct Cut {
  std::vector<std::string_view> texts;  // each segment with its terminator
  std::vector<std::size_t> vorgang;
  std::vector<Unit> unit;
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
  Unit open = Unit::kept;  // the group the segments now belong to
  for (std::size_t at = 0; at < segments.size(); ++at) {
    const ::edifact::model::Segment segment = segments[at];
    const std::size_t start = segment.span().start;
    const std::size_t end = at + 1 < segments.size() ? segments[at + 1].span().start : message.size();
    const std::string_view tag = segment.tag();
    if (tag == "IDE") ++cut.vorgaenge;
    if (tag == "UNT") {
      cut.reference = std::string(segment.component_text(1, 0).value_or(std::string_view()));
    }
    const std::size_t vorgang = tag == "UNT" ? 0 : cut.vorgaenge;
    // SG8 opens with SEQ and SG12 with NAD; IDE, a LOC or UNT ends either.
    if (tag == "SEQ" || (tag == "NAD" && vorgang > 0)) open = Unit::group;
    if (tag == "IDE" || tag == "LOC" || tag == "UNT") open = Unit::kept;
    Unit unit = open;
    if (tag == "LOC" && vorgang > 0 &&
        !named_by_request(plan, vorgang, segment.component_text(0, 0).value_or(std::string_view()),
                          segment.component_text(1, 0).value_or(std::string_view()))) {
      unit = Unit::lokation;
    }
    cut.texts.push_back(message.substr(start, end - start));
    cut.vorgang.push_back(vorgang);
    cut.unit.push_back(unit);
  }
  if (cut.texts.empty() || !cut.texts.back().starts_with("UNT")) return std::nullopt;
  return cut;
}

// What each Vorgang leaves out: `out[v]` for Vorgang v (from 1) the units it goes without.
using LeftOut = std::vector<std::vector<Unit>>;

// The message without the units each Vorgang leaves out, and the segment of the whole answer each
// of its segments is.
std::string written(const Cut& cut, const LeftOut& out, std::vector<std::size_t>& origin) {
  std::string message;
  origin.clear();
  for (std::size_t at = 0; at + 1 < cut.texts.size(); ++at) {
    const auto& leaving = out[cut.vorgang[at]];
    if (cut.unit[at] != Unit::kept && std::ranges::find(leaving, cut.unit[at]) != leaving.end()) continue;
    message += cut.texts[at];
    origin.push_back(at);
  }
  origin.push_back(cut.texts.size() - 1);
  message += fmt::format("UNT+{}+{}'", origin.size(), cut.reference);
  return message;
}

struct Judged {
  ColumnVerdict verdict;
  std::vector<bool> faulted;           // per Vorgang (from 1)
  bool faulted_message = false;        // a fault outside every Vorgang
  std::vector<std::size_t> origin;
};

Judged judge(const Cut& cut, const LeftOut& out, const ColumnRef& column, std::uint32_t answer_pid) {
  Judged judged;
  const std::string message = written(cut, out, judged.origin);
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
  judged.faulted.assign(cut.vorgaenge + 1, false);
  for (const Rejection& rejection : judged.verdict.rejections) {
    const std::optional<std::size_t> at = rejection.segment ? rejection.segment : rejection.scope;
    const std::size_t vorgang = at && *at < judged.origin.size() ? cut.vorgang[judged.origin[*at]] : 0;
    if (vorgang == 0) judged.faulted_message = true;
    else judged.faulted[vorgang] = true;
  }
  return judged;
}

// The first fault of Vorgang `vorgang` that asks for a Lokation: one missing in SG5.
const Rejection* lokation_wanted(const Judged& judged, const Cut& cut, std::size_t vorgang) {
  for (const Rejection& rejection : judged.verdict.rejections) {
    const std::optional<std::size_t> at = rejection.segment ? rejection.segment : rejection.scope;
    if (!at || *at >= judged.origin.size() || cut.vorgang[judged.origin[*at]] != vorgang) continue;
    const bool missing = rejection.rule.ends_with("-MISSING") || rejection.rule.ends_with("-REQUIRED");
    if (missing && (rejection.text.find("LOC") != std::string::npos || rejection.text.find("SG5") != std::string::npos)) {
      return &rejection;
    }
  }
  return nullptr;
}

}  // namespace

py::Expected<std::string> without_made_up(std::string completed, const AnswerPlan& plan, const ColumnRef& column,
                                          std::uint32_t answer_pid, std::uint64_t message_index) {
  const auto cut = cut_of(completed, plan);
  if (!cut || !std::ranges::any_of(cut->unit, [](Unit unit) { return unit != Unit::kept; })) return completed;
  // Everything made up goes at once, since a made-up Lokation and the group about it stand or
  // fall together; a Vorgang the column then faults keeps its groups, and then all it had.
  LeftOut out(cut->vorgaenge + 1, std::vector<Unit>{Unit::lokation, Unit::group});
  out[0].clear();
  const Judged bare = judge(*cut, out, column, answer_pid);
  if (bare.faulted_message) return completed;
  bool any = false;
  for (std::size_t vorgang = 1; vorgang <= cut->vorgaenge; ++vorgang) {
    if (bare.faulted[vorgang]) {
      out[vorgang] = {Unit::lokation};
      any = true;
    }
  }
  std::vector<std::size_t> origin;
  if (!any) return written(*cut, out, origin);
  const Judged grouped = judge(*cut, out, column, answer_pid);
  if (grouped.faulted_message) return completed;
  for (std::size_t vorgang = 1; vorgang <= cut->vorgaenge; ++vorgang) {
    if (!grouped.faulted[vorgang]) continue;
    if (const Rejection* wanted = lokation_wanted(bare, *cut, vorgang)) {
      return py::value_error(fmt::format(
          "received: message {}, Vorgang {}: the answer must carry a Lokation the request does not name — {}",
          message_index, support::debug_quote(plan.vorgaenge[vorgang - 1].vorgangsnummer), wanted->text));
    }
    out[vorgang].clear();
  }
  // Each Vorgang was decided alone; the whole is judged once more before it goes out.
  const Judged decided = judge(*cut, out, column, answer_pid);
  if (decided.faulted_message || std::ranges::find(decided.faulted, true) != decided.faulted.end()) return completed;
  return written(*cut, out, origin);
}

}  // namespace quorvane_native::edifact
