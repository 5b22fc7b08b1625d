#include "edi_energy/parse/dispatch.hpp"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include <fmt/format.h>

#include "edi_energy/message_type.hpp"
#include "edi_energy/pid_scan.hpp"
#include "support/diag.hpp"

namespace edi_energy::parse {

namespace {

using edifact::model::Segment;
using message_type::MessageType;
using Segments = std::vector<Segment>;

constexpr std::string_view TARGET = "edi_energy::parse";
constexpr std::chrono::year_month_day LAST_DAY{std::chrono::year(9999), std::chrono::December, std::chrono::day(31)};

// The newest profile of the type and release, whatever its first day.
const profile::Profile* newest_profile(MessageType type, std::string_view release_text,
                                       const registry::ReleaseRegistry& registry) {
  auto profile = registry.profile_on(type, release::Release(release_text), LAST_DAY);
  return profile ? *profile : nullptr;
}

// An APERAK's document number is its own reference, which may look like a Prüfidentifikator;
// it counts only when the APERAK profiles know it as one.
bool is_aperak_pid(std::uint32_t pid, std::string_view release_text, const registry::ReleaseRegistry& registry) {
  if (const auto* profile = newest_profile(MessageType::Aperak, release_text, registry)) {
    return profile->anwendungsfall(pid) != nullptr;
  }
  return registry.pid_has_ahb_rules(MessageType::Aperak, pid);
}

std::optional<std::uint32_t> scan_pruefidentifikator(const Segments& segments, std::optional<MessageType> type,
                                                     std::string_view type_code, std::string_view release_text,
                                                     const registry::ReleaseRegistry& registry) {
  auto from_bgm = pid_scan::from_bgm(segments);
  if (from_bgm && type == MessageType::Aperak && !is_aperak_pid(*from_bgm, release_text, registry)) {
    from_bgm.reset();
  }
  if (resolve_pid_source(type_code, release_text, registry)) {
    if (auto pid = pid_scan::from_rff_z13(segments)) return pid;
    return from_bgm;
  }
  if (from_bgm) return from_bgm;
  return pid_scan::from_rff_z13(segments);
}

// A release fit to show as it is: short, of letters, digits and dots.
bool is_plain_release(std::string_view text) {
  return text.size() <= 16 && std::ranges::all_of(text, [](char c) {
           return c == '.' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
         });
}

void report_release(const release::Release& release, std::string_view type_code, std::size_t segment_count) {
  if (std::holds_alternative<release::ReleaseKind::Opaque>(release.kind().form)) {
    const std::string shown = is_plain_release(release.text())
                                  ? std::string(release.text())
                                  : fmt::format("<invalid-code:{} bytes>", release.text().size());
    support::diag::emit(support::diag::Level::Warn, TARGET,
                        "unrecognised EDI@Energy release code — validate() will return ProfileNotFound",
                        {{"release", shown}});
    return;
  }
  support::diag::emit(support::diag::Level::Debug, TARGET, "parsed EDIFACT message",
                      {{"message_type", std::string(type_code)},
                       {"release", std::string(release.text())},
                       {"segment_count", std::to_string(segment_count)}});
}

template <class Message>
any_message::MessageVariant build(Segments segments, std::string reference, std::string release_text,
                                  std::optional<std::uint32_t> pid) {
  return Message::from_parts(std::move(segments), std::move(reference), std::move(release_text), pid);
}

// Indexed by `MessageType`.
using Builder = any_message::MessageVariant (*)(Segments, std::string, std::string, std::optional<std::uint32_t>);
constexpr std::array<Builder, message_type::message_type_count> BUILDERS{
    build<messages::utilmd::UtilmdMessage>, build<messages::mscons::MsconsMessage>,
    build<messages::aperak::AperakMessage>, build<messages::contrl::ContrlMessage>,
    build<messages::invoic::InvoicMessage>, build<messages::remadv::RemadvMessage>,
    build<messages::orders::OrdersMessage>, build<messages::iftsta::IftstaMessage>,
    build<messages::insrpt::InsrptMessage>, build<messages::reqote::ReqoteMessage>,
    build<messages::partin::PartinMessage>, build<messages::ordchg::OrdchgMessage>,
    build<messages::ordrsp::OrdrespMessage>, build<messages::quotes::QuotesMessage>,
    build<messages::comdis::ComdisMessage>, build<messages::pricat::PricatMessage>,
    build<messages::utilts::UtiltsMessage>,
};

}  // namespace

bool resolve_pid_source(std::string_view type_code, std::string_view release_text,
                        const registry::ReleaseRegistry& registry) {
  const auto type = message_type::from_unh_code(type_code);
  if (!type) return false;
  const auto* profile = newest_profile(*type, release_text, registry);
  return profile != nullptr && profile->mig().pid_source == "rff_z13";
}

Result<any_message::AnyMessage> dispatch_message_on_date(Segments segments, const registry::ReleaseRegistry& registry,
                                                          std::optional<std::chrono::year_month_day> date) {
  const auto unh = std::ranges::find_if(segments, [](const Segment& segment) { return segment.tag() == "UNH"; });
  if (unh == segments.end()) return std::unexpected(Error::required_segment_missing("UNH"));
  const auto elements = unh->elements();
  std::string reference;
  if (!elements.empty() && !elements[0].components().empty()) reference = elements[0].components().text(0);
  if (elements.size() < 2 || elements[1].components().empty()) {
    return std::unexpected(Error::malformed_segment("UNH"));
  }
  const auto identifier = elements[1].components();
  std::string type_code(identifier.text(0));
  std::string release_text = identifier.size() >= 5 ? std::string(identifier.text(4)) : std::string();

  const auto type = message_type::from_unh_code(type_code);
  const auto pid = scan_pruefidentifikator(segments, type, type_code, release_text, registry);
  const release::Release release{std::string_view(release_text)};
  report_release(release, type_code, segments.size());

  if (!type) {
    return any_message::AnyMessage(
        any_message::UnknownMessage{std::move(type_code), release, std::move(reference), std::move(segments)});
  }
  any_message::AnyMessage message(BUILDERS[static_cast<std::size_t>(*type)](
      std::move(segments), std::move(reference), std::move(release_text), pid));
  if (date) message.core()->date = *date;
  return message;
}

}  // namespace edi_energy::parse
