// The market partners of a completion and one Paket pin.
#pragma once

#include <cstdint>
#include <string>

namespace edi_energy::profile::skeleton {

struct SkeletonParties {
  std::string sender;
  std::string receiver;

  friend bool operator==(const SkeletonParties&, const SkeletonParties&) = default;
};

// A code that a mandatory Paket reference of the column asks for at one leaf of a segment.
struct Pin {
  std::string de;
  std::uint8_t occurrence = 0;
  std::string code;

  friend bool operator==(const Pin&, const Pin&) = default;
};

}  // namespace edi_energy::profile::skeleton
