// Reading MIG and AHB profile documents (JSON text) into their records. A fault names what is
// wrong and where reading stood; a document pair is judged MIG first.
#pragma once

#include <cstddef>
#include <expected>
#include <string_view>

#include "edi_energy/error.hpp"
#include "edi_energy/profile/json_fault.hpp"
#include "edi_energy/profile/model.hpp"

namespace edi_energy::profile::json {

// A text followed in memory by at least this many readable bytes (of any value) can be read in
// place; any other text is copied once into a padded buffer first.
inline constexpr std::size_t document_padding = 64;

struct PaddedText {
  std::string_view text;  // the document itself, without the padding
};

std::expected<model::MigProfile, JsonFault> read_mig(std::string_view document);
std::expected<model::MigProfile, JsonFault> read_mig(PaddedText document);
std::expected<model::AhbProfile, JsonFault> read_ahb(std::string_view document);
std::expected<model::AhbProfile, JsonFault> read_ahb(PaddedText document);

struct DocumentPair {
  model::MigProfile mig;
  model::AhbProfile ahb;
};

// Reads the MIG, then the AHB; the fault of the first that fails becomes the invalid field
// "mig.json" or "ahb.json" with an empty value and the fault's text as reason.
std::expected<DocumentPair, error::ProfileError> read_pair(std::string_view mig, std::string_view ahb);
std::expected<DocumentPair, error::ProfileError> read_pair(PaddedText mig, PaddedText ahb);

}  // namespace edi_energy::profile::json
