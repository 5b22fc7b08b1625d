// A parsed message of any type: the typed message of its UNH type, or an unknown message
// that keeps its type code, release, reference and segments.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "edi_energy/error.hpp"
#include "edi_energy/messages/aperak.hpp"
#include "edi_energy/messages/contrl.hpp"
#include "edi_energy/messages/core.hpp"
#include "edi_energy/messages/mscons.hpp"
#include "edi_energy/messages/ordrsp.hpp"
#include "edi_energy/messages/partin.hpp"
#include "edi_energy/messages/plain.hpp"
#include "edi_energy/messages/utilmd.hpp"
#include "edi_energy/release.hpp"
#include "edi_energy/report.hpp"

namespace edi_energy::any_message {

struct UnknownMessage {
  std::string type_code;  // as written in UNH, possibly empty
  release::Release release;  // the empty text when UNH has none
  std::string message_reference;
  std::vector<edifact::model::Segment> segments;
};

// In the order of `MessageType`, then Unknown.
using MessageVariant =
    std::variant<messages::utilmd::UtilmdMessage, messages::mscons::MsconsMessage, messages::aperak::AperakMessage,
                 messages::contrl::ContrlMessage, messages::invoic::InvoicMessage, messages::remadv::RemadvMessage,
                 messages::orders::OrdersMessage, messages::iftsta::IftstaMessage, messages::insrpt::InsrptMessage,
                 messages::reqote::ReqoteMessage, messages::partin::PartinMessage, messages::ordchg::OrdchgMessage,
                 messages::ordrsp::OrdrespMessage, messages::quotes::QuotesMessage, messages::comdis::ComdisMessage,
                 messages::pricat::PricatMessage, messages::utilts::UtiltsMessage, UnknownMessage>;

class AnyMessage {
 public:
  explicit AnyMessage(MessageVariant message) : message_(std::move(message)) {}

  Result<release::Release> detect_release() const;
  Result<std::uint32_t> detect_pruefidentifikator() const;
  Result<std::string> serialize() const;
  // An unknown type is no error: its report holds the one UNKNOWN-MSG-TYPE finding after the
  // envelope's. `envelope_findings` as in the validation pipeline.
  Result<report::EdiEnergyReport> validate_on_date(
      std::chrono::year_month_day date, std::span<const edifact::report::ValidationIssue> envelope_findings = {}) const;

  // DE 3039 of the NAD+MS / NAD+MR; nothing for CONTRL and unknown messages.
  std::optional<std::string_view> nad_sender() const;
  std::optional<std::string_view> nad_receiver() const;

  // The core of a typed message; nullptr for an unknown one.
  const messages::core::MessageCore* core() const;
  messages::core::MessageCore* core();
  // The segments, whatever the variant.
  const std::vector<edifact::model::Segment>& segments() const;

  bool is_unknown() const { return std::holds_alternative<UnknownMessage>(message_); }
  const MessageVariant& variant() const { return message_; }

  template <class Message>
  const Message* get() const { return std::get_if<Message>(&message_); }

 private:
  MessageVariant message_;
};

}  // namespace edi_energy::any_message
