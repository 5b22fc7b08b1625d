// Values of a built segment fitted to the Formatbedingungen that apply beside the segment's own
// codes: where "Code TE in demselben COM" decides between an e-mail and a telephone format, the
// sample value is the one that code asks for.
#pragma once

#include <span>

#include "edi_energy/profile/profile.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"
#include "edi_energy/profile/skeleton/leaves.hpp"

namespace edi_energy::profile::skeleton {

void fit_formats_in_segment(const Profile& profile, const model::SegmentNode& node,
                            std::span<const model::ElementRule* const> rules, std::span<const Leaf> leaves,
                            TextTable& table);

}  // namespace edi_energy::profile::skeleton
