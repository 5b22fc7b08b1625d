// One AHB status cell: a status word and an optional condition ("Muss", "X [931] [494]").
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "edi_energy/profile/conditions/expr.hpp"

namespace edi_energy::profile::conditions {

enum class StatusLevel : std::uint8_t { Muss, Soll, Kann, X, M, S, K };

struct Status {
  StatusLevel level = StatusLevel::Muss;
  std::optional<Expr> condition;

  // Nothing for an unknown status word or a condition that does not parse.
  static std::optional<Status> parse(std::string_view cell);

  friend bool operator==(const Status&, const Status&) = default;
};

}  // namespace edi_energy::profile::conditions
