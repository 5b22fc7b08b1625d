// The block behind a segment, an allocation of its own or a piece of an arena's chunk: a word
// holding its size in bytes, then the element records, the lists of later repetitions, the
// component records and the copied texts. Every record kind is a multiple of the block's unit
// in size, so each array stays aligned.
#pragma once

#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <span>
#include <string_view>

#include "edifact/model/segment.hpp"
#include "edifact/model/block_arena.hpp"

namespace edifact::model {

// How many records and text bytes a block holds.
struct BlockShape {
  std::size_t elements = 0;
  std::size_t repetitions = 0;
  std::size_t components = 0;
  std::size_t text_bytes = 0;
};

// Adds text sizes for a block; throws std::bad_alloc when the sum leaves the machine word, as
// an allocation of that size would.
inline std::size_t checked_sum(std::size_t a, std::size_t b) {
  if (b > std::numeric_limits<std::size_t>::max() - a) throw std::bad_alloc();
  return a + b;
}

// `span` moved by `delta`, each offset saturating at the largest value instead of wrapping.
Span shifted(Span span, std::size_t delta);

// Fills a block in three steps: components, then repetition lists, then elements, each stored
// before the next step takes views of it.
class BlockWriter {
 public:
  // Allocates nothing for an empty shape; takes the block from `arena` when one is given.
  explicit BlockWriter(const BlockShape& shape, BlockArena* arena = nullptr);

  // Copies the component records in; their texts may be changed until the block is finished.
  std::span<Component> store_components(std::span<const Component> records);
  // Stores one repetition list per call, in order.
  void store_repetition(ComponentList components) {
    if (stored_repetitions_ >= shape_.repetitions) overfilled("repetitions");
    std::construct_at(reinterpret_cast<ComponentList*>(at(repetitions_at_)) + stored_repetitions_, components);
    ++stored_repetitions_;
  }
  std::span<const ComponentList> repetitions() const;
  // Stores one element per call, in order.
  void store_element(const Element& element) {
    if (stored_elements_ >= shape_.elements) overfilled("elements");
    std::construct_at(reinterpret_cast<Element*>(at(elements_at)) + stored_elements_, element);
    ++stored_elements_;
  }

  // Copies `text` into the next free text bytes; an empty text takes none and views nothing.
  std::string_view copy_text(std::string_view text) {
    if (text.empty()) return {};
    if (text.size() > end_ - next_text_) overfilled("text");
    auto* destination = reinterpret_cast<char*>(at(next_text_));
    std::memcpy(destination, text.data(), text.size());
    next_text_ += text.size();
    return {destination, text.size()};
  }

  Segment finish(std::string_view tag, Span span, Span tag_span) &&;

  // Whether `text` is non-empty and lies in the block of `segment`.
  static bool owns(const Segment& segment, std::string_view text);

 private:
  static constexpr std::size_t elements_at = sizeof(std::size_t);  // after the size word

  std::byte* at(std::size_t offset) const { return reinterpret_cast<std::byte*>(block_.get()) + offset; }
  [[noreturn]] static void overfilled(const char* part);

  BlockShape shape_;
  std::shared_ptr<BlockUnit[]> block_;
  std::size_t repetitions_at_ = 0;
  std::size_t components_at_ = 0;
  std::size_t next_text_ = 0;  // byte offset of the next free text byte
  std::size_t end_ = 0;        // the block's size in bytes
  std::size_t stored_repetitions_ = 0;
  std::size_t stored_elements_ = 0;
};

}  // namespace edifact::model
