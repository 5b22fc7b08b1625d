// One message's segments to a typed message: the UNH gives reference, type and release, the
// profiles tell where the Prüfidentifikator is written, and the typed message of the type
// builds itself. A type code that is none of the known ones gives an unknown message.
#pragma once

#include <chrono>
#include <optional>
#include <string_view>
#include <vector>

#include "edi_energy/any_message.hpp"
#include "edi_energy/error.hpp"
#include "edi_energy/registry/release_registry.hpp"
#include "edifact/model/segment.hpp"

namespace edi_energy::parse {

Result<any_message::AnyMessage> dispatch_message_on_date(std::vector<edifact::model::Segment> segments,
                                                          const registry::ReleaseRegistry& registry,
                                                          std::optional<std::chrono::year_month_day> date);

// Whether the newest profile of that type and release takes the Prüfidentifikator from RFF+Z13.
bool resolve_pid_source(std::string_view type_code, std::string_view release_text,
                        const registry::ReleaseRegistry& registry);

}  // namespace edi_energy::parse
