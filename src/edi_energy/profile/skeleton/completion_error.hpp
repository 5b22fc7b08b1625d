// Why a message could not be completed to its column. Completion refuses rather than return a
// message that silently lacks one of the caller's segments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace edi_energy::profile::skeleton {

struct CompletionError {
  enum class Kind : std::uint8_t { SeedNotPlaced };

  Kind kind = Kind::SeedNotPlaced;
  std::size_t segment_index = 0;  // 0-based position of the segment in the seed message
  std::string tag;

  static CompletionError seed_not_placed(std::size_t segment_index, std::string tag);

  // "segment NAD (message segment 3) fits no place of the Nachrichtenstruktur; …"
  std::string message() const;

  friend bool operator==(const CompletionError&, const CompletionError&) = default;
};

}  // namespace edi_energy::profile::skeleton
