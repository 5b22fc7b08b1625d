// Whether a condition text that names a group speaks of the instance of it around the row: it
// does when every segment it names can stand in that instance's variant of the group. A text
// that names another variant ("SG2 NAD+DP" from the SG2 of NAD+SU) speaks of other instances.
#pragma once

#include "edi_energy/profile/conditions/voraussetzung.hpp"
#include "edi_energy/profile/structure.hpp"

namespace edi_energy::profile::validate {

// `group`: a group node. Every segment the reading names (its companions too) can be taken by a
// segment node within it, as far as the qualifier tests that tell nodes of one tag apart can
// say. A count of the group's own trigger counts its instances, so it never speaks of one.
bool speaks_of_variant(const structure::Structure& structure, const conditions::Voraussetzung& reading,
                       structure::NodeIndex group);

}  // namespace edi_energy::profile::validate
