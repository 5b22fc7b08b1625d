#include "quorvane_native/fristen/berlin_offset.hpp"

#include "support/internal_fault.hpp"
#include "zelk/fristen/berlin_zone.hpp"

namespace quorvane_native::fristen {

using zelk_fristen::FristError;
using zelk_fristen::Instant;

std::expected<Instant, FristError> shown_in_berlin(const Instant& instant) {
  const std::int32_t offset = zelk_fristen::berlin_offset_at(instant.utc_seconds());
  const std::optional<Instant> shown = instant.at_offset(offset);
  if (!shown) return std::unexpected(zelk_fristen::out_of_range_error);
  if (offset % 60 != 0) {
    return std::unexpected(FristError{.kind = FristError::Kind::unrepresentable_offset,
                                      .date = shown->local_date(),
                                      .clock = shown->local_clock(),
                                      .offset_seconds = offset});
  }
  return *shown;
}

namespace berlin_offset_detail {

std::expected<Instant, FristError> receipt_for_rule(const Instant& received) {
  const std::int32_t offset = zelk_fristen::berlin_offset_at(received.utc_seconds());
  if (offset == 0) throw support::InternalFault("the Berlin zone names an offset of zero");
  const std::optional<Instant> in_berlin = received.at_offset(offset);
  if (!in_berlin) return std::unexpected(zelk_fristen::out_of_range_error);
  return *in_berlin;
}

std::expected<Instant, FristError> due_for_caller(const Instant& received,
                                                  const std::expected<Instant, FristError>& due) {
  if (!due) return due;
  if (due->offset_seconds() == 0) return shown_in_berlin(*due);
  const std::optional<Instant> at_receipt_offset = due->at_offset(received.offset_seconds());
  if (!at_receipt_offset) return std::unexpected(zelk_fristen::out_of_range_error);
  return *at_receipt_offset;
}

}  // namespace berlin_offset_detail

}  // namespace quorvane_native::fristen
