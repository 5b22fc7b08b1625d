// The checks behind the Formatbedingungen, each on one value text. Bounds are texts read as
// `Dec`; every count of characters counts code points; no check slices a value before it has
// tested the length and the digits in front of the slice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "edi_energy/profile/formatbedingung/verdict.hpp"

namespace edi_energy::profile::formatbedingung {

// Numbers.
Verdict is_number(std::string_view value);
Verdict at_least(std::string_view value, std::string_view bound);
Verdict at_most(std::string_view value, std::string_view bound);
Verdict exactly(std::string_view value, std::string_view bound);
Verdict greater_than(std::string_view value);  // > 0
Verdict less_than(std::string_view value);     // < 100
Verdict not_exactly(std::string_view value);   // ≠ 1
Verdict between(std::string_view value);       // a whole number from 1 to 99999
Verdict max_integer_digits(std::string_view value, std::size_t n);
Verdict max_fraction_digits(std::string_view value, std::size_t n);

// Texts.
Verdict max_length(std::string_view value);    // at most 3 characters
Verdict exact_length(std::string_view value);  // exactly 16 characters
Verdict digit_groups(std::string_view value, std::span<const std::size_t> widths);
Verdict unoc_upper(std::string_view value);
Verdict email_shape(std::string_view value);
Verdict phone_shape(std::string_view value);

// Format-303 time stamps (CCYYMMDDHHMM and a zone, "+00" for UTC) and clock times.
Verdict zzz_utc(std::string_view value);
Verdict dtm_303_field(std::string_view value, std::size_t offset, std::string_view expected, std::string_view label);
Verdict hhmm(std::string_view value, std::string_view bound, bool lower);
Verdict day_boundary(std::string_view value, std::string_view mesz_hhmm, std::string_view mez_hhmm,
                     std::string_view day_label);
// Summer time in Germany for an instant given in UTC; the date must exist.
bool is_mesz(int year, unsigned month, unsigned day, unsigned hour, unsigned minute);

// Identifier shapes.
enum class IdShape : std::uint8_t { Marktlokation, Zaehlpunkt, TrId, Netzlokation, SrId };
Verdict id_shape(std::string_view value, IdShape shape);

}  // namespace edi_energy::profile::formatbedingung
