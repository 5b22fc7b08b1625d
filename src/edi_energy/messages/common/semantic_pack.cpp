#include "edi_energy/messages/common/semantic_pack.hpp"

#include <string>

namespace edi_energy::messages::common {

edifact::validator::pack::ProfileRulePack semantic_pack(std::string_view message_type) {
  return edifact::validator::pack::ProfileRulePack(std::string(message_type) + "-SEM")
      .for_message_type(message_type);
}

}  // namespace edi_energy::messages::common
