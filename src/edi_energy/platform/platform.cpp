#include "edi_energy/platform/platform.hpp"

#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "edi_energy/catalogue.hpp"
#include "edi_energy/message_type.hpp"
#include "edi_energy/parse/dispatch.hpp"
#include "edi_energy/parse/party_identity.hpp"
#include "edi_energy/platform/envelope_findings.hpp"
#include "edi_energy/platform/input_segments.hpp"
#include "edifact/de/message_window.hpp"
#include "support/diag.hpp"

namespace edi_energy::platform {
namespace {

using edifact::model::Segment;

const Segment* first_tagged(const std::vector<Segment>& segments, std::string_view tag) {
  for (const auto& segment : segments) {
    if (segment.tag() == tag) return &segment;
  }
  return nullptr;
}

const Segment* last_tagged(const std::vector<Segment>& segments, std::string_view tag) {
  for (auto it = segments.rbegin(); it != segments.rend(); ++it) {
    if (it->tag() == tag) return &*it;
  }
  return nullptr;
}

std::string type_name_of(const any_message::AnyMessage& message) {
  if (message.is_unknown()) return {};
  return std::string(message_type::unh_code(static_cast<message_type::MessageType>(message.variant().index())));
}

}  // namespace

Platform Platform::with_all_profiles() {
  std::vector<const profile::Profile*> profiles;
  register_profiles(profiles);
  return Platform(std::make_shared<const registry::ReleaseRegistry>(registry::ReleaseRegistry::create(std::move(profiles))));
}

Result<interchange::ParsedInterchange> Platform::parse_interchange_full(std::string_view input) const {
  auto segments = input_segments(input);
  if (!segments) return std::unexpected(std::move(segments.error()));

  const Segment* unb = first_tagged(*segments, "UNB");
  if (unb == nullptr) return std::unexpected(Error::required_segment_missing("UNB"));

  interchange::ParsedInterchange parsed;
  parsed.header = interchange::InterchangeHeader::from_unb(*unb);
  support::diag::emit(support::diag::Level::Debug, "edi_energy::parse", "parse_interchange",
                      {{"sender", parsed.header.sender},
                       {"receiver", parsed.header.recipient},
                       {"control_ref", parsed.header.control_ref},
                       {"segment_count", std::to_string(segments->size())}});

  if (const Segment* unz = last_tagged(*segments, "UNZ")) {
    parsed.unz_message_count = static_cast<std::size_t>(
        interchange::read_count(interchange::component_text(*unz, 0, 0).value_or(std::string_view{}),
                                std::numeric_limits<std::size_t>::max())
            .value_or(0));
    parsed.unz_control_ref = std::string(interchange::component_text(*unz, 1, 0).value_or(std::string_view{}));
  }

  EnvelopeFindings envelope = envelope_findings(*segments);
  parsed.envelope_sound = envelope.interchange_sound;
  parsed.group_count = envelope.group_count;
  edifact::de::MessageWindows windows(std::move(*segments));
  while (auto window = windows.next()) {
    if (!window->has_value()) return std::unexpected(Error::edifact_parse(std::move(window->error())));
    if (parsed.messages.size() == MAX_INTERCHANGE_MESSAGES) {
      return std::unexpected(Error::too_many_messages(MAX_INTERCHANGE_MESSAGES));
    }
    // A UNB or UNZ inside a message is already a finding of it; kept, it would make the
    // message look like one with an envelope of its own.
    std::erase_if((*window)->segments, is_interchange_service_segment);
    auto message = parse::dispatch_message_on_date(std::move((*window)->segments), *registry_, std::nullopt);
    if (!message) return std::unexpected(std::move(message.error()));
    const std::size_t index = parsed.messages.size();
    std::vector<edifact::report::ValidationIssue> findings;
    if (index < envelope.per_message.size()) findings = std::move(envelope.per_message[index]);
    parsed.messages.push_back({std::move(*message), parsed.header, index, std::move(findings)});
  }

  for (const auto& envelope : parsed.messages) {
    if (auto party = parse::check_interchange_party_identity(parsed.header.sender, parsed.header.recipient,
                                                             envelope.message, envelope.index);
        !party) {
      return std::unexpected(std::move(party.error()));
    }
  }
  if (!parsed.unz_control_ref.empty() && parsed.unz_control_ref != parsed.header.control_ref) {
    return std::unexpected(Error::control_reference_mismatch(parsed.header.control_ref, parsed.unz_control_ref));
  }
  if (parsed.unz_message_count != 0 && parsed.unz_message_count != parsed.unz_counted()) {
    return std::unexpected(parsed.group_count > 0
                               ? Error::unz_group_count_mismatch(parsed.unz_message_count, parsed.group_count)
                               : Error::unz_count_mismatch(parsed.unz_message_count, parsed.messages.size()));
  }
  return parsed;
}

Result<any_message::AnyMessage> Platform::parse(std::string_view input) const {
  auto bare = parse_bare(input);
  if (!bare) return std::unexpected(std::move(bare.error()));
  return std::move(bare->message);
}

Result<BareMessage> Platform::parse_bare(std::string_view input) const {
  auto segments = input_segments(input);
  if (!segments) return std::unexpected(std::move(segments.error()));
  if (segments->size() > MAX_BARE_MESSAGE_SEGMENTS) {
    return std::unexpected(Error::too_many_segments(MAX_BARE_MESSAGE_SEGMENTS, segments->size()));
  }
  std::string sender;
  std::string recipient;
  std::vector<edifact::report::ValidationIssue> findings;
  if (!segments->empty() && segments->front().tag() == "UNB") {
    const Segment& unb = segments->front();
    sender = std::string(interchange::component_text(unb, 1, 0).value_or(std::string_view{}));
    recipient = std::string(interchange::component_text(unb, 2, 0).value_or(std::string_view{}));
  } else {
    // Kept, a stray UNB would pass for the message's own envelope and its parties for the
    // message's.
    findings = bare_message_findings(*segments);
    std::erase_if(*segments, is_interchange_service_segment);
  }
  auto message = parse::dispatch_message_on_date(std::move(*segments), *registry_, std::nullopt);
  if (!message) return std::unexpected(std::move(message.error()));
  if (auto party = parse::check_interchange_party_identity(sender, recipient, *message, 0); !party) {
    return std::unexpected(std::move(party.error()));
  }
  if (support::diag::has_sink()) {
    const auto release = message->detect_release();
    const auto pid = message->detect_pruefidentifikator();
    support::diag::emit(support::diag::Level::Info, "edi_energy::platform", "parse",
                        {{"bytes", std::to_string(input.size())},
                         {"message_type", type_name_of(*message)},
                         {"release", release ? std::string(release->text()) : std::string()},
                         {"pruefidentifikator", pid ? std::to_string(*pid) : std::string()}});
  }
  return BareMessage{std::move(*message), std::move(findings)};
}

}  // namespace edi_energy::platform
