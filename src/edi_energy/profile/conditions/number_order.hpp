// An order for condition and Paket numbers that a lookup decides mostly by length: the maps the
// validation asks at every reference are keyed by short digit strings, where a byte-wise
// comparison costs a library call per tree level. Numbers without leading zeros come out in
// numeric order.
#pragma once

#include <cstddef>
#include <string_view>

namespace edi_energy::profile::conditions {

struct NumberOrder {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) return a.size() < b.size();
    for (std::size_t at = 0; at < a.size(); ++at) {
      if (a[at] != b[at]) return static_cast<unsigned char>(a[at]) < static_cast<unsigned char>(b[at]);
    }
    return false;
  }
};

}  // namespace edi_energy::profile::conditions
