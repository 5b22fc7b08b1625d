#include "edi_energy/message_type.hpp"

namespace edi_energy::message_type {

std::optional<MessageType> from_unh_code(std::string_view code) {
  for (std::size_t index = 0; index < message_type_names.size(); ++index) {
    if (message_type_names[index].unh_code == code) return static_cast<MessageType>(index);
  }
  return std::nullopt;
}

}  // namespace edi_energy::message_type
