#include "quorvane_native/edifact/build_interchange.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "edi_energy/builders/interchange.hpp"
#include "edi_energy/builders/payload_messages.hpp"
#include "edi_energy/mp_id_shape.hpp"
#include "edi_energy/parse/unb_datetime.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/interchange_limits.hpp"
#include "quorvane_native/fristen/time_text.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"
#include "support/debug_quote.hpp"
#include "support/utf8.hpp"

namespace quorvane_native::edifact {

namespace {

// YYMMDD: the UNB date of syntax version 3 has a two-digit year.
py::Expected<std::string> unb_date(const std::optional<std::string>& date, const std::optional<std::string>& on) {
  if (date) return *date;
  if (!on) {
    return py::value_error(
        "pass either on= (the send date) or date= (YYMMDD) — an interchange with no transmission date is one a "
        "counterparty cannot process");
  }
  auto parsed = fristen::parse_date(*on);
  if (!parsed) return py::propagate(parsed);
  // Two digits of a negative year would name a year of this century.
  if (auto writable = fristen::fmt_date(*parsed, fristen::Given{"on", *on}); !writable) {
    return py::propagate(writable);
  }
  const int year = static_cast<int>(parsed->year());
  return fmt::format("{:02}{:02}{:02}", ((year % 100) + 100) % 100, static_cast<unsigned>(parsed->month()),
                     static_cast<unsigned>(parsed->day()));
}

// DE 0020 is an..14.
constexpr std::size_t DAR_CHARACTERS = 14;

// An interchange that a counterparty cannot read is refused before it is written: the envelope
// check of a receiver reads these fields as validate_edifact does.
py::Expected<void> check_envelope_fields(std::string_view sender, std::string_view receiver, std::string_view dar) {
  for (const auto& [name, value, meaning] :
       {std::tuple{"sender", sender, "the sender's market-partner ID (UNB S002)"},
        std::tuple{"receiver", receiver, "the receiver's market-partner ID (UNB S003)"},
        std::tuple{"dar", dar, "the Datenaustauschreferenz (UNB and UNZ DE 0020)"}}) {
    if (value.empty()) return py::value_error(fmt::format("{} is empty: it is {}", name, meaning));
  }
  if (const std::size_t characters = latin1_size(dar); characters > DAR_CHARACTERS) {
    return py::value_error(fmt::format("dar {} has {} characters: the Datenaustauschreferenz (UNB and UNZ DE 0020) "
                                       "holds at most {}",
                                       support::debug_quote(dar), characters, DAR_CHARACTERS));
  }
  return {};
}

// Every UNB qualifier written for a party (14, 500 or 502) names an ID of 13 digits.
py::Expected<void> check_market_partner_ids(std::string_view sender, std::string_view receiver) {
  for (const auto& [name, value] : {std::pair{"sender", sender}, std::pair{"receiver", receiver}}) {
    if (!edi_energy::mp_id_shape::is_mp_id(value)) {
      return py::value_error(fmt::format("{} {} is no market-partner ID: the UNB names a BDEW, DVGW or GS1 number of "
                                         "{} digits",
                                         name, support::debug_quote(value), edi_energy::mp_id_shape::MP_ID_DIGITS));
    }
  }
  return {};
}

// Syntax version 3, which the UNB declares, has a two-digit year and no seconds.
py::Expected<void> check_date_and_time(std::string_view date, std::string_view time) {
  if (!edi_energy::parse::is_syntax3_unb_date(date)) {
    return py::value_error(
        fmt::format("date {} is no UNB date: YYMMDD of a day of the calendar", support::debug_quote(date)));
  }
  if (!edi_energy::parse::is_syntax3_unb_time(time)) {
    return py::value_error(
        fmt::format("time {} is no UNB time: HHMM of a 24-hour clock", support::debug_quote(time)));
  }
  return {};
}

// What the interchange builder would refuse in the arguments is the caller's to mend: the UNB
// texts and every payload are re-encoded into ISO 8859-1.
py::Status carried_by_unoc(const std::string& sender, const std::string& receiver, const std::string& dar,
                           const std::string& date, const std::string& time, const std::vector<std::string>& messages) {
  for (const auto& [field, text] : {std::pair<std::string_view, const std::string&>{"sender", sender},
                                    {"receiver", receiver}, {"dar", dar}, {"date", date}, {"time", time}}) {
    if (auto latin1 = ensure_latin1(field, text); !latin1) return latin1;
  }
  for (std::size_t at = 0; at < messages.size(); ++at) {
    if (auto latin1 = ensure_latin1(fmt::format("messages[{}]", at), messages[at]); !latin1) return latin1;
  }
  return {};
}

// A payload must be UTF-8 to be read, and one or more whole messages to be counted in UNZ.
// `written_bytes` gets its size in ISO 8859-1, one byte to a character.
py::Expected<edi_energy::builders::PayloadMessages> whole_messages(std::size_t at, std::string_view payload,
                                                                  std::size_t& written_bytes) {
  if (payload.empty()) {
    return py::value_error(fmt::format("messages[{}] is empty: every payload is one message, UNH to UNT", at));
  }
  written_bytes = payload.size();
  for (std::size_t offset = 0; offset < payload.size();) {
    if (static_cast<unsigned char>(payload[offset]) < 0x80) {
      ++offset;
      continue;
    }
    const auto decoded = support::utf8::decode(payload.substr(offset));
    if (!decoded) {
      return py::value_error(fmt::format("messages[{}] is not UTF-8: byte {} is no part of a character", at, offset));
    }
    offset += decoded->length;
    written_bytes -= decoded->length - 1;
  }
  auto read = edi_energy::builders::payload_messages(payload);
  if (!read) {
    return py::value_error(fmt::format("messages[{}] is not one or more messages UNH to UNT: {}", at, read.error()));
  }
  return std::move(*read);
}

}  // namespace

py::Result build_interchange(py::Args args) {
  auto sender = py::to_str(args[0]);
  if (!sender) return py::propagate(sender);
  auto receiver = py::to_str(args[1]);
  if (!receiver) return py::propagate(receiver);
  auto dar = py::to_str(args[2]);
  if (!dar) return py::propagate(dar);
  auto messages = py::to_list(args[3], py::from::payload);
  if (!messages) return py::propagate(messages);
  auto on = py::to_optional_str(args[4]);
  if (!on) return py::propagate(on);
  auto date = py::to_optional_str(args[5]);
  if (!date) return py::propagate(date);
  auto time = py::to_str(args[6]);
  if (!time) return py::propagate(time);

  // Empty payloads are no messages: counted in UNZ they would claim messages that are not there.
  if (std::ranges::all_of(*messages, [](const auto& payload) { return payload.empty(); })) {
    return py::value_error("an interchange carries at least one message — UNZ+0 is not a thing a counterparty accepts");
  }
  if (auto checked = check_envelope_fields(*sender, *receiver, *dar); !checked) return py::propagate(checked);
  auto written_date = unb_date(*date, *on);
  if (!written_date) return py::propagate(written_date);
  if (auto checked = check_date_and_time(*written_date, *time); !checked) return py::propagate(checked);

  std::vector<edi_energy::builders::PayloadMessages> read;
  read.reserve(messages->size());
  std::vector<std::size_t> payload_bytes(messages->size());
  for (std::size_t at = 0; at < messages->size(); ++at) {
    auto whole = whole_messages(at, (*messages)[at], payload_bytes[at]);
    if (!whole) return py::propagate(whole);
    read.push_back(std::move(*whole));
  }
  if (auto carried = carried_by_unoc(*sender, *receiver, *dar, *written_date, *time, *messages); !carried) {
    return py::propagate(carried);
  }
  if (auto checked = check_market_partner_ids(*sender, *receiver); !checked) return py::propagate(checked);
  if (auto readable = check_messages_readable(read); !readable) return py::propagate(readable);

  edi_energy::builders::interchange::InterchangeBuilder builder;
  builder.sender = std::move(*sender);
  builder.receiver = std::move(*receiver);
  builder.control_reference = std::move(*dar);
  builder.date = std::move(*written_date);
  builder.time = std::move(*time);
  builder.messages = std::move(*messages);
  auto built = std::move(builder).build();
  if (!built) return py::runtime_error(fmt::format("interchange build failed: {}", built.error().message()));
  // The envelope's own size is exact only once it is written.
  std::size_t written_payloads = 0;
  for (const std::size_t bytes : payload_bytes) written_payloads += bytes;
  if (auto readable = check_size_readable(payload_bytes, built->size() - written_payloads); !readable) {
    return py::propagate(readable);
  }
  return py::bytes(*built);
}

}  // namespace quorvane_native::edifact
