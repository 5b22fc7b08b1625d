// The error list of one envelope validation run and the readers of service-segment fields that
// report into it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edifact/error.hpp"
#include "edifact/model/segment.hpp"

namespace edifact::envelope {

// Errors in the order the checks find them; nothing is removed or sorted.
class ErrorSink {
 public:
  void push(EdifactError error) { errors_.push_back(std::move(error)); }

  // A copy of a required component's text; a missing or empty one is reported and read as
  // the empty text.
  std::string required(const model::Segment& segment, std::size_t element_index,
                       std::size_t component_index);

  // Reads a required count; a missing one is reported as such and, like any text that is not a
  // count, also as invalid text at the segment's start, and read as 0.
  std::uint32_t required_count(const model::Segment& segment, std::size_t element_index,
                               std::size_t component_index);

  // Clamps a number of segments, messages or groups to 32 bits, reporting the overflow.
  std::uint32_t clamped_count(std::uint64_t count);

  const std::vector<EdifactError>& errors() const { return errors_; }
  std::vector<EdifactError> take_errors() && { return std::move(errors_); }

 private:
  std::vector<EdifactError> errors_;
};

// An unsigned 32-bit count: one optional leading "+", then digits only.
std::optional<std::uint32_t> read_count(std::string_view text);

// A component of the first repetition, or the empty text when there is no such component.
std::string_view component_text(const model::Segment& segment, std::size_t element_index,
                                std::size_t component_index);

// A component's text, absent when there is no such component or it is empty.
std::optional<std::string> optional_text(const model::Segment& segment, std::size_t element_index,
                                         std::size_t component_index);

// True only for the text "1".
bool indicator(const model::Segment& segment, std::size_t element_index,
               std::size_t component_index);

}  // namespace edifact::envelope
