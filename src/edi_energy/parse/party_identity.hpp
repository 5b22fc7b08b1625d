// The parties a UNB names must be the ones each message names in NAD+MS and NAD+MR; a side
// that either one leaves empty is not compared.
#pragma once

#include <cstddef>
#include <string_view>

#include "edi_energy/any_message.hpp"
#include "edi_energy/error.hpp"

namespace edi_energy::parse {

Result<void> check_interchange_party_identity(std::string_view unb_sender, std::string_view unb_recipient,
                                              const any_message::AnyMessage& message, std::size_t index);

}  // namespace edi_energy::parse
