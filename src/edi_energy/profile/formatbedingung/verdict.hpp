// The outcome of one Formatbedingung for one value.
#pragma once

#include <cstdint>
#include <string>

namespace edi_energy::profile::formatbedingung {

struct Verdict {
  enum class Kind : std::uint8_t {
    Holds,
    Violated,  // `text` says what is wrong, starting with a verb; the caller names the element
    Unknown,   // not a Formatbedingung of the table
  };

  Kind kind = Kind::Holds;
  std::string text;

  static Verdict holds() { return {Kind::Holds, {}}; }
  static Verdict violated(std::string text) { return {Kind::Violated, std::move(text)}; }
  static Verdict unknown() { return {Kind::Unknown, {}}; }

  friend bool operator==(const Verdict&, const Verdict&) = default;
};

}  // namespace edi_energy::profile::formatbedingung
