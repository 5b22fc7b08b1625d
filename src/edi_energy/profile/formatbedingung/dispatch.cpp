// The table of known Formatbedingungen: the check of each and its example value.
#include <algorithm>
#include <array>

#include "edi_energy/profile/formatbedingung/checks.hpp"
#include "edi_energy/profile/formatbedingung/formatbedingung.hpp"

namespace edi_energy::profile::formatbedingung {
namespace {

struct Entry {
  std::string_view id;
  Verdict (*check)(std::string_view value);
  std::string_view example;
};

template <std::size_t... widths>
Verdict groups(std::string_view value) {
  static constexpr std::array<std::size_t, sizeof...(widths)> pattern{widths...};
  return digit_groups(value, pattern);
}

Verdict ub1(std::string_view value) { return day_boundary(value, "2200", "2300", "des Tages"); }
Verdict ub2(std::string_view value) { return day_boundary(value, "0400", "0500", "des Gas-Tages 06:00 Uhr"); }

// The electricity day first; a failure names the gas-day values.
Verdict ub3(std::string_view value) {
  if (Verdict strom = ub1(value); strom.kind == Verdict::Kind::Holds) return strom;
  return day_boundary(value, "0400", "0500", "des Tages (Strom) oder des Gas-Tages");
}

Verdict malo_or_zaehlpunkt(std::string_view value) {
  if (id_shape(value, IdShape::Marktlokation).kind == Verdict::Kind::Holds) return Verdict::holds();
  if (id_shape(value, IdShape::Zaehlpunkt).kind == Verdict::Kind::Holds) return Verdict::holds();
  return Verdict::violated("is neither a Marktlokations-ID nor a Z\u00E4hlpunktbezeichnung");
}

// Sorted by id for the binary search.
constexpr std::array<Entry, 53> table{{
    {"902", [](std::string_view v) { return at_least(v, "0"); }, "0"},
    {"903", [](std::string_view v) { return exactly(v, "1"); }, "1"},
    {"904", exact_length, "1234567890123456"},
    {"905", max_length, "1"},
    {"906", [](std::string_view v) { return max_fraction_digits(v, 3); }, "1"},
    {"907", [](std::string_view v) { return max_fraction_digits(v, 4); }, "1"},
    {"908", [](std::string_view v) { return at_least(v, "1"); }, "1"},
    {"909", [](std::string_view v) { return at_least(v, "0"); }, "0"},
    {"910", is_number, "0"},
    {"912", [](std::string_view v) { return max_fraction_digits(v, 6); }, "1"},
    {"913", between, "1"},
    {"914", greater_than, "1"},
    {"915", not_exactly, "2"},
    {"917", [](std::string_view v) { return max_integer_digits(v, 4); }, "1"},
    {"918", unoc_upper, "A"},
    {"922", [](std::string_view v) { return id_shape(v, IdShape::TrId); }, "D0000000010"},
    {"925", [](std::string_view v) { return max_fraction_digits(v, 5); }, "1"},
    {"926", [](std::string_view v) { return exactly(v, "0"); }, "0"},
    {"927", [](std::string_view v) { return exactly(v, "-1"); }, "-1"},
    {"929", [](std::string_view v) { return exactly(v, "1000"); }, "1000"},
    {"930", [](std::string_view v) { return max_fraction_digits(v, 2); }, "1"},
    {"931", zzz_utc, "202610010000+00"},
    {"932", [](std::string_view v) { return dtm_303_field(v, 8, "2200", "HHMM"); }, "202609302200+00"},
    {"933", [](std::string_view v) { return dtm_303_field(v, 8, "2300", "HHMM"); }, "202612312300+00"},
    {"934", [](std::string_view v) { return dtm_303_field(v, 8, "0400", "HHMM"); }, "202609300400+00"},
    {"935", [](std::string_view v) { return dtm_303_field(v, 8, "0500", "HHMM"); }, "202612310500+00"},
    {"937", [](std::string_view v) { return max_fraction_digits(v, 0); }, "1"},
    {"938", [](std::string_view v) { return at_most(v, "10"); }, "1"},
    {"939", email_shape, "info@example.de"},
    {"940", phone_shape, "+4930123456789"},
    {"942", groups<1, 2, 1, 3>, "1-01-1-001"},
    {"943", groups<1, 2, 1>, "1-01-1"},
    {"946", [](std::string_view v) { return max_fraction_digits(v, 11); }, "1"},
    {"947", [](std::string_view v) { return dtm_303_field(v, 4, "12312300", "MMDDHHMM"); }, "202612312300+00"},
    {"948", groups<1, 2, 1, 8, 2>, "1-01-1-00000001-01"},
    {"949", groups<1, 2, 1, 8, 2, 1>, "1-01-1-00000001-01-1"},
    {"950", [](std::string_view v) { return id_shape(v, IdShape::Marktlokation); }, "41373559241"},
    {"951", [](std::string_view v) { return id_shape(v, IdShape::Zaehlpunkt); }, "DE0000000000000000000000000000042"},
    {"953", malo_or_zaehlpunkt, "41373559241"},
    {"955", less_than, "1"},
    {"957", groups<1, 2, 1, 8>, "1-01-1-00000001"},
    {"959", groups<13, 2>, "9991000000044-01"},
    {"960", [](std::string_view v) { return id_shape(v, IdShape::Netzlokation); }, "E0000000019"},
    {"961", [](std::string_view v) { return id_shape(v, IdShape::SrId); }, "C0000000011"},
    {"962", [](std::string_view v) { return max_integer_digits(v, 6); }, "1"},
    {"963", [](std::string_view v) { return at_most(v, "100"); }, "1"},
    {"964", [](std::string_view v) { return hhmm(v, "0000", true); }, "0000"},
    {"965", [](std::string_view v) { return hhmm(v, "2359", false); }, "0000"},
    {"968", [](std::string_view v) { return at_most(v, "0"); }, "0"},
    {"969", [](std::string_view v) { return at_most(v, "1"); }, "1"},
    {"UB1", ub1, "202609302200+00"},
    {"UB2", ub2, "202609300400+00"},
    {"UB3", ub3, "202609302200+00"},
}};

static_assert(std::is_sorted(table.begin(), table.end(), [](const Entry& a, const Entry& b) { return a.id < b.id; }));

const Entry* find(std::string_view id) {
  if (id.size() != 3) return nullptr;
  const auto found = std::lower_bound(table.begin(), table.end(), id,
                                      [](const Entry& entry, std::string_view key) { return entry.id < key; });
  return found != table.end() && found->id == id ? &*found : nullptr;
}

}  // namespace

Verdict evaluate(std::string_view id, std::string_view value) {
  const Entry* entry = find(id);
  return entry ? entry->check(value) : Verdict::unknown();
}

std::optional<std::string_view> example(std::string_view id) {
  const Entry* entry = find(id);
  if (!entry) return std::nullopt;
  return entry->example;
}

}  // namespace edi_energy::profile::formatbedingung
