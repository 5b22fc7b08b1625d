// Segment blocks carved from shared chunks, so that a parse allocates once per chunk instead of
// once per segment. Each block keeps its whole chunk alive, so a segment kept long after its
// parse pins at most one chunk: parsed messages are held together and dropped together, and
// that is cheap next to a heap allocation for every segment.
#pragma once

#include <cstddef>
#include <memory>

#include "edifact/model/segment.hpp"

namespace edifact::model {

class BlockArena {
 public:
  static constexpr std::size_t CHUNK_UNITS = 64 * 1024 / sizeof(BlockUnit);
  // Blocks above this get an allocation of their own, so a chunk never wastes more than this
  // many units on a block that does not fit behind the others.
  static constexpr std::size_t LARGEST_SHARED_UNITS = CHUNK_UNITS / 4;

  // `units` writable units that keep their chunk alive; one or more.
  std::shared_ptr<BlockUnit[]> allocate(std::size_t units);

 private:
  std::shared_ptr<BlockUnit[]> chunk_;
  std::size_t used_units_ = 0;  // handed out from the front of `chunk_`
};

}  // namespace edifact::model
