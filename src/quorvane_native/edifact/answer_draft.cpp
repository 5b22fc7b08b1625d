#include "quorvane_native/edifact/answer_draft.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <utility>

#include "edi_energy/message_type.hpp"
#include "edifact/parse/from_bytes.hpp"

namespace quorvane_native::edifact {

std::string Draft::message() const {
  std::string written;
  for (const std::string_view text : texts) written += text;
  written += fmt::format("UNT+{}+{}'", texts.size() + 1, reference);
  return written;
}

bool Judged::faulted() const {
  return faulted_message || std::ranges::any_of(faults, [](const auto& each) { return !each.empty(); });
}

namespace {

// Leaving out one unit (a Lokation, an SG8 or SG12 group) finds about one fault, and a verdict
// keeps a thousand.
constexpr std::size_t units_per_batch = 400;

bool opens_unit(std::string_view text) {
  return text.starts_with("SEQ") || text.starts_with("NAD") || text.starts_with("LOC");
}

// Judges segments [first, last) of the draft after its head, faults told to the whole draft.
void judge_batch(const Draft& draft, std::size_t head, std::size_t first, std::size_t last, const ColumnRef& column,
                 std::uint32_t answer_pid, Judged& judged) {
  Draft batch;
  batch.reference = draft.reference;
  for (std::size_t at = 0; at < head; ++at) batch.add(draft.texts[at], 0, at);
  for (std::size_t at = first; at < last; ++at) batch.add(draft.texts[at], draft.vorgang[at], at);
  const std::string message = batch.message();
  std::vector<::edifact::model::Segment> segments;
  auto parsed = ::edifact::from_bytes_with_config(message, ::edifact::ParserConfig{});
  while (auto item = parsed.next()) {
    if (!*item) {
      judged.faulted_message = true;
      return;
    }
    segments.push_back(std::move(**item));
  }
  ColumnVerdict& verdict = judged.verdicts.emplace_back();
  judge_completed(verdict, column, edi_energy::message_type::MessageType::Utilmd, answer_pid, std::move(segments),
                  message, {});
  for (const Rejection& rejection : verdict.rejections) {
    std::optional<std::size_t> at = rejection.segment ? rejection.segment : rejection.scope;
    if (at && *at >= batch.texts.size()) at.reset();
    const std::size_t vorgang = at ? batch.vorgang[*at] : 0;
    if (vorgang == 0) judged.faulted_message = true;
    else judged.faults[vorgang].push_back({&rejection, batch.origin[*at]});
  }
}

}  // namespace

Judged judge(const Draft& draft, const ColumnRef& column, std::uint32_t answer_pid) {
  Judged judged;
  judged.faults.resize(draft.vorgaenge + 1);
  std::size_t head = 0;
  while (head < draft.texts.size() && draft.vorgang[head] == 0) ++head;
  std::vector<std::pair<std::size_t, std::size_t>> batches;
  std::size_t units = 0;
  for (std::size_t at = head; at < draft.texts.size(); ++at) {
    const bool starts_vorgang = at == head || draft.vorgang[at] != draft.vorgang[at - 1];
    if (starts_vorgang && (batches.empty() || units > units_per_batch)) {
      batches.emplace_back(at, at);
      units = 0;
    }
    units += opens_unit(draft.texts[at]) ? 1 : 0;
    batches.back().second = at + 1;
  }
  if (batches.empty()) batches.emplace_back(head, head);
  // The verdicts stay where the faults point.
  judged.verdicts.reserve(batches.size());
  for (const auto& [first, last] : batches) judge_batch(draft, head, first, last, column, answer_pid, judged);
  return judged;
}

}  // namespace quorvane_native::edifact
