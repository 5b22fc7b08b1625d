// The group definitions of a compiled structure, as the segment-group tree builder takes them.
// Built once per profile in storage that is never freed, so the views in it stay valid for the
// rest of the process however the profile itself is moved.
#pragma once

#include "edi_energy/profile/structure.hpp"
#include "edifact/group/group_tree.hpp"

namespace edi_energy::profile {
using edifact::group::GroupSchema;
}

namespace edi_energy::profile::leak_group_schema {

// One entry per group that opens with a segment, children built the same way; groups of one
// list with equal name and trigger share the entry of the first, which takes the child groups
// of all of them.
const GroupSchema& build(const structure::Structure& structure);

}  // namespace edi_energy::profile::leak_group_schema
