// Counts the heap that global operator new hands out, so a benchmark can tell how much a parse
// holds and how high it peaked. Linking this unit replaces operator new and delete.
#pragma once

#include <cstddef>

namespace bench::heap {

// Bytes held right now: the usable size of every block handed out and not yet released, which
// includes the allocator's rounding but not its chunk headers.
std::size_t live_bytes();

// The highest `live_bytes` since the last `restart_peak`.
std::size_t peak_bytes();
void restart_peak();

}  // namespace bench::heap
