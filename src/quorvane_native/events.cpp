#include "quorvane_native/events.hpp"

#include <string_view>

#include "quorvane_native/events/catalogue.hpp"
#include "quorvane_native/events/cloudevents.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/function.hpp"
#include "quorvane_native/py/result.hpp"

namespace quorvane_native {

namespace {

template <class Range>
py::Result text_list(const Range& texts) {
  return py::list(texts, [](std::string_view text) { return py::str(text); });
}

py::Result event_types(py::Args) { return text_list(events::event_types()); }

py::Result event_type_exists(py::Args args) {
  auto event_type = py::to_str(args[0]);
  if (!event_type) return py::propagate(event_type);
  return py::boolean(events::event_type_exists(*event_type));
}

py::Result event_matches(py::Args args) {
  auto pattern = py::to_str(args[0]);
  if (!pattern) return py::propagate(pattern);
  auto event_type = py::to_str(args[1]);
  if (!event_type) return py::propagate(event_type);
  return py::boolean(events::event_matches(*pattern, *event_type));
}

py::Result event_types_matching(py::Args args) {
  auto pattern = py::to_str(args[0]);
  if (!pattern) return py::propagate(pattern);
  return text_list(events::event_types_matching(*pattern));
}

py::Result cloudevent_core_attributes(py::Args) { return text_list(events::CLOUDEVENT_CORE_ATTRIBUTES); }

py::Result cloudevent_json_members(py::Args) { return text_list(events::CLOUDEVENT_JSON_MEMBERS); }

py::Result is_valid_extension_key(py::Args args) {
  auto key = py::to_str(args[0]);
  if (!key) return py::propagate(key);
  return py::boolean(events::is_valid_extension_key(*key));
}

py::Result parse_cloudevent_time(py::Args args) {
  auto value = py::to_str(args[0]);
  if (!value) return py::propagate(value);
  auto normal_form = events::parse_cloudevent_time(*value);
  if (!normal_form) return py::value_error(events::message(normal_form.error()));
  return py::str(*normal_form);
}

constexpr py::Function functions[] = {
    {"event_types", "()",
     "Every event type of the declared catalogue, sorted.\n\n"
     "Parametrise over this list: a type invented for a test is one that no platform emits.",
     event_types},
    {"event_type_exists", "(event_type)",
     "Whether `event_type` is a catalogue type, compared byte for byte.\n\n"
     "Make it the first check of an assertion routine, so that a typo or a type whose name has "
     "changed fails instead of passing as \"not emitted\".",
     event_type_exists},
    {"event_matches", "(pattern, event_type)",
     "Whether the subscription `pattern` selects `event_type`, with the platform's own matcher.\n\n"
     "\"*\" matches any run of characters, the empty one included, \"?\" exactly one character, any "
     "other character itself; the pattern must cover the whole type. The type need not be in the "
     "catalogue.",
     event_matches},
    {"event_types_matching", "(pattern)",
     "The catalogue types that the subscription `pattern` selects, sorted.\n\n"
     "An empty list means the subscription is dead: a configuration defect a test can state.",
     event_types_matching},
    {"cloudevent_core_attributes", "()",
     "The CloudEvents 1.0 context attribute names and the payload member \"data\", in order.\n\n"
     "\"data\" is listed beside the context attributes because an extension must not collide with it "
     "either: the JSON format writes extensions flat beside them, and a collision emits a key twice.",
     cloudevent_core_attributes},
    {"cloudevent_json_members", "()",
     "The members of the CloudEvents JSON format: the core attributes and \"data_base64\".\n\n"
     "\"data_base64\" carries binary payloads; it is no context attribute and, with its underscore, no "
     "legal extension name. \"data\" and \"data_base64\" exclude each other in an event.",
     cloudevent_json_members},
    {"is_valid_extension_key", "(key)",
     "Whether `key` may name a CloudEvents extension attribute.\n\n"
     "The name must be non-empty and consist of lower-case ASCII letters and digits only "
     "(CloudEvents 3.3), and must not be a core attribute name. \"traceparent\" is valid; a key with "
     "an upper-case letter, a key with a hyphen and the key \"id\" are not.",
     is_valid_extension_key},
    {"parse_cloudevent_time", "(value)",
     "`value` checked as the RFC 3339 date-time that the CloudEvents `time` attribute must be, and "
     "written back in normal form in its own offset.\n\n"
     "A debug-formatted date-time is the shape that slips through untyped emitters; ISO 8601 texts "
     "that are not RFC 3339 (no offset, basic notation, a date alone) raise ValueError.",
     parse_cloudevent_time},
};

}  // namespace

int register_events(PyObject* module) { return py::add_functions<functions>(module); }

}  // namespace quorvane_native
