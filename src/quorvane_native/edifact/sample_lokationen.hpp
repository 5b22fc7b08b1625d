// The Lokationen completion adds to a UTILMD message beside those the caller gave: each goes,
// with the references that name it, where the column accepts the message without it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quorvane_native/edifact/build_pipeline.hpp"

namespace quorvane_native::edifact {

// `given` holds the IDs the caller gave, per Vorgang in order; a Vorgang given none keeps what
// completion wrote, and so does a message its column does not accept as it is.
std::string without_sample_lokationen(std::string completed, const std::vector<std::vector<std::string>>& given,
                                      const ColumnRef& column, std::uint32_t pruefidentifikator);

}  // namespace quorvane_native::edifact
