// What a UNB says: parties with their qualifiers, control reference, syntax, preparation date
// and time, test indicator. Kept apart from the parsed interchange so that reports can carry it.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "edifact/model/segment.hpp"

namespace edi_energy::interchange {

// A calendar date with a clock time and no zone, as a UNB writes it.
struct LocalDateTime {
  std::chrono::year_month_day date;
  std::uint8_t hour = 0;
  std::uint8_t minute = 0;
  std::uint8_t second = 0;

  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

struct InterchangeHeader {
  std::string sender;               // DE 0004
  std::string sender_qualifier;     // DE 0007
  std::string recipient;            // DE 0010
  std::string recipient_qualifier;  // DE 0007 of the recipient
  std::string control_ref;          // DE 0020
  std::string syntax_identifier;    // DE 0001
  std::optional<LocalDateTime> prepared_at;
  std::uint8_t syntax_version = 3;
  bool test_indicator = false;

  static InterchangeHeader from_unb(const edifact::model::Segment& unb);

  friend bool operator==(const InterchangeHeader&, const InterchangeHeader&) = default;
};

}  // namespace edi_energy::interchange
