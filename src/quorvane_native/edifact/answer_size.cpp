#include "quorvane_native/edifact/answer_size.hpp"

#include <fmt/format.h>

#include <optional>
#include <string>

#include "edi_energy/message_type.hpp"
#include "edi_energy/platform/input_segments.hpp"
#include "edifact/parse/from_bytes.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"
#include "quorvane_native/edifact/reader_limits.hpp"

namespace quorvane_native::edifact {

namespace {

using edi_energy::platform::MAX_INPUT_BYTES;
using edi_energy::platform::MAX_SEGMENTS;

constexpr std::size_t segment_limit = MAX_SEGMENTS - envelope_segments;
constexpr std::size_t byte_limit = MAX_INPUT_BYTES - envelope_bytes;

struct Size {
  std::size_t segments = 0;
  std::size_t bytes = 0;
};

py::Status within_limits(Size size, std::size_t vorgaenge, std::string_view verb) {
  if (size.segments <= segment_limit && size.bytes <= byte_limit) return {};
  return py::value_error(fmt::format(
      "received: an answer to {} Vorgänge {} {} segments ({} bytes); validate_edifact reads at most {} segments and "
      "{} bytes in one interchange, UNB and UNZ included, so the partner could not read it",
      vorgaenge, verb, size.segments, size.bytes, MAX_SEGMENTS, MAX_INPUT_BYTES));
}

// Where the Vorgänge of a message begin and end: the first and second IDE, and UNT.
struct Cuts {
  std::size_t first_ide = 0;
  std::size_t second_ide = 0;
  std::size_t trailer = 0;
  std::size_t segments_in_first = 0;
  std::size_t segments_after_first = 0;
  std::size_t segments = 0;
};

std::optional<Cuts> cuts_of(std::string_view message) {
  const auto segments = ::edifact::parse_all(message, ::edifact::ParserConfig{});
  if (segments.error() || segments.empty()) return std::nullopt;
  const ::edifact::model::Segment trailer = segments[segments.size() - 1];
  if (trailer.tag() != "UNT") return std::nullopt;
  Cuts cuts;
  cuts.segments = segments.size();
  std::size_t ides = 0;
  for (std::size_t at = 0; at + 1 < segments.size(); ++at) {
    const ::edifact::model::Segment segment = segments[at];
    if (segment.tag() == "IDE" && ++ides <= 2) {
      (ides == 1 ? cuts.first_ide : cuts.second_ide) = segment.span().start;
    }
    if (ides == 1) ++cuts.segments_in_first;
    if (ides > 1) ++cuts.segments_after_first;
  }
  if (ides == 0) return std::nullopt;
  cuts.trailer = trailer.span().start;
  if (ides == 1) cuts.second_ide = cuts.trailer;
  return cuts;
}

}  // namespace

py::Status answer_would_fit(std::string_view built, std::size_t vorgaenge, const edi_energy::release::Release& release,
                            std::uint32_t answer_pid) {
  // Ten Vorgänge would each need a thousand segments of completion's to reach the limit.
  if (vorgaenge < 10) return {};
  const auto built_cuts = cuts_of(built);
  if (!built_cuts) return {};
  std::string first(built.substr(0, built_cuts->second_ide));
  first += built.substr(built_cuts->trailer);
  // Only its size is wanted: no verdict of the caller's hears of it.
  ColumnVerdict unheard;
  const VerdictScope scope(unheard);
  auto completed = complete_to_column(first, edi_energy::message_type::MessageType::Utilmd, release, answer_pid, {},
                                      std::nullopt);
  // The answer's own completion reports what went wrong.
  if (!completed) return {};
  const auto completed_cuts = cuts_of(*completed);
  if (!completed_cuts) return {};
  const std::size_t completed_segments = completed_cuts->segments_in_first;
  const std::size_t completed_bytes = completed_cuts->second_ide - completed_cuts->first_ide;
  const std::size_t built_bytes = built_cuts->second_ide - built_cuts->first_ide;
  // Each further Vorgang: its own segments, and what completion added to the first.
  const std::size_t added_segments =
      completed_segments > built_cuts->segments_in_first ? completed_segments - built_cuts->segments_in_first : 0;
  const std::size_t added_bytes = completed_bytes > built_bytes ? completed_bytes - built_bytes : 0;
  const Size estimate{
      .segments = completed_cuts->segments + built_cuts->segments_after_first + (vorgaenge - 1) * added_segments,
      .bytes = completed->size() + (built_cuts->trailer - built_cuts->second_ide) + (vorgaenge - 1) * added_bytes,
  };
  return within_limits(estimate, vorgaenge, "would hold");
}

py::Status answer_fits(std::string_view completed, std::size_t vorgaenge) {
  return within_limits(Size{.segments = written_segments(completed), .bytes = completed.size()}, vorgaenge, "holds");
}

}  // namespace quorvane_native::edifact
