#include "quorvane_native/edifact/plain_builds.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "edi_energy/builders/iftsta.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "quorvane_native/edifact/plain_build_steps.hpp"
#include "quorvane_native/pids/release_resolution.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/edifact/date_argument.hpp"

namespace quorvane_native::edifact {

using edi_energy::message_type::MessageType;

namespace {

using Status = std::pair<std::string, std::string>;

// One status category of the column: its STS node and the DE 4405 codes it admits (none: the
// column names no DE 4405 there, so only an empty status fits; `any`: any text fits).
struct StatusPlace {
  NodeIndex node;
  std::string category;
  std::vector<std::string> statuses;
  bool any = false;

  bool admits(const std::string& status) const {
    if (any) return true;
    if (statuses.empty()) return status.empty();
    return std::ranges::find(statuses, status) != statuses.end();
  }
};

std::vector<StatusPlace> status_places(const ColumnRef& column) {
  std::vector<StatusPlace> places;
  for (NodeIndex node : used_segments(column, "STS")) {
    const auto nr = nr_of(column, node);
    const auto statuses = column_codes(column, nr, "4405");
    for (auto& category : column_codes(column, nr, "9015").codes) {
      places.push_back({node, std::move(category), statuses.codes, statuses.any});
    }
  }
  return places;
}

std::string admitted_pairs(const std::vector<StatusPlace>& places) {
  std::string text;
  const auto add = [&text](std::string_view pair) { text += text.empty() ? "" : ", "; text += pair; };
  for (const auto& place : places) {
    if (place.any) {
      add(fmt::format("('{}', any)", place.category));
    } else if (place.statuses.empty()) {
      add(fmt::format("('{}', '')", place.category));
    }
    for (const auto& status : place.statuses) add(fmt::format("('{}', '{}')", place.category, status));
  }
  return text.empty() ? "no status" : text;
}

// What the column lets the build write, with its status chosen.
struct IftstaPlan {
  Status status;
  std::optional<std::string> equipment_qualifier;  // the status stands in an EQD group
  bool pid_reference = false;
  bool order_reference = false;
  bool vertragsende = false;
  bool vorgangsnummer = false;
};

py::Expected<IftstaPlan> plan_for(const ColumnRef& column, const std::optional<Status>& given, std::string_view label) {
  const auto places = status_places(column);
  const StatusPlace* chosen = nullptr;
  IftstaPlan plan;
  if (given) {
    for (const auto& place : places) {
      if (place.category == given->first && place.admits(given->second)) {
        chosen = &place;
        break;
      }
    }
    if (chosen == nullptr) {
      return py::value_error(fmt::format("status ('{}', '{}') is not a status of {}; its column admits {}",
                                         given->first, given->second, label, admitted_pairs(places)));
    }
    plan.status = *given;
  } else {
    if (places.empty()) return py::value_error(fmt::format("{} has no status in its column", label));
    // Only the category is chosen: whether the column wants a DE 4405 here, and which, can hang on
    // conditions that completion evaluates.
    chosen = &places.front();
    plan.status = {chosen->category, std::string()};
  }
  const auto& nodes = column.profile->structure().nodes;
  const auto group = nodes[chosen->node].parent;
  const auto outer = group ? nodes[*group].parent : std::nullopt;
  if (!group || !outer || nodes[*outer].children.empty()) return plan;
  const NodeIndex trigger = nodes[*outer].children.front();
  const auto* trigger_segment = nodes[trigger].segment();
  if (trigger_segment != nullptr && trigger_segment->tag == "EQD") {
    const auto codes = column_codes(column, trigger_segment->nr, "8053");
    plan.equipment_qualifier = codes.codes.empty() ? std::string("Z01") : codes.codes.front();
    plan.pid_reference = used_child(column, *outer, "RFF", "Z13").has_value();
  } else {
    plan.vorgangsnummer = trigger_segment != nullptr && trigger_segment->tag == "CNI";
    plan.pid_reference = used_child(column, *group, "RFF", "Z13").has_value();
  }
  plan.order_reference = used_child(column, *group, "RFF", "AGI").has_value();
  plan.vertragsende = used_child(column, *group, "DTM", "93").has_value();
  return plan;
}

py::Failure no_place(std::string_view argument, std::string_view segment, std::string_view label,
                     const Status& status) {
  return py::value_error(fmt::format("{}: {} has no place for {} next to the status ('{}', '{}')", argument,
                                     label, segment, status.first, status.second));
}

}  // namespace

py::Result build_iftsta(py::Args args) {
  auto pruefidentifikator = py::to_u32(args[0]);
  if (!pruefidentifikator) return py::propagate(pruefidentifikator);
  auto sender = py::to_str(args[1]);
  if (!sender) return py::propagate(sender);
  auto receiver = py::to_str(args[2]);
  if (!receiver) return py::propagate(receiver);
  auto status = py::to_optional(args[3], to_pair);
  if (!status) return py::propagate(status);
  auto vorgangsnummer = py::to_optional_str(args[4]);
  if (!vorgangsnummer) return py::propagate(vorgangsnummer);
  auto order_reference = py::to_optional_str(args[5]);
  if (!order_reference) return py::propagate(order_reference);
  auto vertragsende = py::to_optional_str(args[6]);
  if (!vertragsende) return py::propagate(vertragsende);
  auto on = py::to_optional_str(args[7]);
  if (!on) return py::propagate(on);
  auto release_text = py::to_optional_str(args[8]);
  if (!release_text) return py::propagate(release_text);
  auto document_code = py::to_optional_str(args[9]);
  if (!document_code) return py::propagate(document_code);
  auto document_id = py::to_optional_str(args[10]);
  if (!document_id) return py::propagate(document_id);
  auto message_ref = py::to_str(args[11]);
  if (!message_ref) return py::propagate(message_ref);
  auto document_date_text = py::to_optional_str(args[12]);
  if (!document_date_text) return py::propagate(document_date_text);

  auto release = pids::resolve_release(MessageType::Iftsta, view_of(*release_text), view_of(*on), std::nullopt);
  if (!release) return py::propagate(release);

  auto builder = edi_energy::builders::iftsta::IftstaBuilder(*release)
                     .sender(std::move(*sender))
                     .receiver(std::move(*receiver))
                     .message_reference(*message_ref);
  // A segment is written only where the column has a place for it; without a column (a release
  // no profile carries) everything asked for is written as given.
  if (const auto column = column_of(MessageType::Iftsta, *release, *pruefidentifikator)) {
    const std::optional<std::string> reference = *message_ref;
    if (auto given = refuse_empty_texts({{"vorgangsnummer", &*vorgangsnummer}, {"order_reference", &*order_reference},
                                         {"vertragsende", &*vertragsende}, {"document_code", &*document_code},
                                         {"document_id", &*document_id}, {"message_ref", &reference}});
        !given) {
      return py::propagate(given);
    }
    const auto label = fmt::format("IFTSTA {} ({})", *pruefidentifikator, release->text());
    auto plan = plan_for(*column, *status, label);
    if (!plan) return py::propagate(plan);
    if (*vorgangsnummer && !plan->vorgangsnummer) return no_place("vorgangsnummer", "CNI", label, plan->status);
    if (*order_reference && !plan->order_reference) {
      return no_place("order_reference", "RFF+AGI", label, plan->status);
    }
    if (*vertragsende && !plan->vertragsende) return no_place("vertragsende", "DTM+93", label, plan->status);
    if (plan->vorgangsnummer && !*vorgangsnummer) {
      // The status group hangs below the CNI, which carries the Vorgangsnummer: without it nothing
      // of the group can be placed, so completion fills the group (CNI 1, the column's status).
      if (*status || *order_reference || *vertragsende) {
        return py::value_error(fmt::format("vorgangsnummer is required: the status of {} stands in the CNI group "
                                           "that the Vorgangsnummer opens",
                                           label));
      }
      plan->pid_reference = false;
      plan->status = {};
    }
    if (!plan->status.first.empty()) *status = std::move(plan->status);
    if (plan->equipment_qualifier) builder = std::move(builder).equipment_qualifier(std::move(*plan->equipment_qualifier));
    if (plan->pid_reference) builder = std::move(builder).pruefidentifikator(*pruefidentifikator);
  } else {
    builder = std::move(builder).pruefidentifikator(*pruefidentifikator);
  }
  // The pair is DE 9015 and DE 4405; the builder's status reason is DE 9013, another field.
  if (*status) {
    builder = std::move(builder).status_category(std::move((*status)->first)).status(std::move((*status)->second));
  }
  if (*vorgangsnummer) builder = std::move(builder).vorgangsnummer(std::move(**vorgangsnummer));
  if (*order_reference) builder = std::move(builder).order_reference(std::move(**order_reference));
  if (auto given = require_optional_date("vertragsende", *vertragsende); !given) return py::propagate(given);
  if (*vertragsende) builder = std::move(builder).vertragsende(std::move(**vertragsende));
  if (!*document_code) *document_code = column_bgm_code(MessageType::Iftsta, *release, *pruefidentifikator);
  if (*document_code) builder = std::move(builder).document_code(std::move(**document_code));
  if (*document_id) builder = std::move(builder).document_id(std::move(**document_id));
  auto document_date = document_date_for(view_of(*document_date_text), view_of(*on));
  if (!document_date) return py::propagate(document_date);
  if (*document_date) builder = std::move(builder).document_date(std::move(**document_date));

  constexpr std::array<Rename, 1> renames{{{"message_reference", "message_ref"}}};
  return complete_written(std::move(builder).written(), args, renames, MessageType::Iftsta, *release,
                          *pruefidentifikator);
}

}  // namespace quorvane_native::edifact
