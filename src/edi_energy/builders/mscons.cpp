#include "edi_energy/builders/mscons.hpp"

#include <string_view>

#include <fmt/format.h>

#include "edi_energy/builders/message_writer.hpp"
#include "edi_energy/builders/read_back.hpp"
#include "edi_energy/builders/timestamps.hpp"

namespace edi_energy::builders::mscons {
namespace {

// `field` names both dates.
Result<void> write_period(MessageWriter& writer, const Period& period, const std::string& field) {
  const std::string start = ccyymmddhhmm_utc(period.start);
  writer.by(field);
  if (auto written = writer.composites("DTM", {{"163", start, "303"}}); !written) return written;
  writer.by(field);
  return writer.composites("DTM", {{"164", ccyymmddhhmm_utc(period.end), "303"}});
}

Result<void> write_line_item(MessageWriter& writer, const LineItemSpec& item, const std::string& path) {
  const std::string position = std::to_string(item.position);
  writer.by(path + ".position");
  if (auto written = writer.simple("LIN", {position}); !written) return written;
  if (item.obis) {
    writer.by(path + ".obis");
    const std::string obis = item.obis->components().render(false);
    if (auto written = writer.composites("PIA", {{"5"}, {obis, item.product_code_qualifier}}); !written) return written;
  }
  for (std::size_t nth = 0; nth < item.quantities.size(); ++nth) {
    const QuantitySpec& quantity = item.quantities[nth];
    // A value and its Messperiode are one item.
    const std::string field = fmt::format("{}.quantities[{}]", path, nth);
    writer.by(field);
    auto written = quantity.unit.empty()
                       ? writer.composites("QTY", {{quantity.qualifier, quantity.value}})
                       : writer.composites("QTY", {{quantity.qualifier, quantity.value, quantity.unit}});
    if (!written) return written;
    if (quantity.period) {
      if (auto period = write_period(writer, *quantity.period, field); !period) return period;
    }
  }
  if (item.leistungsperiode) {
    const auto& [value, format] = *item.leistungsperiode;
    writer.by(path + ".leistungsperiode");
    if (auto written = writer.composites("DTM", {{"306", value, format}}); !written) return written;
  }
  if (item.substitute_status) {
    const auto& [verfahren, grund] = *item.substitute_status;
    writer.by(path + ".substitute_status");
    if (auto written = writer.simple("STS", {"Z32", "", verfahren}); !written) return written;
    if (!grund.empty()) {
      writer.by(path + ".substitute_status");
      if (auto written = writer.simple("STS", {"Z40", "", grund}); !written) return written;
    }
  }
  if (item.messklassifizierung) {
    writer.by(path + ".messklassifizierung");
    if (auto written = writer.simple("STS", {"10", *item.messklassifizierung}); !written) return written;
  }
  return {};
}

Result<void> write_metering_point(MessageWriter& writer, const MeteringPointSpec& point, const std::string& path) {
  if (auto written = writer.simple("NAD", {point.party_qualifier}); !written) return written;
  // The MIG makes the LOC group Muss in every metering point, with or without values.
  const std::string& location = point.loc_override ? *point.loc_override : point.location_id;
  writer.by(path + (point.loc_override ? ".loc_override" : ".location_id"));
  if (auto written = writer.simple("LOC", {point.location_qualifier, location}); !written) return written;
  if (point.period) {
    if (auto written = write_period(writer, *point.period, path + ".period"); !written) return written;
  }
  if (point.bilanzierung) {
    writer.by(path + ".bilanzierung");
    if (auto written = writer.composites("DTM", {{"492", *point.bilanzierung, "610"}}); !written) return written;
  }
  if (point.completion) {
    writer.by(path + ".completion");
    if (auto written = writer.composites("DTM", {{"293", *point.completion, "304"}}); !written) return written;
  }
  if (point.meter_number) {
    writer.by(path + ".meter_number");
    if (auto written = writer.composites("RFF", {{"MG", *point.meter_number}}); !written) return written;
  }
  for (std::size_t nth = 0; nth < point.line_items.size(); ++nth) {
    const std::string item = fmt::format("{}.line_items[{}]", path, nth);
    if (auto written = write_line_item(writer, point.line_items[nth], item); !written) return written;
  }
  return {};
}

// BGM to the last metering point.
Result<void> write_body(MessageWriter& writer, const MsconsBuilderInner& inner) {
  const std::string& document_number =
      inner.document_number.empty() ? inner.message_reference : inner.document_number;
  writer.by(0, "document_code");
  writer.by(1, inner.document_number.empty() ? "message_reference" : "document_number");
  writer.by(2, "message_function");
  if (auto written = writer.simple("BGM", {inner.document_code, document_number, inner.message_function}); !written) return written;
  const std::string document_date = ccyymmddhhmm_utc(date_or_now(inner.document_date));
  writer.by("document_date");
  if (auto written = writer.composites("DTM", {{"137", document_date, "303"}}); !written) return written;
  for (std::size_t nth = 0; nth < inner.references.size(); ++nth) {
    const auto& [qualifier, value] = inner.references[nth];
    writer.by(fmt::format("references[{}]", nth));
    if (auto written = writer.composites("RFF", {{qualifier, value}}); !written) return written;
  }
  if (inner.pruefidentifikator) {
    const std::string pid = fmt::format("{:05}", *inner.pruefidentifikator);
    if (auto written = writer.composites("RFF", {{"Z13", pid}}); !written) return written;
  }
  if (inner.sender) {
    const std::string_view agency = agency_for(inner.sender_agency, *inner.sender);
    writer.by("sender");
    if (auto written = writer.composites("NAD", {{"MS"}, {*inner.sender, "", agency}}); !written) return written;
  }
  if (inner.receiver) {
    const std::string_view agency = agency_for(inner.receiver_agency, *inner.receiver);
    writer.by("receiver");
    if (auto written = writer.composites("NAD", {{"MR"}, {*inner.receiver, "", agency}}); !written) return written;
  }
  if (inner.metering_points.empty()) return {};
  if (auto written = writer.simple("UNS", {"D"}); !written) return written;
  for (std::size_t nth = 0; nth < inner.metering_points.size(); ++nth) {
    const std::string path = fmt::format("metering_points[{}]", nth);
    if (auto written = write_metering_point(writer, inner.metering_points[nth], path); !written) return written;
  }
  return {};
}

}  // namespace

Result<Written> write_mscons(const MsconsBuilderInner& inner) {
  auto writer = MessageWriter::open(inner.message_reference, "MSCONS", "04B", inner.release.text());
  if (!writer) return std::unexpected(std::move(writer.error()));
  if (auto written = write_body(*writer, inner); !written) return std::unexpected(std::move(written.error()));
  return std::move(*writer).finish(inner.message_reference);
}

Result<messages::mscons::MsconsMessage> build_mscons(MsconsBuilderInner inner) {
  auto bytes = bytes_of(write_mscons(inner));
  if (!bytes) return std::unexpected(std::move(bytes.error()));
  auto segments = bytes_to_segments(*bytes);
  if (!segments) return std::unexpected(std::move(segments.error()));
  return messages::mscons::MsconsMessage::from_parts(std::move(*segments), std::move(inner.message_reference),
                                                     std::string(inner.release.text()), inner.pruefidentifikator);
}

}  // namespace edi_energy::builders::mscons
