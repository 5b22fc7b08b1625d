// The typed APERAK view: the common fields, the reference of the answered message and the
// error blocks (ERC with the FTX and RFF segments that follow it).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "edi_energy/message.hpp"
#include "edi_energy/messages/view.hpp"

namespace edi_energy::messages::aperak {

struct AperakError {
  segments::Erc erc;
  std::vector<segments::Ftx> ftxs;
  std::vector<segments::Rff> rffs;
  friend bool operator==(const AperakError&, const AperakError&) = default;
};

struct AperakMessage : CommonView, message::MessageOperations<AperakMessage> {
  std::optional<segments::Rff> acw;  // from the first RFF+ACW only
  std::vector<AperakError> errors;

  static AperakMessage from_parts(std::vector<edifact::model::Segment> segments, std::string message_reference,
                                  std::string release_text, std::optional<std::uint32_t> pruefidentifikator);
};

}  // namespace edi_energy::messages::aperak
