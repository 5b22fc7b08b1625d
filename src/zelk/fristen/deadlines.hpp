// When a CONTRL or APERAK is due, and the two general Werktag deadlines (a clock time on the n-th
// Werktag after receipt; the end of the n-th Werktag after receipt). The day of receipt, taken in
// Berlin time, never counts.
#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <optional>
#include <string_view>

#include "zelk/fristen/clock_time.hpp"
#include "zelk/fristen/error.hpp"
#include "zelk/fristen/instant.hpp"

namespace zelk_fristen {

// What arrived; selects the CONTRL window.
enum class ContrlAnlass : std::uint8_t { regelfall, strom_utilmd_orders, gas_alocat };

inline constexpr std::array<std::string_view, 3> contrl_anlass_names{"regelfall", "strom_utilmd_orders",
                                                                     "gas_alocat"};

constexpr std::string_view contrl_anlass_name(ContrlAnlass anlass) {
  return contrl_anlass_names[static_cast<std::size_t>(anlass)];
}

// Exact, case-sensitive match of the names above.
std::optional<ContrlAnlass> contrl_anlass_from_name(std::string_view name);

// A due time counted from receipt, and whether the rule moved it elsewhere (to a window end, to
// Sunday noon): an unmoved one is at the receipt's offset, a moved one at the Berlin offset.
struct DueTime {
  Instant at;
  bool moved = false;
};

// received + the Anlass' window, at received's offset; a due time inside a Formatumstellung
// window (31.3. 18:00 to 2.4. 00:00, 30.9. 18:00 to 2.10. 00:00 Berlin) moves to the window's
// end, shown at UTC.
std::expected<Instant, FristError> contrl_due_at(const Instant& received, ContrlAnlass anlass);
std::expected<DueTime, FristError> contrl_due(const Instant& received, ContrlAnlass anlass);

// received + 45 minutes at received's offset; for a Berlin Saturday, Sunday 12:00 Berlin at UTC.
std::expected<Instant, FristError> aperak_strom_due_at(const Instant& received);
std::expected<DueTime, FristError> aperak_strom_due(const Instant& received);

// 12:00 Berlin on the first Werktag after the Berlin day of receipt, shown at UTC.
std::expected<Instant, FristError> aperak_gas_folgeprozess_due_at(const Instant& received);

// The end of the third Werktag after the Berlin day of receipt.
std::expected<Instant, FristError> aperak_gas_initialprozess_due_at(const Instant& received);

// `clock` (Berlin) on the n-th Werktag after the Berlin day of receipt; n = 0 acts as n = 1.
std::expected<Instant, FristError> nth_werktag_at(const Instant& received, std::uint32_t n, ClockTime clock);

// 23:59:59.999999999 Berlin on the n-th Werktag after the Berlin day of receipt; n = 0 gives the
// end of that day itself, whatever kind of day it is.
std::expected<Instant, FristError> deadline_at_werktage(const Instant& received, std::uint32_t n);

// The same deadline as deadline_at_werktage, under the name the market rules use.
inline std::expected<Instant, FristError> end_of_werktag_after(const Instant& received, std::uint32_t n) {
  return deadline_at_werktage(received, n);
}

}  // namespace zelk_fristen
