// The typed MSCONS view: the common fields with header-only dates, the header references, and
// the body as a tree: delivery points (NAD), their Lokationen (LOC), line items (LIN with the
// OBIS code in PIA) and the quantities of each line item (QTY with its DTMs and STSs).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "edi_energy/message.hpp"
#include "edi_energy/messages/header_reference.hpp"
#include "edi_energy/messages/view.hpp"

namespace edi_energy::messages::mscons {

using MsconsReference = HeaderReference;

struct MsconsQuantity {
  segments::Qty qty;
  std::vector<segments::Dtm> dtms;
  std::vector<segments::Sts> sts;
  friend bool operator==(const MsconsQuantity&, const MsconsQuantity&) = default;
};

struct MsconsLineItem {
  segments::Lin lin;
  std::optional<segments::Pia> pia;  // only a PIA directly after the LIN
  std::vector<MsconsQuantity> quantities;
  friend bool operator==(const MsconsLineItem&, const MsconsLineItem&) = default;
};

struct MsconsTimeSeries {
  segments::Loc loc;
  std::optional<segments::Cci> cci;  // the last one before the first line item
  std::vector<segments::Rff> rffs;
  std::vector<segments::Dtm> dtms;
  std::vector<MsconsLineItem> line_items;
  friend bool operator==(const MsconsTimeSeries&, const MsconsTimeSeries&) = default;
};

struct MsconsDeliveryPoint {
  segments::Nad nad;  // of any qualifier
  std::vector<MsconsTimeSeries> time_series;
  friend bool operator==(const MsconsDeliveryPoint&, const MsconsDeliveryPoint&) = default;
};

struct MsconsMessage : CommonView, message::MessageOperations<MsconsMessage> {
  // `dtms` holds the header's DTMs only (before the first UNS).
  std::vector<MsconsReference> references;
  std::vector<MsconsDeliveryPoint> delivery_points;

  static MsconsMessage from_parts(std::vector<edifact::model::Segment> segments, std::string message_reference,
                                  std::string release_text, std::optional<std::uint32_t> pruefidentifikator);
};

std::vector<MsconsReference> parse_references(segments::Segments segments);
std::vector<MsconsDeliveryPoint> parse_delivery_points(segments::Segments segments);

}  // namespace edi_energy::messages::mscons
