// Answer obligations: for each inbound Prüfidentifikator that starts a deadline, who must answer,
// with which Prüfidentifikatoren, under which Entscheidungsbaum, and how the deadline is measured.
#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <optional>
#include <string_view>

#include "zelk/fristen/clock_time.hpp"
#include "zelk/fristen/error.hpp"
#include "zelk/fristen/instant.hpp"

namespace zelk_fristen::antwort {

// How a deadline is measured from the instant of receipt.
class FristShape {
 public:
  enum class Kind : std::uint8_t { werktag_at, end_of_werktag, same_day_at, same_day };

  // `clock` (Berlin) on the n-th Werktag after the day of receipt.
  static constexpr FristShape werktag_at(std::uint32_t n, ClockTime clock) {
    return FristShape(Kind::werktag_at, n, clock);
  }
  // The end of the n-th Werktag after the day of receipt.
  static constexpr FristShape end_of_werktag(std::uint32_t n) { return FristShape(Kind::end_of_werktag, n, {}); }
  // `clock` on the day of receipt if that is a Werktag and still ahead, else on the next Werktag.
  static constexpr FristShape same_day_at(ClockTime clock) { return FristShape(Kind::same_day_at, 0, clock); }
  // The end of the day of receipt, Werktag or not.
  static constexpr FristShape same_day() { return FristShape(Kind::same_day, 0, {}); }

  constexpr Kind kind() const { return kind_; }
  // n for the Werktag shapes, 0 for the same-day shapes.
  constexpr std::uint32_t werktage() const { return werktage_; }
  // Set for werktag_at and same_day_at.
  constexpr std::optional<ClockTime> clock() const {
    if (kind_ == Kind::werktag_at || kind_ == Kind::same_day_at) return clock_;
    return std::nullopt;
  }

  // The due instant for a receipt at `received`, at the Berlin offset of its day.
  std::expected<Instant, FristError> due_at(const Instant& received) const;

  friend constexpr bool operator==(const FristShape&, const FristShape&) = default;

 private:
  constexpr FristShape(Kind kind, std::uint32_t werktage, ClockTime clock)
      : kind_(kind), werktage_(werktage), clock_(clock) {}

  Kind kind_;
  std::uint32_t werktage_;
  ClockTime clock_;
};

inline constexpr std::array<std::string_view, 4> frist_shape_names{"werktag_at", "end_of_werktag", "same_day_at",
                                                                   "same_day"};

constexpr std::string_view frist_shape_name(FristShape::Kind kind) {
  return frist_shape_names[static_cast<std::size_t>(kind)];
}

// The family of processes; the numeric value is the family code.
enum class ObligationFamily : std::uint8_t { gpke, geli_gas, wim, wim_gas, emob, mabis };

inline constexpr std::array<std::string_view, 6> obligation_family_names{"gpke", "geli-gas", "wim",
                                                                         "wim-gas", "emob", "mabis"};

constexpr std::string_view obligation_family_name(ObligationFamily family) {
  return obligation_family_names[static_cast<std::size_t>(family)];
}

struct AntwortObligation {
  // Entscheidungsbaum code, absent where none is published.
  std::optional<std::string_view> ebd;
  std::string_view name;
  // The market role that must answer.
  std::string_view answered_by;
  // Regulatory source and wording of the deadline.
  std::string_view source;
  std::uint32_t bestaetigung_pid;
  std::uint32_t ablehnung_pid;
  // The inbound Prüfidentifikator that starts the deadline; unique in the table.
  std::uint32_t trigger_pid;
  FristShape shape;
  ObligationFamily family;
};

inline constexpr std::size_t answer_obligation_count = 65;
using AnswerObligationTable = std::array<AntwortObligation, answer_obligation_count>;

// The whole table, GPKE first, then GeLi Gas, WiM Strom, WiM Gas, E-Mobilität and MaBiS.
const AnswerObligationTable& answer_obligation_table();

// The record of that trigger Prüfidentifikator; nullptr when none is known (which does not mean
// that no deadline applies).
const AntwortObligation* antwort_obligation(std::uint32_t trigger_pid);

enum class AnswerKind : std::uint8_t { bestaetigung, ablehnung };

// What an answer Prüfidentifikator says to its request, as the records name it; none where no
// record names it, or where one PID carries both answers of a record (55137).
std::optional<AnswerKind> answer_kind(std::uint32_t answer_pid);

}  // namespace zelk_fristen::antwort
