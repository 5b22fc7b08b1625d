// Moves built segments into shared documents: a built segment alone in its document costs far
// more than its bytes, which tells where a message of tens of thousands of them is kept.
#pragma once

#include <span>

#include "edifact/model/segment.hpp"

namespace edifact::model {

// Replaces the handles of the segments among `segments` that were built alone in a document of
// their own by handles into as few documents as can hold them, which read exactly the same
// (tags, texts, structure, spans); other segments are left as they are. Views of the replaced
// handles end with them.
void compact_built(std::span<Segment> segments);

}  // namespace edifact::model
