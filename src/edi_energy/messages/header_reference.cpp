#include "edi_energy/messages/header_reference.hpp"

#include <utility>

namespace edi_energy::messages {

std::size_t header_length(segments::Segments segments, std::string_view tag) {
  std::size_t length = 0;
  while (length < segments.size() && segments[length].tag() != tag) ++length;
  return length;
}

std::vector<HeaderReference> header_references(segments::Segments header) {
  std::vector<HeaderReference> references;
  std::size_t index = 0;
  while (index < header.size()) {
    std::optional<segments::Rff> rff;
    if (header[index].tag() == "RFF") rff = segments::read_or_drop<segments::Rff>(header[index]);
    ++index;
    if (!rff) continue;
    HeaderReference reference{std::move(*rff), {}};
    for (; index < header.size() && header[index].tag() == "DTM"; ++index) {
      if (auto dtm = segments::read_or_drop<segments::Dtm>(header[index])) reference.dtms.push_back(std::move(*dtm));
    }
    references.push_back(std::move(reference));
  }
  return references;
}

}  // namespace edi_energy::messages
