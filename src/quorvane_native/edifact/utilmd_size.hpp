// Completion adds its share to every Vorgang of a bulk UTILMD message, so the builder's own
// segments may fit the reader and the completed message not. Such a message is refused before it
// is completed: completing it first would spend seconds, and could end in a refusal of its
// column instead of its size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/release.hpp"
#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

// `built` is the builder's message before completion, `given` the Lokation IDs the caller gave
// each of its Vorgänge. Vorgänge identical but for their Vorgangsnummer and the IDs of their
// Lokationen (not those IDs' lengths) complete alike, so the most frequent few kinds are completed
// alone, once each, and every Vorgang of their kind counted with what completion added to it; any
// other Vorgang counts with its own segments only. Where that count does not fit, each kind counts
// as the build makes its Vorgang alone: without the sample Lokationen its column does without. So
// the estimate does not exceed what the build writes, and nothing that fits is refused here.
// ValueError worded as `fits_reader` words it.
py::Status utilmd_would_fit(std::string_view built, const std::vector<std::vector<std::string>>& given,
                            const edi_energy::release::Release& release, std::uint32_t pruefidentifikator,
                            py::Args args);

}  // namespace quorvane_native::edifact
