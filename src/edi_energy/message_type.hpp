// The EDIFACT message types of the EDI@Energy family, as UNH and the profile documents name them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace edi_energy::message_type {

// The order numbers the variants of a parsed message as well; do not reorder.
enum class MessageType : std::uint8_t {
  Utilmd,
  Mscons,
  Aperak,
  Contrl,
  Invoic,
  Remadv,
  Orders,
  Iftsta,
  Insrpt,
  Reqote,
  Partin,
  Ordchg,
  Ordrsp,
  Quotes,
  Comdis,
  Pricat,
  Utilts,
};

inline constexpr std::size_t message_type_count = 17;

struct MessageTypeNames {
  std::string_view unh_code;
  std::string_view variant_name;
};

// Indexed by the value of MessageType.
inline constexpr std::array<MessageTypeNames, message_type_count> message_type_names{{
    {"UTILMD", "Utilmd"}, {"MSCONS", "Mscons"}, {"APERAK", "Aperak"}, {"CONTRL", "Contrl"},
    {"INVOIC", "Invoic"}, {"REMADV", "Remadv"}, {"ORDERS", "Orders"}, {"IFTSTA", "Iftsta"},
    {"INSRPT", "Insrpt"}, {"REQOTE", "Reqote"}, {"PARTIN", "Partin"}, {"ORDCHG", "Ordchg"},
    {"ORDRSP", "Ordrsp"}, {"QUOTES", "Quotes"}, {"COMDIS", "Comdis"}, {"PRICAT", "Pricat"},
    {"UTILTS", "Utilts"},
}};

// "UTILMD"
constexpr std::string_view unh_code(MessageType type) {
  return message_type_names[static_cast<std::size_t>(type)].unh_code;
}

// "Utilmd": how error texts show a message type.
constexpr std::string_view variant_name(MessageType type) {
  return message_type_names[static_cast<std::size_t>(type)].variant_name;
}

// Exact, case-sensitive match of the six-letter code; nothing for any other text.
std::optional<MessageType> from_unh_code(std::string_view code);

}  // namespace edi_energy::message_type
