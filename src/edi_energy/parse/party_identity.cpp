#include "edi_energy/parse/party_identity.hpp"

#include <optional>
#include <string>

namespace edi_energy::parse {
namespace {

Result<void> check_side(std::string_view unb_value, std::optional<std::string_view> nad_value,
                        std::string_view element, std::string_view qualifier, std::size_t index) {
  if (!nad_value || nad_value->empty() || unb_value.empty() || *nad_value == unb_value) return {};
  return std::unexpected(
      Error::party_mismatch(element, std::string(unb_value), qualifier, std::string(*nad_value), index));
}

}  // namespace

Result<void> check_interchange_party_identity(std::string_view unb_sender, std::string_view unb_recipient,
                                              const any_message::AnyMessage& message, std::size_t index) {
  if (auto sender = check_side(unb_sender, message.nad_sender(), "DE0004", "MS", index); !sender) return sender;
  return check_side(unb_recipient, message.nad_receiver(), "DE0010", "MR", index);
}

}  // namespace edi_energy::parse
