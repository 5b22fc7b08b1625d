// The two fixed tables behind the Prüfidentifikator functions: the PID bands each message type
// is scanned over, and the request PIDs with their Bestätigung and Ablehnung answers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "edi_energy/message_type.hpp"
#include "edi_energy/release.hpp"

namespace quorvane_native::pids {

inline constexpr std::uint32_t first_pruefidentifikator = 10000;
inline constexpr std::uint32_t last_pruefidentifikator = 99999;

constexpr bool is_pruefidentifikator(std::uint32_t pid) {
  return pid >= first_pruefidentifikator && pid <= last_pruefidentifikator;
}

// One inclusive range of PIDs. UTILMD has one band per track; a band without a track is scanned
// whatever track the caller asked for.
struct PidBand {
  edi_energy::message_type::MessageType message_type;
  std::uint32_t first;
  std::uint32_t last;
  std::optional<edi_energy::release::ReleaseTrack> track;
};

namespace band_detail {
using edi_energy::message_type::MessageType;
using edi_energy::release::ReleaseTrack;
}  // namespace band_detail

// Scanned in table order; CONTRL carries no Prüfidentifikator and has no band.
inline constexpr std::array<PidBand, 17> pid_bands{{
    {band_detail::MessageType::Utilmd, 44000, 44999, band_detail::ReleaseTrack::Gas},
    {band_detail::MessageType::Utilmd, 55000, 55999, band_detail::ReleaseTrack::Strom},
    {band_detail::MessageType::Mscons, 13000, 13999, std::nullopt},
    {band_detail::MessageType::Aperak, 29000, 29999, std::nullopt},
    {band_detail::MessageType::Invoic, 31000, 31999, std::nullopt},
    {band_detail::MessageType::Remadv, 33000, 33999, std::nullopt},
    {band_detail::MessageType::Orders, 17000, 17999, std::nullopt},
    {band_detail::MessageType::Iftsta, 21000, 21999, std::nullopt},
    {band_detail::MessageType::Insrpt, 23000, 23999, std::nullopt},
    {band_detail::MessageType::Reqote, 35000, 35999, std::nullopt},
    {band_detail::MessageType::Partin, 37000, 37999, std::nullopt},
    {band_detail::MessageType::Ordchg, 39000, 39999, std::nullopt},
    {band_detail::MessageType::Ordrsp, 19000, 19999, std::nullopt},
    {band_detail::MessageType::Quotes, 15000, 15999, std::nullopt},
    // COMDIS shares the APERAK band.
    {band_detail::MessageType::Comdis, 29000, 29999, std::nullopt},
    {band_detail::MessageType::Pricat, 27000, 27999, std::nullopt},
    {band_detail::MessageType::Utilts, 25000, 25999, std::nullopt},
}};

// The types that have a band, in alphabetical order of their UNH codes.
inline constexpr std::array<edi_energy::message_type::MessageType, 16> pid_carrying_types{{
    band_detail::MessageType::Aperak,
    band_detail::MessageType::Comdis,
    band_detail::MessageType::Iftsta,
    band_detail::MessageType::Insrpt,
    band_detail::MessageType::Invoic,
    band_detail::MessageType::Mscons,
    band_detail::MessageType::Ordchg,
    band_detail::MessageType::Orders,
    band_detail::MessageType::Ordrsp,
    band_detail::MessageType::Partin,
    band_detail::MessageType::Pricat,
    band_detail::MessageType::Quotes,
    band_detail::MessageType::Remadv,
    band_detail::MessageType::Reqote,
    band_detail::MessageType::Utilmd,
    band_detail::MessageType::Utilts,
}};

// A request PID and the PIDs of its answers. Kept apart from the answer-obligation table, which
// knows more triggers; neither is derived from the other.
struct AnswerPids {
  std::uint32_t anfrage;
  std::uint32_t bestaetigung;
  std::optional<std::uint32_t> ablehnung;
};

inline constexpr std::array<AnswerPids, 11> answer_pid_table{{
    {44001, 44002, 44003},
    {44004, 44005, 44006},
    {44007, 44008, 44009},
    {44010, 44011, 44012},
    {44013, 44014, 44015},
    {44016, 44017, 44018},
    {44020, 44021, std::nullopt},  // confirmable, but cannot be rejected
    {55001, 55002, 55003},
    {55004, 55005, 55006},
    {55016, 55017, 55018},
    {55077, 55078, 55080},  // 55079 is not the rejection
}};

constexpr const AnswerPids* answer_pids_of(std::uint32_t anfrage) {
  for (const AnswerPids& row : answer_pid_table) {
    if (row.anfrage == anfrage) return &row;
  }
  return nullptr;
}

}  // namespace quorvane_native::pids
