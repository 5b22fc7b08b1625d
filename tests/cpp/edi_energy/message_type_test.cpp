#include <gtest/gtest.h>

#include <string>

#include "edi_energy/message_type.hpp"

namespace {

using edi_energy::message_type::MessageType;
namespace message_type = edi_energy::message_type;

struct MessageTypeCase {
  std::string unh_code;
  MessageType type;
  std::string variant_name;
  int number;
};

void PrintTo(const MessageTypeCase& type_case, std::ostream* out) { *out << type_case.unh_code; }

class MessageTypeNames : public testing::TestWithParam<MessageTypeCase> {};

TEST_P(MessageTypeNames, RoundTripsItsUnhCodeAndKeepsItsPlace) {
  const auto& expected = GetParam();
  EXPECT_EQ(message_type::from_unh_code(expected.unh_code), expected.type);
  EXPECT_EQ(message_type::unh_code(expected.type), expected.unh_code);
  EXPECT_EQ(message_type::variant_name(expected.type), expected.variant_name);
  EXPECT_EQ(static_cast<int>(expected.type), expected.number);
}

INSTANTIATE_TEST_SUITE_P(
    AllSeventeen, MessageTypeNames,
    testing::Values(MessageTypeCase{"UTILMD", MessageType::Utilmd, "Utilmd", 0},
                    MessageTypeCase{"MSCONS", MessageType::Mscons, "Mscons", 1},
                    MessageTypeCase{"APERAK", MessageType::Aperak, "Aperak", 2},
                    MessageTypeCase{"CONTRL", MessageType::Contrl, "Contrl", 3},
                    MessageTypeCase{"INVOIC", MessageType::Invoic, "Invoic", 4},
                    MessageTypeCase{"REMADV", MessageType::Remadv, "Remadv", 5},
                    MessageTypeCase{"ORDERS", MessageType::Orders, "Orders", 6},
                    MessageTypeCase{"IFTSTA", MessageType::Iftsta, "Iftsta", 7},
                    MessageTypeCase{"INSRPT", MessageType::Insrpt, "Insrpt", 8},
                    MessageTypeCase{"REQOTE", MessageType::Reqote, "Reqote", 9},
                    MessageTypeCase{"PARTIN", MessageType::Partin, "Partin", 10},
                    MessageTypeCase{"ORDCHG", MessageType::Ordchg, "Ordchg", 11},
                    MessageTypeCase{"ORDRSP", MessageType::Ordrsp, "Ordrsp", 12},
                    MessageTypeCase{"QUOTES", MessageType::Quotes, "Quotes", 13},
                    MessageTypeCase{"COMDIS", MessageType::Comdis, "Comdis", 14},
                    MessageTypeCase{"PRICAT", MessageType::Pricat, "Pricat", 15},
                    MessageTypeCase{"UTILTS", MessageType::Utilts, "Utilts", 16}));

class UnknownUnhCode : public testing::TestWithParam<std::string> {};

TEST_P(UnknownUnhCode, GivesNoMessageType) { EXPECT_EQ(message_type::from_unh_code(GetParam()), std::nullopt); }

INSTANTIATE_TEST_SUITE_P(NearMisses, UnknownUnhCode,
                         testing::Values("utilmd", "Utilmd", "UTILM", "UTILMDX", "UTILMD ", " UTILMD", "",
                                         std::string("UTILMD\0", 7), "Utilts", "UTILTZ"));

}  // namespace
