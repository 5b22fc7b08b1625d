// What the AHB column says of a message a build completed to it, kept for the build running on
// this thread: a build returns only what its column accepts, and needs the column's own words to
// name what it refuses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "edi_energy/message_type.hpp"
#include "edifact/model/segment.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"

namespace quorvane_native::edifact {

struct Rejection {
  // Equal for the same fault in another build of the same column.
  std::string key;
  std::string text;
  // The data element the fault is about, as written; absent for a fault of a whole segment or group.
  std::optional<std::string> value;
  // The segment of the completed message it is about, where the column names one.
  std::optional<std::size_t> segment;
};

struct ColumnVerdict {
  std::string column;  // "UTILMD 55001 (S2.1)"
  std::vector<Rejection> rejections;
  // Why completion could not place a written segment.
  std::optional<std::string> unplaced;
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
// rules) for the completed message, against the column's own profile. Gives the segments back,
// so that the message can be written after its validation is gone rather than beside it.
std::vector<::edifact::model::Segment> judge_completed(ColumnVerdict& verdict, const ColumnRef& column,
                                                       edi_energy::message_type::MessageType type,
                                                       std::uint32_t pruefidentifikator,
                                                       std::vector<::edifact::model::Segment> segments);

}  // namespace quorvane_native::edifact
