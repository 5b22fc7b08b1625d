// The C++ values behind the report classes. Reports are read-only: a MessageReport shares its
// data, so that the fresh objects every attribute access hands out cost no deep copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edifact/report/severity.hpp"

namespace quorvane_native::edifact {

using TextPair = std::pair<std::string, std::string>;

struct Finding {
  std::string_view severity;  // static text: "critical", "error", "warning", "info"
  std::optional<std::string> rule_id;
  std::optional<::edifact::report::ValidationLayer> rule_origin;
  std::optional<std::string> error_code;
  std::optional<std::string> segment;
  std::optional<std::string> segment_group;
  std::optional<std::uint8_t> element;
  std::optional<std::uint8_t> component;
  std::optional<std::string> suggestion;
  std::string message;

  bool is_error() const { return severity == "critical" || severity == "error"; }
};

struct Vorgang {
  std::optional<std::string> vorgangsnummer;
  std::vector<TextPair> locations;   // (DE 3227, id)
  std::vector<TextPair> dates;       // (DE 2005, DE 2380 as written)
  std::vector<TextPair> references;  // (DE 1153, DE 1154)
  std::optional<std::string> transaktionsgrund;
  std::optional<std::string> antwort_code;
  std::optional<std::string> antwort_codeliste;
};

struct MessageReportData {
  std::size_t index = 0;
  std::string message_ref;
  std::optional<std::uint32_t> pruefidentifikator;
  std::optional<std::string_view> message_type;  // static UNH code
  std::optional<std::string> release;
  bool is_valid = false;
  bool rules_applied = false;
  std::vector<Vorgang> vorgaenge;
  std::vector<Finding> findings;  // errors, then warnings, then infos
};

struct MessageReport {
  std::shared_ptr<const MessageReportData> data;
};

struct Envelope {
  std::string sender_id;
  std::string sender_qualifier;
  std::string receiver_id;
  std::string receiver_qualifier;
  std::string control_ref;
  std::optional<std::string> transmission_date;
  bool test_indicator = false;
  std::size_t message_count = 0;
  std::size_t declared_message_count = 0;
  bool is_structurally_valid = false;
};

struct ValidationReport {
  bool is_valid = false;
  std::optional<Envelope> envelope;
  std::vector<MessageReport> messages;
};

}  // namespace quorvane_native::edifact
