#include "zelk/fristen/antwort.hpp"

#include <algorithm>

#include "support/internal_fault.hpp"
#include "zelk/fristen/berlin_time.hpp"
#include "zelk/fristen/calendar.hpp"
#include "zelk/fristen/deadlines.hpp"

namespace zelk_fristen::antwort {
namespace {

std::expected<Instant, FristError> same_day_at_due(const Instant& received, ClockTime clock) {
  const auto day = berlin_day(received);
  if (!day) return std::unexpected(day.error());
  // Only a Werktag's own clock time can still be ahead; other days roll without resolving it.
  if (is_werktag(*day)) {
    // Whether it is still ahead asks for the moment only; its offset matters once it is the result.
    const auto on_day_of_receipt = resolve_berlin(*day, clock);
    if (!on_day_of_receipt) return on_day_of_receipt;
    if (received < *on_day_of_receipt) return berlin_at(*day, clock);
  }
  const auto next_werktag = nth_werktag_after(*day, 1);
  if (!next_werktag) return std::unexpected(next_werktag.error());
  return berlin_at(*next_werktag, clock);
}

}  // namespace

std::expected<Instant, FristError> FristShape::due_at(const Instant& received) const {
  switch (kind_) {
    case Kind::werktag_at:
      return nth_werktag_at(received, werktage_, clock_);
    case Kind::end_of_werktag:
      return deadline_at_werktage(received, werktage_);
    case Kind::same_day_at:
      return same_day_at_due(received, clock_);
    case Kind::same_day: {
      const auto day = berlin_day(received);
      if (!day) return std::unexpected(day.error());
      return berlin_at(*day, ClockTime::end_of_day());
    }
  }
  throw support::InternalFault("FristShape kind outside its enumeration");
}

const AntwortObligation* antwort_obligation(std::uint32_t trigger_pid) {
  const AnswerObligationTable& table = answer_obligation_table();
  const auto found = std::ranges::find(table, trigger_pid, &AntwortObligation::trigger_pid);
  return found == table.end() ? nullptr : &*found;
}

std::optional<AnswerKind> answer_kind(std::uint32_t answer_pid) {
  const AnswerObligationTable& table = answer_obligation_table();
  const bool confirms = std::ranges::find(table, answer_pid, &AntwortObligation::bestaetigung_pid) != table.end();
  const bool rejects = std::ranges::find(table, answer_pid, &AntwortObligation::ablehnung_pid) != table.end();
  if (confirms == rejects) return std::nullopt;
  return confirms ? AnswerKind::bestaetigung : AnswerKind::ablehnung;
}

}  // namespace zelk_fristen::antwort
