#include "edifact/model/block_arena.hpp"

#include <mutex>
#include <vector>

namespace edifact::model {
namespace {

// Chunks given back by their last segment wait here for the next parse, up to a bound: a
// program that parses again and again then keeps its pages instead of handing them to the
// kernel and faulting them back in on every parse.
class ChunkCache {
 public:
  static constexpr std::size_t MOST_KEPT = 256;  // 16 MiB

  BlockUnit* take() {
    {
      std::lock_guard lock(mutex_);
      if (!kept_.empty()) {
        BlockUnit* chunk = kept_.back();
        kept_.pop_back();
        return chunk;
      }
    }
    return new BlockUnit[BlockArena::CHUNK_UNITS];
  }

  void give_back(BlockUnit* chunk) {
    {
      std::lock_guard lock(mutex_);
      if (kept_.size() < MOST_KEPT) {
        kept_.push_back(chunk);
        return;
      }
    }
    delete[] chunk;
  }

 private:
  std::mutex mutex_;
  std::vector<BlockUnit*> kept_;
};

// Never destroyed: segments may outlive static destruction order.
ChunkCache& chunk_cache() {
  static ChunkCache* const cache = new ChunkCache;
  return *cache;
}

}  // namespace

std::shared_ptr<BlockUnit[]> BlockArena::allocate(std::size_t units) {
  if (units > LARGEST_SHARED_UNITS) return std::make_shared_for_overwrite<BlockUnit[]>(units);
  if (!chunk_ || CHUNK_UNITS - used_units_ < units) {
    chunk_ = std::shared_ptr<BlockUnit[]>(chunk_cache().take(),
                                          [](BlockUnit* chunk) { chunk_cache().give_back(chunk); });
    used_units_ = 0;
  }
  BlockUnit* const block = chunk_.get() + used_units_;
  used_units_ += units;
  // Shares the chunk's ownership while pointing at the block.
  return std::shared_ptr<BlockUnit[]>(chunk_, block);
}

}  // namespace edifact::model
