// The typed views that hold only the common fields: one type per message type, told apart by
// the type they give their core. INVOIC's view, built by dispatch, is one of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "edi_energy/message.hpp"
#include "edi_energy/message_type.hpp"
#include "edi_energy/messages/view.hpp"

namespace edi_energy::messages {

template <message_type::MessageType Type>
struct PlainMessage : CommonView, message::MessageOperations<PlainMessage<Type>> {
  static PlainMessage from_parts(std::vector<edifact::model::Segment> segments, std::string message_reference,
                                 std::string release_text, std::optional<std::uint32_t> pruefidentifikator) {
    PlainMessage message;
    static_cast<CommonView&>(message) = read_common(segments);
    message.core = core::MessageCore::new_on_date(std::move(segments), std::move(message_reference),
                                                  std::move(release_text), pruefidentifikator, Type);
    return message;
  }
};

namespace remadv { using RemadvMessage = PlainMessage<message_type::MessageType::Remadv>; }
namespace orders { using OrdersMessage = PlainMessage<message_type::MessageType::Orders>; }
namespace iftsta { using IftstaMessage = PlainMessage<message_type::MessageType::Iftsta>; }
namespace insrpt { using InsrptMessage = PlainMessage<message_type::MessageType::Insrpt>; }
namespace reqote { using ReqoteMessage = PlainMessage<message_type::MessageType::Reqote>; }
namespace ordchg { using OrdchgMessage = PlainMessage<message_type::MessageType::Ordchg>; }
namespace quotes { using QuotesMessage = PlainMessage<message_type::MessageType::Quotes>; }
namespace comdis { using ComdisMessage = PlainMessage<message_type::MessageType::Comdis>; }
namespace pricat { using PricatMessage = PlainMessage<message_type::MessageType::Pricat>; }
namespace utilts { using UtiltsMessage = PlainMessage<message_type::MessageType::Utilts>; }
namespace invoic { using InvoicMessage = PlainMessage<message_type::MessageType::Invoic>; }

}  // namespace edi_energy::messages
