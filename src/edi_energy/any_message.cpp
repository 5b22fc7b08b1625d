#include "edi_energy/any_message.hpp"

#include <type_traits>

#include <fmt/format.h>

#include "edi_energy/message.hpp"
#include "edi_energy/report/findings_cap.hpp"
#include "edifact/write/writer.hpp"
#include "support/debug_quote.hpp"

namespace edi_energy::any_message {

namespace {

template <class Message>
constexpr bool has_parties = requires(const Message& message) { message.nad_ms; };

std::optional<std::string_view> party_of(const std::optional<messages::segments::Nad>& nad) {
  if (!nad || !nad->party_id) return std::nullopt;
  return std::string_view(*nad->party_id);
}

}  // namespace

Result<release::Release> AnyMessage::detect_release() const {
  return std::visit(
      [](const auto& message) -> Result<release::Release> {
        if constexpr (std::is_same_v<std::decay_t<decltype(message)>, UnknownMessage>) {
          return message.release;
        } else {
          return message.detect_release();
        }
      },
      message_);
}

Result<std::uint32_t> AnyMessage::detect_pruefidentifikator() const {
  return std::visit(
      [](const auto& message) -> Result<std::uint32_t> {
        if constexpr (std::is_same_v<std::decay_t<decltype(message)>, UnknownMessage>) {
          return std::unexpected(Error::pruefidentifikator_not_found());
        } else {
          return message.detect_pruefidentifikator();
        }
      },
      message_);
}

Result<report::EdiEnergyReport> AnyMessage::validate_on_date(
    std::chrono::year_month_day date, std::span<const edifact::report::ValidationIssue> envelope_findings) const {
  if (const auto* unknown = std::get_if<UnknownMessage>(&message_)) {
    edifact::report::FindingBudget budget{.room = report::KEPT_FINDINGS, .left_out = {}};
    std::vector<edifact::report::ValidationIssue> findings;
    const edifact::report::FindingSink sink(findings, budget);
    for (const auto& issue : envelope_findings) sink.push_back(edifact::report::ValidationIssue(issue));
    sink.keep(edifact::report::ValidationIssue(
                  edifact::report::Severity::Error,
                  fmt::format("message type {} is not validated in this build", support::debug_quote(unknown->type_code)))
                  .with_rule_id("UNKNOWN-MSG-TYPE"));
    report::EdiEnergyReport report;
    report::file_findings(report, std::move(findings), budget);
    return report;
  }
  return message::validate_on_date(*core(), date, envelope_findings);
}

Result<std::string> AnyMessage::serialize() const {
  auto bytes = edifact::segments_to_bytes(segments());
  if (!bytes) return std::unexpected(Error::edifact_parse(std::move(bytes.error())));
  return std::move(*bytes);
}

std::optional<std::string_view> AnyMessage::nad_sender() const {
  return std::visit(
      [](const auto& message) -> std::optional<std::string_view> {
        if constexpr (has_parties<std::decay_t<decltype(message)>>) {
          return party_of(message.nad_ms);
        } else {
          return std::nullopt;
        }
      },
      message_);
}

std::optional<std::string_view> AnyMessage::nad_receiver() const {
  return std::visit(
      [](const auto& message) -> std::optional<std::string_view> {
        if constexpr (has_parties<std::decay_t<decltype(message)>>) {
          return party_of(message.nad_mr);
        } else {
          return std::nullopt;
        }
      },
      message_);
}

const messages::core::MessageCore* AnyMessage::core() const {
  return const_cast<AnyMessage*>(this)->core();
}

messages::core::MessageCore* AnyMessage::core() {
  return std::visit(
      [](auto& message) -> messages::core::MessageCore* {
        if constexpr (std::is_same_v<std::decay_t<decltype(message)>, UnknownMessage>) {
          return nullptr;
        } else {
          return &message.core;
        }
      },
      message_);
}

const std::vector<edifact::model::Segment>& AnyMessage::segments() const {
  if (const auto* unknown = std::get_if<UnknownMessage>(&message_)) return unknown->segments;
  return core()->segments;
}

static_assert(message::EdiEnergyMessage<AnyMessage>);
static_assert(message::EdiEnergyMessage<messages::contrl::ContrlMessage>);
static_assert(message::EdiEnergyMessage<messages::mscons::MsconsMessage>);

}  // namespace edi_energy::any_message
