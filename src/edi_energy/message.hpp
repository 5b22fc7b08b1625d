// The operations every typed message and `AnyMessage` offer, reached by static dispatch only.
// Validation for a date joins them with the validation pipeline.
#pragma once

#include <chrono>
#include <concepts>
#include <span>
#include <cstdint>
#include <string>

#include "edi_energy/error.hpp"
#include "edi_energy/messages/core.hpp"
#include "edi_energy/release.hpp"
#include "edi_energy/report.hpp"

namespace edi_energy::message {

template <class Message>
concept EdiEnergyMessage = requires(const Message& message) {
  { message.detect_release() } -> std::same_as<Result<release::Release>>;
  { message.detect_pruefidentifikator() } -> std::same_as<Result<std::uint32_t>>;
  { message.serialize() } -> std::same_as<Result<std::string>>;
  { message.validate_on_date(std::chrono::year_month_day{}) } -> std::same_as<Result<report::EdiEnergyReport>>;
};

// The shared bodies, over the core every message holds.
Result<release::Release> detect_release(const messages::core::MessageCore& core);
Result<std::uint32_t> detect_pruefidentifikator(const messages::core::MessageCore& core);
// The segments as EDIFACT with the default service characters; a writer failure is a parse
// error carrying the syntax error.
Result<std::string> serialize(const messages::core::MessageCore& core);
// The pipeline with the type's semantic rule pack, if it has one, and the process-wide registry
// (also for messages that a platform with its own registry parsed). Needs the UNH release.
Result<report::EdiEnergyReport> validate_on_date(const messages::core::MessageCore& core,
                                                 std::chrono::year_month_day date,
                                                 std::span<const edifact::report::ValidationIssue> envelope_findings = {});

// Gives a typed message with a `core` member the three operations.
template <class Derived>
struct MessageOperations {
  Result<release::Release> detect_release() const { return message::detect_release(self().core); }
  Result<std::uint32_t> detect_pruefidentifikator() const {
    return message::detect_pruefidentifikator(self().core);
  }
  Result<std::string> serialize() const { return message::serialize(self().core); }
  Result<report::EdiEnergyReport> validate_on_date(
      std::chrono::year_month_day date, std::span<const edifact::report::ValidationIssue> envelope_findings = {}) const {
    return message::validate_on_date(self().core, date, envelope_findings);
  }

 private:
  const Derived& self() const { return static_cast<const Derived&>(*this); }
};

}  // namespace edi_energy::message
