// The Lokationen completion adds to a UTILMD message beside those the caller gave: each goes,
// with the references that name it, where the column accepts the message without it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "quorvane_native/edifact/build_pipeline.hpp"

namespace quorvane_native::edifact {

// `given` holds the IDs the caller gave, per Vorgang in order; a Vorgang given none keeps what
// completion wrote, and so does a message its column does not accept as it is. `accepted_as_is`
// is whether it does, where the build's verdict already tells; else it is judged here.
std::string without_sample_lokationen(std::string completed, const std::vector<std::vector<std::string>>& given,
                                      const ColumnRef& column, std::uint32_t pruefidentifikator,
                                      std::optional<bool> accepted_as_is = std::nullopt);

}  // namespace quorvane_native::edifact
