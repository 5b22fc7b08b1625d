// The built-in profiles the profile fuzz targets choose from; their segments come from the fuzz
// bytes in the plain notation of plain_segments.hpp.
#pragma once

#include <vector>

#include "edi_energy/catalogue.hpp"
#include "edi_energy/profile/profile.hpp"
#include "plain_segments.hpp"

namespace fuzz_support {

inline const std::vector<const edi_energy::profile::Profile*>& builtin_profiles() {
  static const std::vector<const edi_energy::profile::Profile*> all = [] {
    std::vector<const edi_energy::profile::Profile*> list;
    edi_energy::register_profiles(list);
    return list;
  }();
  return all;
}

}  // namespace fuzz_support
