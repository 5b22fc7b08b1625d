#include "quorvane_native/edifact/build_mscons.hpp"

#include <fmt/format.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "edi_energy/builders/mscons.hpp"
#include "edi_energy/message_type.hpp"
#include "edi_energy/profile/profile.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/message_report.hpp"
#include "quorvane_native/pids/release_resolution.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact {

namespace {

using edi_energy::builders::mscons::LineItemSpec;
using edi_energy::builders::mscons::MeteringPointSpec;
using edi_energy::builders::mscons::Period;
using edi_energy::builders::mscons::QuantitySpec;
using edi_energy::message_type::MessageType;
using rubo4e::identifiers::obis_code::ObisCode;

py::Expected<std::vector<std::string>> quantity(PyObject* object) { return py::from::str_tuple(object, 3); }
py::Expected<std::vector<std::string>> interval(PyObject* object) { return py::from::str_tuple(object, 5); }

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view space = " \t\r\n\f\v";
  const auto first = text.find_first_not_of(space);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// Whether the column makes a "Beginn Messperiode" DTM Muss: then every QTY needs its period,
// and a bare quantity would reach the receiver with no place on the settlement grid.
bool is_lastgang(const edi_energy::release::Release& release, std::uint32_t pruefidentifikator) {
  const auto registry = pids::shared_registry();
  for (const auto* profile : registry->profiles()) {
    if (profile->message_type() != MessageType::Mscons || profile->release().text() != release.text()) continue;
    const auto* anwendungsfall = profile->anwendungsfall(pruefidentifikator);
    if (anwendungsfall == nullptr) return false;
    for (const auto& node : profile->structure().nodes) {
      const auto* segment = node.segment();
      if (segment == nullptr || segment->tag != "DTM" || !node.name.starts_with("Beginn Messperiode")) continue;
      const auto* cells = anwendungsfall->segment_status(segment->nr);
      if (cells == nullptr) continue;
      for (const auto& cell : *cells) {
        if (trimmed(cell) == "Muss") return true;
      }
    }
    return false;
  }
  return false;
}

}  // namespace

py::Result build_mscons(py::Args args) {
  auto pruefidentifikator = py::to_u32(args[0]);
  if (!pruefidentifikator) return py::propagate(pruefidentifikator);
  auto sender = py::to_str(args[1]);
  if (!sender) return py::propagate(sender);
  auto receiver = py::to_str(args[2]);
  if (!receiver) return py::propagate(receiver);
  auto metering_point = py::to_str(args[3]);
  if (!metering_point) return py::propagate(metering_point);
  auto quantities = py::to_list_or_empty(args[4], quantity);
  if (!quantities) return py::propagate(quantities);
  auto intervals = py::to_list_or_empty(args[5], interval);
  if (!intervals) return py::propagate(intervals);
  auto on = py::to_optional_str(args[6]);
  if (!on) return py::propagate(on);
  auto release_text = py::to_optional_str(args[7]);
  if (!release_text) return py::propagate(release_text);
  auto message_ref = py::to_str(args[8]);
  if (!message_ref) return py::propagate(message_ref);
  auto document_date = py::to_optional_str(args[9]);
  if (!document_date) return py::propagate(document_date);
  auto obis = py::to_optional_str(args[10]);
  if (!obis) return py::propagate(obis);

  auto release = pids::resolve_release(MessageType::Mscons, *release_text, *on, std::nullopt);
  if (!release) return py::propagate(release);
  edi_energy::builders::mscons::MsconsBuilderInner inner;
  inner.release = *release;
  if (auto checked = pid(std::int64_t{*pruefidentifikator}); !checked) return py::propagate(checked);
  inner.sender = std::move(*sender);
  inner.receiver = std::move(*receiver);
  inner.message_reference = std::move(*message_ref);
  inner.pruefidentifikator = *pruefidentifikator;
  if (auto code = column_bgm_code(MessageType::Mscons, *release, *pruefidentifikator)) {
    inner.document_code = std::move(*code);
  }
  auto date = document_date_for(*document_date, *on);
  if (!date) return py::propagate(date);
  inner.document_date = std::move(*date);

  MeteringPointSpec point;
  point.location_id = std::move(*metering_point);
  std::optional<LineItemSpec> line_item;
  if (*obis) {
    auto code = ObisCode::create(**obis);
    if (!code) {
      return py::value_error(
          fmt::format("invalid OBIS code {}: {}", support::debug_quote(**obis), code.error().message()));
    }
    line_item.emplace();
    line_item->obis = std::move(*code);
  }
  if (quantities->empty() && intervals->empty()) {
    return py::value_error(
        "an MSCONS carries at least one quantity — pass quantities= for a summed or point-in-time figure, or "
        "intervals= for a Lastgang");
  }
  if (!quantities->empty() && is_lastgang(*release, *pruefidentifikator)) {
    return py::value_error(fmt::format(
        "{} is a Lastgang: its column makes the SG10 Messperiode (DTM+163/164) Muss on every QTY, so a bare "
        "quantity cannot be placed on the settlement grid — pass intervals= with the bounds of each value",
        *pruefidentifikator));
  }
  // A unit the column does not list would only come back as a finding.
  const bool keep_units = column_lists_de(MessageType::Mscons, *release, *pruefidentifikator, "QTY", "6411");
  if (!line_item) line_item.emplace();
  for (auto& item : *quantities) {
    line_item->quantities.push_back(
        QuantitySpec{std::move(item[0]), std::move(item[1]), keep_units ? std::move(item[2]) : std::string(),
                     std::nullopt});
  }
  for (auto& item : *intervals) {
    line_item->quantities.push_back(QuantitySpec{std::move(item[0]), std::move(item[1]),
                                                 keep_units ? std::move(item[2]) : std::string(),
                                                 Period{std::move(item[3]), std::move(item[4])}});
  }
  point.line_items.push_back(std::move(*line_item));
  inner.metering_points.push_back(std::move(point));

  auto message = edi_energy::builders::mscons::build_mscons(std::move(inner));
  if (!message) return py::value_error(fmt::format("MSCONS build failed: {}", message.error().message()));
  auto bytes = message->serialize();
  if (!bytes) return py::runtime_error(fmt::format("MSCONS serialize failed: {}", bytes.error().message()));
  auto completed = complete_to_column(std::move(*bytes), MessageType::Mscons, *release, *pruefidentifikator);
  if (!completed) return py::propagate(completed);
  return py::bytes(*completed);
}

}  // namespace quorvane_native::edifact
