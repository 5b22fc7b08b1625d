#include "edi_energy/profile/skeleton/completion_error.hpp"

#include <utility>

#include <fmt/format.h>

namespace edi_energy::profile::skeleton {

CompletionError CompletionError::seed_not_placed(std::size_t segment_index, std::string tag) {
  CompletionError error;
  error.kind = Kind::SeedNotPlaced;
  error.segment_index = segment_index;
  error.tag = std::move(tag);
  return error;
}

std::string CompletionError::message() const {
  switch (kind) {
    case Kind::SeedNotPlaced:
      return fmt::format(
          "segment {} (message segment {}) fits no place of the Nachrichtenstruktur; the message cannot be "
          "completed without dropping it",
          tag, segment_index);
  }
  return {};
}

}  // namespace edi_energy::profile::skeleton
