// Values of a built segment fitted to the Formatbedingungen that apply beside the segment's own
// codes: where "Code TE in demselben COM" decides between an e-mail and a telephone format, the
// sample value is the one that code asks for.
#pragma once

#include <span>

#include "edi_energy/profile/formatbedingung/formatbedingung.hpp"
#include "edi_energy/profile/profile.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"
#include "edi_energy/profile/skeleton/leaves.hpp"

namespace edi_energy::profile::skeleton {

// `elsewhere` decides a Voraussetzung about other segments (True or False where what was written
// settles it); one it leaves open may hold.
void fit_formats_in_segment(const Profile& profile, const model::SegmentNode& node,
                            std::span<const model::ElementRule* const> rules, std::span<const Leaf> leaves,
                            TextTable& table, const formatbedingung::Decide& elsewhere);

}  // namespace edi_energy::profile::skeleton
