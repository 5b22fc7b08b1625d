#include "quorvane_native/edifact/build_mscons.hpp"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <string>
#include <utility>
#include <vector>

#include "edi_energy/builders/mscons.hpp"
#include "edi_energy/message_type.hpp"
#include "edi_energy/profile/profile.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/given_text.hpp"
#include "quorvane_native/edifact/message_report.hpp"
#include "quorvane_native/edifact/mscons_places.hpp"
#include "quorvane_native/edifact/plain_build_steps.hpp"
#include "quorvane_native/pids/release_resolution.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"
#include "quorvane_native/edifact/date_argument.hpp"
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

py::Failure no_line_items(std::string_view argument, std::string_view label) {
  return py::value_error(fmt::format("{}: {} has no line item in its column: it names the metering point alone, "
                                     "without LIN, PIA or QTY",
                                     argument, label));
}

std::string listed(const std::vector<std::string>& codes) {
  return codes.empty() ? std::string("none") : fmt::format("{}", fmt::join(codes, ", "));
}

// Every qualifier, and every unit that is given, must be one the column admits; a column that
// lists no DE 6411 has no place for a unit at all.
py::Status check_values(std::string_view list, const std::vector<std::vector<std::string>>& values,
                        const MsconsPlaces& places, std::string_view label) {
  for (std::size_t at = 0; at < values.size(); ++at) {
    const auto& value = values[at];
    const auto argument = fmt::format("{}[{}]", list, at);
    if (!admits_code(places.qualifiers, value[0])) {
      return py::value_error(fmt::format("{}: QTY qualifier {} has no place in {}; its column admits {}", argument,
                                         support::debug_quote(value[0]), label, listed(places.qualifiers.codes)));
    }
    if (value[2].empty()) continue;
    if (!places.units.listed) {
      return py::value_error(fmt::format("{}: unit {} has no place in {}: its column has no unit (QTY DE 6411) — "
                                         "pass an empty unit",
                                         argument, support::debug_quote(value[2]), label));
    }
    if (!admits_code(places.units, value[2])) {
      return py::value_error(fmt::format("{}: unit {} has no place in {}; its column admits {}", argument,
                                         support::debug_quote(value[2]), label, listed(places.units.codes)));
    }
  }
  return {};
}

// An empty member would come back as the column's sample; only the unit may be left empty.
py::Status refuse_empty_values(std::string_view argument, const std::vector<std::vector<std::string>>& values) {
  for (std::size_t at = 0; at < values.size(); ++at) {
    const auto& value = values[at];
    const auto item = fmt::format("{}[{}]", argument, at);
    auto given = value.size() == 5
                     ? refuse_empty_members(item, {{"qualifier", value[0]}, {"value", value[1]}, {"start", value[3]},
                                                   {"end", value[4]}})
                     : refuse_empty_members(item, {{"qualifier", value[0]}, {"value", value[1]}});
    if (!given) return given;
  }
  return {};
}

// An OBIS code goes into PIA DE 7140 with "SRW", or "Z02" where the column takes only the BDEW
// OBIS-like codes; a column whose products are named by another code list has no place for it.
py::Expected<std::string> obis_qualifier(const MsconsPlaces& places, std::string_view label) {
  for (const std::string qualifier : {"SRW", "Z02"}) {
    if (admits_code(places.product_codes, qualifier)) return qualifier;
  }
  return py::value_error(fmt::format("obis: {} names its product with DE 7143 {}, not with an OBIS code", label,
                                     listed(places.product_codes.codes)));
}

constexpr std::array<Rename, 3> renames{{
    {"message_reference", "message_ref"},
    {"metering_points[].location_id", "metering_point"},
    {"metering_points[].line_items[].obis", "obis"},
}};

// The line item holds the quantities, then the intervals: the caller's two lists.
void values_as_given(std::vector<edi_energy::builders::Source>& sources, std::size_t quantities) {
  constexpr std::string_view values = "metering_points[0].line_items[0].quantities[";
  for (auto& source : sources) {
    if (!source.field.starts_with(values)) continue;
    const std::size_t at = std::stoul(source.field.substr(values.size()));
    source.field = at < quantities ? fmt::format("quantities[{}]", at) : fmt::format("intervals[{}]", at - quantities);
  }
}

py::Result build_and_complete(edi_energy::builders::mscons::MsconsBuilderInner inner, py::Args args,
                              std::size_t quantities, const edi_energy::release::Release& release,
                              std::uint32_t pruefidentifikator) {
  auto written = edi_energy::builders::mscons::write_mscons(inner);
  if (!written) return py::value_error(fmt::format("MSCONS build failed: {}", written.error().message()));
  values_as_given(written->sources, quantities);
  auto completed = complete_to_column(std::move(written->bytes), MessageType::Mscons, release, pruefidentifikator,
                                      writers_of(written->sources, args, renames));
  if (!completed) return py::propagate(completed);
  return py::bytes(*completed);
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

  // The point, its group and its values go only where the column has a place for them.
  const auto column = column_of(MessageType::Mscons, *release, *pruefidentifikator);
  const auto places = column ? mscons_places(*column) : std::nullopt;
  const auto label = fmt::format("MSCONS {} ({})", *pruefidentifikator, release->text());
  if (places && !places->location_id && !metering_point->empty()) {
    return py::value_error(fmt::format("metering_point: {} has no place for it: its column writes LOC+{} without "
                                       "an Ortsangabe — pass an empty text",
                                       label, places->location_qualifier));
  }
  if (column && (!places || places->location_id)) {
    if (auto given = refuse_empty("metering_point", *metering_point); !given) return py::propagate(given);
  }
  if (column) {
    if (auto given = refuse_empty("message_ref", inner.message_reference); !given) return py::propagate(given);
    for (const auto& [argument, values] :
         {std::pair{"quantities", &*quantities}, std::pair{"intervals", &*intervals}}) {
      if (auto given = refuse_empty_values(argument, *values); !given) return py::propagate(given);
    }
  }
  MeteringPointSpec point;
  point.location_id = std::move(*metering_point);
  if (places) {
    point.party_qualifier = places->party_qualifier;
    point.location_qualifier = places->location_qualifier;
    inner.message_function = places->message_function;
  }
  std::optional<LineItemSpec> line_item;
  if (*obis) {
    auto code = ObisCode::create(**obis);
    if (!code) {
      return py::value_error(
          fmt::format("obis: invalid OBIS code {}: {}", support::debug_quote(**obis), code.error().message()));
    }
    line_item.emplace();
    line_item->obis = std::move(*code);
  }
  if (places && !places->line_items) {
    for (const auto& [argument, given] : {std::pair{"quantities", !quantities->empty()},
                                          std::pair{"intervals", !intervals->empty()},
                                          std::pair{"obis", obis->has_value()}}) {
      if (given) return no_line_items(argument, label);
    }
    inner.metering_points.push_back(std::move(point));
    return build_and_complete(std::move(inner), args, 0, *release, *pruefidentifikator);
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
  if (places) {
    if (!intervals->empty() && !places->period) {
      return py::value_error(fmt::format("intervals: {} has no Messperiode (DTM+163/164) on its QTY — pass "
                                         "quantities= for its values",
                                         label));
    }
    for (const auto& [argument, values] :
         {std::pair{"quantities", &*quantities}, std::pair{"intervals", &*intervals}}) {
      if (auto admitted = check_values(argument, *values, *places, label); !admitted) return py::propagate(admitted);
    }
    if (line_item && line_item->obis) {
      auto qualifier = obis_qualifier(*places, label);
      if (!qualifier) return py::propagate(qualifier);
      line_item->product_code_qualifier = std::move(*qualifier);
    }
  }
  if (!line_item) line_item.emplace();
  for (auto& item : *quantities) {
    line_item->quantities.push_back(
        QuantitySpec{std::move(item[0]), std::move(item[1]), std::move(item[2]), std::nullopt});
  }
  for (std::size_t index = 0; index < intervals->size(); ++index) {
    const auto& item = (*intervals)[index];
    for (const auto& [end, text] : {std::pair{"start", &item[3]}, std::pair{"end", &item[4]}}) {
      const std::string argument = fmt::format("intervals[{}] {}", index, end);
      if (auto given = require_date(argument, *text); !given) return py::propagate(given);
    }
  }
  for (auto& item : *intervals) {
    line_item->quantities.push_back(QuantitySpec{std::move(item[0]), std::move(item[1]), std::move(item[2]),
                                                 Period{std::move(item[3]), std::move(item[4])}});
  }
  const std::size_t quantities_given = quantities->size();
  point.line_items.push_back(std::move(*line_item));
  inner.metering_points.push_back(std::move(point));
  return build_and_complete(std::move(inner), args, quantities_given, *release, *pruefidentifikator);
}

}  // namespace quorvane_native::edifact
