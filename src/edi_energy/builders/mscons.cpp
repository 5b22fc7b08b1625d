#include "edi_energy/builders/mscons.hpp"

#include <string_view>

#include <fmt/format.h>

#include "edi_energy/builders/message_writer.hpp"
#include "edi_energy/builders/read_back.hpp"
#include "edi_energy/builders/timestamps.hpp"

namespace edi_energy::builders::mscons {
namespace {

Result<void> write_period(MessageWriter& writer, const Period& period) {
  const std::string start = ccyymmddhhmm_utc(period.start);
  if (auto written = writer.composites("DTM", {{"163", start, "303"}}); !written) return written;
  return writer.composites("DTM", {{"164", ccyymmddhhmm_utc(period.end), "303"}});
}

Result<void> write_line_item(MessageWriter& writer, const LineItemSpec& item) {
  const std::string position = std::to_string(item.position);
  if (auto written = writer.simple("LIN", {position}); !written) return written;
  if (item.obis) {
    const std::string obis = item.obis->components().render(false);
    if (auto written = writer.composites("PIA", {{"5"}, {obis, item.product_code_qualifier}}); !written) return written;
  }
  for (const QuantitySpec& quantity : item.quantities) {
    auto written = quantity.unit.empty()
                       ? writer.composites("QTY", {{quantity.qualifier, quantity.value}})
                       : writer.composites("QTY", {{quantity.qualifier, quantity.value, quantity.unit}});
    if (!written) return written;
    if (quantity.period) {
      if (auto period = write_period(writer, *quantity.period); !period) return period;
    }
  }
  if (item.leistungsperiode) {
    const auto& [value, format] = *item.leistungsperiode;
    if (auto written = writer.composites("DTM", {{"306", value, format}}); !written) return written;
  }
  if (item.substitute_status) {
    const auto& [verfahren, grund] = *item.substitute_status;
    if (auto written = writer.simple("STS", {"Z32", "", verfahren}); !written) return written;
    if (!grund.empty()) {
      if (auto written = writer.simple("STS", {"Z40", "", grund}); !written) return written;
    }
  }
  if (item.messklassifizierung) {
    if (auto written = writer.simple("STS", {"10", *item.messklassifizierung}); !written) return written;
  }
  return {};
}

Result<void> write_metering_point(MessageWriter& writer, const MeteringPointSpec& point) {
  if (auto written = writer.simple("NAD", {point.party_qualifier}); !written) return written;
  // The MIG makes the LOC group Muss in every metering point, with or without values.
  const std::string& location = point.loc_override ? *point.loc_override : point.location_id;
  if (auto written = writer.simple("LOC", {point.location_qualifier, location}); !written) return written;
  if (point.period) {
    if (auto written = write_period(writer, *point.period); !written) return written;
  }
  if (point.bilanzierung) {
    if (auto written = writer.composites("DTM", {{"492", *point.bilanzierung, "610"}}); !written) return written;
  }
  if (point.completion) {
    if (auto written = writer.composites("DTM", {{"293", *point.completion, "304"}}); !written) return written;
  }
  if (point.meter_number) {
    if (auto written = writer.composites("RFF", {{"MG", *point.meter_number}}); !written) return written;
  }
  for (const LineItemSpec& item : point.line_items) {
    if (auto written = write_line_item(writer, item); !written) return written;
  }
  return {};
}

// BGM to the last metering point.
Result<void> write_body(MessageWriter& writer, const MsconsBuilderInner& inner) {
  const std::string& document_number =
      inner.document_number.empty() ? inner.message_reference : inner.document_number;
  if (auto written = writer.simple("BGM", {inner.document_code, document_number, inner.message_function}); !written) return written;
  const std::string document_date = ccyymmddhhmm_utc(date_or_now(inner.document_date));
  if (auto written = writer.composites("DTM", {{"137", document_date, "303"}}); !written) return written;
  for (const auto& [qualifier, value] : inner.references) {
    if (auto written = writer.composites("RFF", {{qualifier, value}}); !written) return written;
  }
  if (inner.pruefidentifikator) {
    const std::string pid = fmt::format("{:05}", *inner.pruefidentifikator);
    if (auto written = writer.composites("RFF", {{"Z13", pid}}); !written) return written;
  }
  if (inner.sender) {
    const std::string_view agency = agency_for(inner.sender_agency, *inner.sender);
    if (auto written = writer.composites("NAD", {{"MS"}, {*inner.sender, "", agency}}); !written) return written;
  }
  if (inner.receiver) {
    const std::string_view agency = agency_for(inner.receiver_agency, *inner.receiver);
    if (auto written = writer.composites("NAD", {{"MR"}, {*inner.receiver, "", agency}}); !written) return written;
  }
  if (inner.metering_points.empty()) return {};
  if (auto written = writer.simple("UNS", {"D"}); !written) return written;
  for (const MeteringPointSpec& point : inner.metering_points) {
    if (auto written = write_metering_point(writer, point); !written) return written;
  }
  return {};
}

Result<std::string> write_message(const MsconsBuilderInner& inner) {
  auto writer = MessageWriter::open(inner.message_reference, "MSCONS", "04B", inner.release.text());
  if (!writer) return std::unexpected(std::move(writer.error()));
  if (auto written = write_body(*writer, inner); !written) return std::unexpected(std::move(written.error()));
  return std::move(*writer).finish(inner.message_reference);
}


}  // namespace

Result<messages::mscons::MsconsMessage> build_mscons(MsconsBuilderInner inner) {
  auto bytes = write_message(inner);
  if (!bytes) return std::unexpected(std::move(bytes.error()));
  auto segments = bytes_to_segments(*bytes);
  if (!segments) return std::unexpected(std::move(segments.error()));
  return messages::mscons::MsconsMessage::from_parts(std::move(*segments), std::move(inner.message_reference),
                                                     std::string(inner.release.text()), inner.pruefidentifikator);
}

}  // namespace edi_energy::builders::mscons
