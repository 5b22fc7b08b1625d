// Wraps written messages into a UNB ... UNZ interchange encoded in UNOC (ISO 8859-1).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "edi_energy/error.hpp"

namespace edi_energy::builders::interchange {

struct InterchangeBuilder {
  std::string sender;
  std::string receiver;
  std::string control_reference;  // DE 0020, repeated in UNZ
  std::string date = "000000";    // S004 DE 0017, YYMMDD
  std::string time = "0000";      // S004 DE 0019, HHMM
  std::vector<std::string> messages;  // each the UTF-8 bytes of one or more written messages
  std::optional<std::string> application_reference;  // DE 0026

  // UNB, the payloads re-encoded into ISO 8859-1, UNZ with the number of messages the payloads
  // hold (segments tagged UNH). Failures are serialization errors.
  Result<std::string> build() &&;
};

}  // namespace edi_energy::builders::interchange
