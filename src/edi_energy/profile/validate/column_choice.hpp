// Which AHB column (Anwendungsfall) a message is checked against: by its Prüfidentifikator,
// else by the code of its BGM.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "edi_energy/profile/profile.hpp"
#include "edifact/model/segment.hpp"

namespace edi_energy::profile::validate {

struct ColumnChoice {
  enum class Outcome : std::uint8_t {
    Chosen,
    Unknown,  // the Prüfidentifikator names no column
    Open,     // no column yet
  };
  Outcome outcome = Outcome::Open;
  const model::Anwendungsfall* anwendungsfall = nullptr;  // Chosen
};

ColumnChoice choose_column(const Profile& profile, std::span<const edifact::model::Segment> segments,
                           std::optional<std::uint32_t> pruefidentifikator);

}  // namespace edi_energy::profile::validate
