// Where a message carries its Prüfidentifikator: in an RFF+Z13 or in the BGM document number.
// Both scans return only five-digit values (10000 to 99999).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "edifact/model/segment.hpp"

namespace edi_energy::pid_scan {

// The first RFF+Z13 whose value is a five-digit Prüfidentifikator; others are skipped.
std::optional<std::uint32_t> from_rff_z13(std::span<const edifact::model::Segment> segments);

// DE 1004 of the first BGM only.
std::optional<std::uint32_t> from_bgm(std::span<const edifact::model::Segment> segments);

// A decimal number with an optional leading "+"; nothing for any other text or on overflow.
std::optional<std::uint32_t> read_number(std::string_view text);

}  // namespace edi_energy::pid_scan
