// The SG8 groups of a UTILMD Vorgang: their order by the release's MIG, and their segments.
#pragma once

#include <cstddef>
#include <limits>
#include <map>
#include <string>
#include <string_view>

#include "edi_energy/builders/message_writer.hpp"
#include "edi_energy/builders/utilmd_records.hpp"
#include "edi_energy/release.hpp"

namespace edi_energy::builders::utilmd {

// A qualifier's rank: the position of the first SEQ definition of the MIG that lists it.
using Sg8Ranks = std::map<std::string, std::size_t, std::less<>>;
// The rank of a qualifier no SEQ lists: after every known one.
inline constexpr std::size_t UNKNOWN_RANK = std::numeric_limits<std::size_t>::max();

// From the first registered UTILMD profile of the release; empty without one.
Sg8Ranks sg8_ranks(const release::Release& release);
std::size_t rank_of(const Sg8Ranks& ranks, std::string_view qualifier);

// The Vorgang's SG8 blocks sorted by rank (the Z01 items gathered into one block), with the
// Produktpaket groups placed before the first block that ranks with them.
// `at`: the Vorgang's index, for the sources of what it writes.
Result<void> emit_sg8(MessageWriter& writer, const UtilmdTransactionSpec& transaction, const Sg8Ranks& ranks,
                      std::size_t at);

// SEQ+Z22 with its time-series reference, SEQ+Z79 per product, SEQ+ZH0 per package.
Result<void> emit_sg8_produktpakete(MessageWriter& writer, const UtilmdTransactionSpec& transaction, std::size_t at);

}  // namespace edi_energy::builders::utilmd
