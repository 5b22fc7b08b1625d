// Whether a reading that names no group speaks of segments that only a Vorgang holds: such a
// text ("Wenn STS+7++xxx+ZW4 vorhanden") asks about the Vorgang of the row, not the message.
#pragma once

#include "edi_energy/profile/conditions/voraussetzung.hpp"
#include "edi_energy/profile/structure.hpp"

namespace edi_energy::profile::validate {

bool reads_own_vorgang(const structure::Structure& structure, const conditions::Voraussetzung& reading);

}  // namespace edi_energy::profile::validate
