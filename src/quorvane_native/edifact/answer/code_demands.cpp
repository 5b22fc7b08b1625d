#include "quorvane_native/edifact/answer/code_demands.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quorvane_native/edifact/answer/carry.hpp"
#include "quorvane_native/edifact/answer/draft.hpp"
#include "quorvane_native/edifact/answer/obligations.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "quorvane_native/edifact/dtm_in_utc.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact::answer {

namespace {

// An answer Vorgang judged without its code.
struct Judging {
  std::size_t vorgang = 0;             // from 1
  std::vector<std::size_t> filled;     // the segments at the argument places the builder did not write
  std::vector<bool> given;             // of each, whether it says what the request said
  std::vector<std::size_t> taken_out;  // those, and the dates of a reference among them, in order
  std::optional<std::pair<std::size_t, std::string>> uncoded;  // its STS+E01 with the code left empty
};

// Removes one `key` from `keys`; whether there was one.
template <class Key>
bool take(std::vector<Key>& keys, std::string_view key) {
  const auto found = std::ranges::find(keys, key);
  if (found == keys.end()) return false;
  keys.erase(found);
  return true;
}

// What a segment says: a format-303 date as its instant in +00, since the answer carries the
// request's dates so; any other segment as written.
std::string said(const CutSegment& segment) {
  const auto dtm = dtm_text(segment.text);
  const auto utc = dtm && dtm->format == "303" ? dtm_in_utc(dtm->value) : std::nullopt;
  return utc ? fmt::format("{}:{}", segment.key, *utc) : std::string(segment.text);
}

// What the request Vorgang `vorgang` (from 1) says in its own segments; nothing for none.
std::vector<std::string> request_said(const VorgangCut& request, std::optional<std::size_t> vorgang) {
  std::vector<std::string> said_there;
  if (!vorgang) return said_there;
  const auto [first, last] = request.range(*vorgang);
  for (std::size_t at = first + 1; at < last; ++at) {
    if (request.segments[at].depth == 0) said_there.push_back(said(request.segments[at]));
  }
  return said_there;
}

// The segments at the places the arguments write that the builder did not write, and which of them
// say what the request said (`given`): the Vorgang's own DTM and FTX, which stand before its first
// Lokation or reference, and the RFF of its references, which goes with the dates of its group.
Judging filled_places(const VorgangCut& answer, const VorgangCut& built, std::size_t vorgang,
                      std::vector<std::string> given) {
  std::vector<std::string_view> written;
  const auto [built_first, built_last] = built.range(vorgang);
  for (std::size_t at = built_first + 1; at < built_last; ++at) {
    if (built.segments[at].depth == 0) written.push_back(built.segments[at].key);
  }
  Judging judging{.vorgang = vorgang, .filled = {}, .given = {}, .taken_out = {}, .uncoded = {}};
  const auto [first, last] = answer.range(vorgang);
  const std::vector<bool> places = argument_segments(answer, vorgang);
  bool reference_out = false;
  for (std::size_t at = first + 1; at < last; ++at) {
    const CutSegment& segment = answer.segments[at];
    if (segment.depth != 0) continue;
    const bool place = places[at - first];
    if (segment.tag() != "DTM") reference_out = false;
    if (place && !take(written, segment.key)) {
      judging.filled.push_back(at);
      judging.given.push_back(take(given, said(segment)));
      reference_out = segment.tag() == "RFF";
    }
    if (reference_out || (!judging.filled.empty() && judging.filled.back() == at)) judging.taken_out.push_back(at);
  }
  return judging;
}

// The STS+E01 `text` with `code` left empty, so that no condition on an answer code holds of it;
// none where it does not carry that code.
std::optional<std::string> without_code(std::string_view text, std::string_view code) {
  if (!text.starts_with("STS+E01+")) return std::nullopt;
  // The code opens the fourth element.
  std::size_t at = 0;
  for (int separators = 0; at < text.size() && separators < 3; ++at) {
    if (text[at] == '?') ++at;
    else if (text[at] == '+') ++separators;
  }
  const std::string_view rest = text.substr(std::min(at, text.size()));
  if (!rest.starts_with(code) || rest.size() == code.size()) return std::nullopt;
  if (const char next = rest[code.size()]; next != ':' && next != '+' && next != '\'') return std::nullopt;
  std::string uncoded(text);
  uncoded.erase(at, code.size());
  return uncoded;
}

// The head and the judged Vorgänge as they would stand without the code.
Draft uncoded_draft(const VorgangCut& answer, std::span<const Judging> judgings) {
  Draft draft;
  draft.reference = answer.segments.back().value;
  draft.vorgaenge = judgings.size();
  for (std::size_t at = 0; at < answer.ides.front(); ++at) draft.add(answer.segments[at].text, 0, at);
  for (std::size_t judged = 1; judged <= judgings.size(); ++judged) {
    const Judging& judging = judgings[judged - 1];
    // The fault of each value taken out, and those of the empty code.
    draft.expected_faults += judging.filled.size() + 2;
    const auto [first, last] = answer.range(judging.vorgang);
    for (std::size_t at = first; at < last; ++at) {
      if (std::ranges::binary_search(judging.taken_out, at)) continue;
      const bool uncoded = judging.uncoded && judging.uncoded->first == at;
      draft.add(uncoded ? std::string_view(judging.uncoded->second) : answer.segments[at].text, judged, at);
    }
  }
  return draft;
}

py::Failure unjudged(std::string_view code, std::string_view why) {
  return py::runtime_error(
      fmt::format("build_answer: what antwort_code {} obliges cannot be told: {}", support::debug_quote(code), why));
}

// The segments the code alone demands in the first of `judgings` that has any: those the column
// does not ask for without the code. None where it demands nothing of them.
using Demands = std::optional<std::vector<std::size_t>>;
py::Expected<Demands> first_demands(const VorgangCut& answer, std::span<const Judging> judgings,
                                    const ColumnRef& column, std::uint32_t answer_pid, std::string_view code) {
  const Draft draft = uncoded_draft(answer, judgings);
  const Judged judged = judge(draft, column, answer_pid);
  if (judged.unread) return unjudged(code, "the answer without it does not read back");
  const auto& nodes = column.profile->structure().nodes;
  for (std::size_t judged_at = 1; judged_at <= judgings.size(); ++judged_at) {
    const Judging& judging = judgings[judged_at - 1];
    const auto fills = [&](std::size_t at, edi_energy::profile::structure::NodeIndex node) {
      const auto* wanted = nodes[node].segment();
      return wanted != nullptr && wanted->tag == answer.segments[at].tag() &&
             admits_qualifier(column, node, answer.segments[at].qualifier());
    };
    std::vector<bool> asked(judging.filled.size(), false);
    // Without the code the column wants another value where these stand (an Ende where the
    // code asks for an Ende zum nächstmöglichen Termin): all of them are the code's.
    bool elsewhere = false;
    for (const Judged::Fault& fault : judged.faults[judged_at]) {
      const auto node = missing_node(column, *fault.rejection);
      const bool at_code = fault.at && judging.uncoded && draft.origin[*fault.at] == judging.uncoded->first;
      if (!node || at_code) continue;
      bool filled = false;
      for (std::size_t index = 0; index < asked.size(); ++index) {
        if (fills(judging.filled[index], *node)) asked[index] = filled = true;
      }
      elsewhere = elsewhere || !filled;
    }
    // What the request said is the code's only where the column wants another value in its stead.
    std::vector<std::size_t> demands;
    for (std::size_t index = 0; index < asked.size(); ++index) {
      if (elsewhere || (!asked[index] && !judging.given[index])) demands.push_back(judging.filled[index]);
    }
    if (!demands.empty()) return demands;
  }
  return Demands();
}

}  // namespace

py::Expected<std::optional<std::string>> without_code_demands(const CodedAnswer& coded, const ColumnRef& column,
                                                               std::uint32_t answer_pid) {
  const auto answer = cut_vorgaenge(coded.answer);
  const auto built = cut_vorgaenge(coded.built);
  if (!answer || !built || answer->vorgaenge() == 0 || built->vorgaenge() != answer->vorgaenge()) {
    return unjudged(coded.code, "the answer does not cut into the Vorgänge it was built with");
  }
  const auto answered = coded.request.vorgaenge() > 0 ? answered_vorgaenge(coded.request, coded.plan)
                                                       : std::vector<std::optional<std::size_t>>();
  std::vector<Judging> judgings;
  for (std::size_t vorgang = 1; vorgang <= answer->vorgaenge(); ++vorgang) {
    const auto asked = vorgang < answered.size() ? answered[vorgang] : std::nullopt;
    Judging filled = filled_places(*answer, *built, vorgang, request_said(coded.request, asked));
    if (filled.filled.empty()) continue;
    Judging& judging = judgings.emplace_back(std::move(filled));
    const auto [first, last] = answer->range(vorgang);
    for (std::size_t at = first + 1; at < last && !judging.uncoded; ++at) {
      if (auto uncoded = without_code(answer->segments[at].text, coded.code)) judging.uncoded.emplace(at, *uncoded);
    }
  }
  if (judgings.empty()) return std::nullopt;
  // The refusal names the first Vorgang the code demands anything of, which is most often the
  // first with values of completion's: that one alone first, the rest only where it has none.
  auto demands = first_demands(*answer, std::span(judgings).first(1), column, answer_pid, coded.code);
  if (demands && !*demands && judgings.size() > 1) {
    demands = first_demands(*answer, std::span(judgings).subspan(1), column, answer_pid, coded.code);
  }
  if (!demands) return py::propagate(demands);
  if (!*demands) return std::nullopt;
  Draft without;
  without.reference = answer->segments.back().value;
  for (std::size_t at = 0; at + 1 < answer->segments.size(); ++at) {
    if (!std::ranges::binary_search(**demands, at)) without.add(answer->segments[at].text, 0, at);
  }
  return without.message();
}

}  // namespace quorvane_native::edifact::answer
