// Received bytes to one owned segment list: the repertoire the UNB declares is decoded, the
// text tokenized under the input limits, and every offset given back counts raw input bytes.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "edi_energy/error.hpp"
#include "edifact/model/segment.hpp"

namespace edi_energy::platform {

inline constexpr std::size_t MAX_SEGMENTS = 10'000;
inline constexpr std::size_t MAX_INPUT_BYTES = 10'485'760;
inline constexpr std::size_t MAX_SEGMENT_LENGTH = 65'536;
inline constexpr std::size_t MAX_INTERCHANGE_MESSAGES = 1000;
inline constexpr std::size_t MAX_BARE_MESSAGE_SEGMENTS = 500;

Result<std::vector<edifact::model::Segment>> input_segments(std::string_view raw);

}  // namespace edi_energy::platform
