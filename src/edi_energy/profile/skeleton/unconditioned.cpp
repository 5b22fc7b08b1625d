#include "edi_energy/profile/skeleton/unconditioned.hpp"

#include <algorithm>

#include "edi_energy/profile/conditions/condition_kind.hpp"
#include "edi_energy/profile/conditions/paket.hpp"

namespace edi_energy::profile::skeleton {

namespace {

bool blank(std::string_view text) {
  return std::ranges::all_of(text, [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
}

}  // namespace

conditions::Truth unconditioned_truth(const Profile& profile, std::string_view reference) {
  using conditions::Truth;
  switch (conditions::kind_of(reference)) {
    case conditions::ConditionKind::Paket: {
      const auto paket = conditions::Paket::parse(reference);
      if (!paket) return Truth::Undecided;
      const auto entry = profile.ahb().packages.find(paket->name);
      if (entry == profile.ahb().packages.end()) return Truth::Undecided;
      return blank(entry->second) ? Truth::Neutral : Truth::Undecided;
    }
    case conditions::ConditionKind::Voraussetzung: {
      const auto entry = profile.read_conditions().find(reference);
      if (entry == profile.read_conditions().end()) return Truth::Undecided;
      return entry->second.precondition ? Truth::Undecided : Truth::Neutral;
    }
    default: return Truth::Neutral;
  }
}

}  // namespace edi_energy::profile::skeleton
