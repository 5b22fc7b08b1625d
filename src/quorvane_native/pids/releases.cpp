#include <string>
#include <string_view>

#include "quorvane_native/fristen/time_text.hpp"
#include "quorvane_native/pids/functions.hpp"
#include "quorvane_native/pids/release_resolution.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"

namespace quorvane_native::pids {

py::Result release_for(py::Args args) {
  auto type_text = py::to_str(args[0]);
  if (!type_text) return py::propagate(type_text);
  auto on = py::to_str(args[1]);
  if (!on) return py::propagate(on);
  auto sparte = py::to_optional_str(args[2]);
  if (!sparte) return py::propagate(sparte);

  auto message_type = message_type_from_str(*type_text);
  if (!message_type) return py::propagate(message_type);
  auto date = fristen::parse_date(*on);
  if (!date) return py::propagate(date);
  const auto registry = shared_registry();
  auto track = track_for(*message_type, *sparte);
  if (!track) return py::propagate(track);
  const auto* profile = profile_in_force(registry, *message_type, *date, *track);
  if (profile == nullptr) return py::none();
  return py::str(profile->release().text());
}

py::Result format_versions(py::Args) {
  const auto registry = shared_registry();
  return py::list(registry->format_versions(), [](const std::string& version) { return py::str(version); });
}

py::Result releases(py::Args args) {
  auto type_text = py::to_str(args[0]);
  if (!type_text) return py::propagate(type_text);
  auto message_type = message_type_from_str(*type_text);
  if (!message_type) return py::propagate(message_type);
  const auto registry = shared_registry();
  return py::list(registry->releases(*message_type),
                  [](const edi_energy::release::Release* release) { return py::str(release->text()); });
}

}  // namespace quorvane_native::pids
