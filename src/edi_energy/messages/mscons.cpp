#include "edi_energy/messages/mscons.hpp"

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "edi_energy/messages/segments/lookup.hpp"

namespace edi_energy::messages::mscons {

namespace {

using segments::read_or_drop;
using segments::Segments;

// One walk over the body: each level reads until one of its closing tags, which it leaves for
// the level above to look at.
class BodyReader {
 public:
  explicit BodyReader(Segments body) : body_(body) {}

  std::vector<MsconsDeliveryPoint> delivery_points() {
    std::vector<MsconsDeliveryPoint> points;
    while (index_ < body_.size()) {
      auto nad = read_at<segments::Nad>("NAD");
      ++index_;
      if (!nad) continue;
      MsconsDeliveryPoint point{std::move(*nad), {}};
      read_time_series(point);
      points.push_back(std::move(point));
    }
    return points;
  }

 private:
  bool at_any(std::initializer_list<std::string_view> tags) const {
    const std::string_view tag = body_[index_].tag();
    return std::ranges::find(tags, tag) != tags.end();
  }

  // The record at the current segment when it has `tag` and reads.
  template <class Record>
  std::optional<Record> read_at(std::string_view tag) const {
    if (body_[index_].tag() != tag) return std::nullopt;
    return read_or_drop<Record>(body_[index_]);
  }

  void read_time_series(MsconsDeliveryPoint& point) {
    while (index_ < body_.size() && !at_any({"NAD", "UNT"})) {
      auto loc = read_at<segments::Loc>("LOC");
      ++index_;
      if (!loc) continue;
      MsconsTimeSeries series{std::move(*loc), std::nullopt, {}, {}, {}};
      read_series_header(series);
      read_line_items(series);
      point.time_series.push_back(std::move(series));
    }
  }

  void read_series_header(MsconsTimeSeries& series) {
    for (; index_ < body_.size() && !at_any({"LIN", "LOC", "NAD", "UNT"}); ++index_) {
      if (auto dtm = read_at<segments::Dtm>("DTM")) series.dtms.push_back(std::move(*dtm));
      if (auto rff = read_at<segments::Rff>("RFF")) series.rffs.push_back(std::move(*rff));
      if (body_[index_].tag() == "CCI") series.cci = read_at<segments::Cci>("CCI");
    }
  }

  void read_line_items(MsconsTimeSeries& series) {
    while (index_ < body_.size() && !at_any({"LOC", "NAD", "UNT"})) {
      auto lin = read_at<segments::Lin>("LIN");
      ++index_;
      if (!lin) continue;
      MsconsLineItem item{std::move(*lin), std::nullopt, {}};
      if (index_ < body_.size() && body_[index_].tag() == "PIA") {
        item.pia = read_at<segments::Pia>("PIA");
        ++index_;
      }
      read_quantities(item);
      series.line_items.push_back(std::move(item));
    }
  }

  void read_quantities(MsconsLineItem& item) {
    while (index_ < body_.size() && !at_any({"LIN", "LOC", "NAD", "UNT"})) {
      auto qty = read_at<segments::Qty>("QTY");
      ++index_;
      if (!qty) continue;
      MsconsQuantity quantity{std::move(*qty), {}, {}};
      for (; index_ < body_.size() && !at_any({"QTY", "LIN", "LOC", "NAD", "UNT"}); ++index_) {
        if (auto dtm = read_at<segments::Dtm>("DTM")) quantity.dtms.push_back(std::move(*dtm));
        if (auto sts = read_at<segments::Sts>("STS")) quantity.sts.push_back(std::move(*sts));
      }
      item.quantities.push_back(std::move(quantity));
    }
  }

  Segments body_;
  std::size_t index_ = 0;
};

}  // namespace

std::vector<MsconsReference> parse_references(Segments segments) {
  return header_references(segments.first(header_length(segments, "UNS")));
}

std::vector<MsconsDeliveryPoint> parse_delivery_points(Segments segments) {
  const std::size_t uns = header_length(segments, "UNS");
  if (uns == segments.size()) return {};
  return BodyReader(segments.subspan(uns + 1)).delivery_points();
}

MsconsMessage MsconsMessage::from_parts(std::vector<edifact::model::Segment> segments, std::string message_reference,
                                        std::string release_text, std::optional<std::uint32_t> pruefidentifikator) {
  MsconsMessage message;
  static_cast<CommonView&>(message) = read_common(segments);
  const Segments all(segments);
  message.dtms = segments::collect_dtm(all.first(header_length(all, "UNS")));
  message.references = parse_references(all);
  message.delivery_points = parse_delivery_points(all);
  message.core = core::MessageCore::new_on_date(std::move(segments), std::move(message_reference),
                                                std::move(release_text), pruefidentifikator,
                                                message_type::MessageType::Mscons);
  return message;
}

}  // namespace edi_energy::messages::mscons
