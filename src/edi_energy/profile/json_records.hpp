// The record readers of profile documents: one per record of the MIG and AHB documents, each
// applying its fields' presence rules. Only the document readers use them.
#pragma once

#include "edi_energy/profile/json_reader.hpp"
#include "edi_energy/profile/model.hpp"

namespace edi_energy::profile::json::reading {

inline constexpr std::string_view mig_expected = "struct MigProfile";
inline constexpr std::string_view ahb_expected = "struct AhbProfile";

// `root` is the document's root object.
Step read_mig_record(Reader& reader, ondemand::value& root, model::MigProfile& out);
Step read_ahb_record(Reader& reader, ondemand::value& root, model::AhbProfile& out);

}  // namespace edi_energy::profile::json::reading
