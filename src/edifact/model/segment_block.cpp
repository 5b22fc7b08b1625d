#include "edifact/model/segment_block.hpp"

#include <functional>
#include <limits>
#include <memory>
#include <new>

#include <fmt/format.h>

#include "support/internal_fault.hpp"

namespace edifact::model {
namespace {

std::size_t checked_product(std::size_t count, std::size_t size) {
  if (count > std::numeric_limits<std::size_t>::max() / size) throw std::bad_alloc();
  return count * size;
}

}  // namespace

Span shifted(Span span, std::size_t delta) {
  constexpr std::size_t largest = std::numeric_limits<std::size_t>::max();
  const auto moved = [&](std::size_t offset) { return delta > largest - offset ? largest : offset + delta; };
  return {moved(span.start), moved(span.end)};
}

BlockWriter::BlockWriter(const BlockShape& shape, BlockArena* arena) : shape_(shape) {
  using Unit = BlockUnit;
  static_assert(elements_at % sizeof(Unit) == 0 && alignof(std::size_t) <= alignof(Unit));
  static_assert(sizeof(Element) % sizeof(Unit) == 0 && alignof(Element) <= alignof(Unit));
  static_assert(sizeof(ComponentList) % sizeof(Unit) == 0 && alignof(ComponentList) <= alignof(Unit));
  static_assert(sizeof(Component) % sizeof(Unit) == 0 && alignof(Component) <= alignof(Unit));

  repetitions_at_ = checked_sum(elements_at, checked_product(shape.elements, sizeof(Element)));
  components_at_ = checked_sum(repetitions_at_, checked_product(shape.repetitions, sizeof(ComponentList)));
  next_text_ = checked_sum(components_at_, checked_product(shape.components, sizeof(Component)));
  end_ = checked_sum(next_text_, shape.text_bytes);
  if (end_ == elements_at) return;
  const std::size_t units = end_ / sizeof(Unit) + (end_ % sizeof(Unit) != 0 ? 1 : 0);
  block_ = arena != nullptr ? arena->allocate(units) : std::make_shared_for_overwrite<Unit[]>(units);
  std::construct_at(reinterpret_cast<std::size_t*>(at(0)), end_);
}

std::span<Component> BlockWriter::store_components(std::span<const Component> records) {
  if (records.size() != shape_.components) {
    throw support::InternalFault("a segment block got another number of components than planned");
  }
  if (records.empty()) return {};
  auto* slots = reinterpret_cast<Component*>(at(components_at_));
  std::uninitialized_copy(records.begin(), records.end(), slots);
  return {std::launder(slots), records.size()};
}

void BlockWriter::overfilled(const char* part) {
  throw support::InternalFault(fmt::format("a segment block got more {} than planned", part));
}

std::span<const ComponentList> BlockWriter::repetitions() const {
  if (shape_.repetitions == 0) return {};
  return {std::launder(reinterpret_cast<const ComponentList*>(at(repetitions_at_))), shape_.repetitions};
}

Segment BlockWriter::finish(std::string_view tag, Span span, Span tag_span) && {
  if (stored_elements_ != shape_.elements || stored_repetitions_ != shape_.repetitions) {
    throw support::InternalFault("a segment block was finished before all its records were stored");
  }
  const Element* elements =
      shape_.elements == 0 ? nullptr : std::launder(reinterpret_cast<const Element*>(at(elements_at)));
  return Segment(tag, {elements, shape_.elements}, span, tag_span, std::move(block_));
}

bool BlockWriter::owns(const Segment& segment, std::string_view text) {
  if (text.empty() || !segment.block_) return false;
  const auto* begin = reinterpret_cast<const char*>(segment.block_.get());
  const std::size_t size = *std::launder(reinterpret_cast<const std::size_t*>(begin));
  const std::less_equal<const char*> not_after;
  return not_after(begin, text.data()) && not_after(text.data() + text.size(), begin + size);
}

}  // namespace edifact::model
