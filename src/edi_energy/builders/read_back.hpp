// Reads bytes a builder has written back into owned segments, so that a builder can hand out
// the typed message of what it wrote.
#pragma once

#include <string_view>
#include <vector>

#include "edi_energy/error.hpp"
#include "edifact/model/segment.hpp"

namespace edi_energy::builders {

// No input limits beyond the segment length; the default service characters. The first
// syntax error is returned as a parse error.
Result<std::vector<edifact::model::Segment>> bytes_to_segments(std::string_view bytes);

}  // namespace edi_energy::builders
