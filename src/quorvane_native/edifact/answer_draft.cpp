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

Judged judge(const Draft& draft, const ColumnRef& column, std::uint32_t answer_pid) {
  Judged judged;
  const std::string message = draft.message();
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
  judged.faults.resize(draft.vorgaenge + 1);
  for (const Rejection& rejection : judged.verdict.rejections) {
    std::optional<std::size_t> at = rejection.segment ? rejection.segment : rejection.scope;
    if (at && *at >= draft.texts.size()) at.reset();
    const std::size_t vorgang = at ? draft.vorgang[*at] : 0;
    if (vorgang == 0) judged.faulted_message = true;
    else judged.faults[vorgang].push_back({&rejection, at});
  }
  return judged;
}

}  // namespace quorvane_native::edifact
