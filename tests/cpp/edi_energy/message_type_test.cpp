#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "edi_energy/message_type.hpp"

namespace {

using edi_energy::message_type::MessageType;
namespace message_type = edi_energy::message_type;

TEST(MessageType, EveryTypeRoundTripsItsUnhCodeInVariantOrder) {
  std::string codes;
  for (std::size_t number = 0; number < message_type::message_type_count; ++number) {
    const auto type = static_cast<MessageType>(number);
    const std::string code(message_type::unh_code(type));
    EXPECT_EQ(message_type::from_unh_code(code), type) << code;
    std::string variant = code;
    for (std::size_t at = 1; at < variant.size(); ++at) variant[at] = static_cast<char>(std::tolower(variant[at]));
    EXPECT_EQ(message_type::variant_name(type), variant);
    codes += code + " ";
  }
  // The order numbers the variants of a parsed message.
  EXPECT_EQ(codes, "UTILMD MSCONS APERAK CONTRL INVOIC REMADV ORDERS IFTSTA INSRPT REQOTE PARTIN ORDCHG ORDRSP QUOTES "
                   "COMDIS PRICAT UTILTS ");
}

TEST(MessageType, NearMissesGiveNoType) {
  for (const std::string code : {"utilmd", "Utilmd", "UTILM", "UTILMDX", "UTILMD ", "", "UTILTZ"}) {
    EXPECT_EQ(message_type::from_unh_code(code), std::nullopt) << code;
  }
  EXPECT_EQ(message_type::from_unh_code(std::string("UTILMD\0", 7)), std::nullopt);
}

}  // namespace
