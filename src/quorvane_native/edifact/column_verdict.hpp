// What the AHB column says of a message a build completed to it, kept for the build running on
// this thread: a build returns only what its column accepts, and needs the column's own words to
// name what it refuses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/message_type.hpp"
#include "edifact/model/segment.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/segment_writers.hpp"

namespace quorvane_native::edifact {

// Who wrote what a fault is about: the builder (its segment, counted from UNH), completion, or
// neither that can be told (a fault of a group, a count, a notice).
struct Writer {
  enum class Kind : std::uint8_t { unknown, builder, completion };
  Kind kind = Kind::unknown;
  std::size_t segment = 0;
  std::optional<std::size_t> element;  // the data element the fault names, when it names one
  std::optional<std::size_t> component;  // and its component, when it names one
};

struct Rejection {
  // Equal for the same fault in another build of the same column.
  std::string key;
  std::string rule;  // the rule id, equal for the same kind of fault wherever it stands
  std::string text;
  // The data element the fault is about, as written; absent for a fault of a whole segment or group.
  std::optional<std::string> value;
  Writer writer;
  std::string nr;  // the segment number of the column the fault names, if any
  // The segment of the completed message it is about, where the column names one.
  std::optional<std::size_t> segment;
  // For a fault of a group or a count: the first segment of the instance it was judged in.
  std::optional<std::size_t> scope;
  // For a count over its limit: the limit.
  std::optional<std::size_t> limit;
};

struct ColumnVerdict {
  std::string column;  // "UTILMD 55001 (S2.1)"
  std::optional<ColumnRef> ref;
  std::vector<Rejection> rejections;
  // Why completion could not place a written segment, and which one it was.
  std::optional<std::string> unplaced;
  std::optional<std::size_t> unplaced_segment;
  // The arguments that wrote the builder's segments.
  SegmentWriters writers;
  // What the build refuses in a message its column accepts (a value the answer must carry that
  // nothing gave): it stands where no argument is at fault, and a build left without an argument
  // still counts as built, so that an argument at fault beside it is named.
  std::optional<py::Error> refusal;
};

// While a scope lives, completions on this thread report to its verdict; an inner scope hides an
// outer one until it ends.
class VerdictScope {
 public:
  explicit VerdictScope(ColumnVerdict& verdict);
  ~VerdictScope();
  VerdictScope(const VerdictScope&) = delete;
  VerdictScope& operator=(const VerdictScope&) = delete;

  // The verdict of the innermost scope, or none when no build asks.
  static ColumnVerdict* current();

 private:
  ColumnVerdict* outer_;
};

// Names the column a build completed to.
void name_column(ColumnVerdict& verdict, const ColumnRef& column, edi_energy::message_type::MessageType type,
                 std::uint32_t pruefidentifikator);

// The errors of the whole validation pipeline (MIG, AHB, format-303 dates, the type's semantic
// rules) for the completed message, against the column's own profile, each with its writer:
// completion's segments carry the builder's values as views of `built` (the builder's bytes,
// its segments starting at `starts`), its own values elsewhere. Gives the segments back, so that
// the message can be written after its validation is gone rather than beside it.
std::vector<::edifact::model::Segment> judge_completed(ColumnVerdict& verdict, const ColumnRef& column,
                                                       edi_energy::message_type::MessageType type,
                                                       std::uint32_t pruefidentifikator,
                                                       std::vector<::edifact::model::Segment> segments,
                                                       std::string_view built, std::span<const std::size_t> starts);

// The same for a whole message as the builders write it, every segment its own writer's; false,
// `verdict` untouched, where it does not parse.
bool judge_message(ColumnVerdict& verdict, const ColumnRef& column, edi_energy::message_type::MessageType type,
                   std::uint32_t pruefidentifikator, std::string_view message);

}  // namespace quorvane_native::edifact
