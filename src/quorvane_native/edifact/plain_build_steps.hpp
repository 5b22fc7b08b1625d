// Steps the IFTSTA, REMADV, ORDERS, ORDRSP and QUOTES builds share between argument conversion
// and their bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "edi_energy/builders/written.hpp"
#include "edi_energy/error.hpp"
#include "edi_energy/message_type.hpp"
#include "edi_energy/release.hpp"
#include "quorvane_native/py/args.hpp"
#include "quorvane_native/edifact/given_text.hpp"
#include "quorvane_native/edifact/segment_writers.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

// A 2-tuple of str; a TypeError names the argument, a tuple of another length is a ValueError.
py::Expected<std::pair<std::string, std::string>> to_pair(py::Arg arg);

inline std::optional<std::string_view> view_of(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  return std::string_view(*text);
}

// The builder's text completed to the column, as bytes, its segments' sources named as `args`
// (renamed by `renames`) name them; a writer failure is "{TYPE} serialize failed: {}".
py::Result complete_written(edi_energy::Result<edi_energy::builders::Written> written, py::Args args,
                            std::span<const Rename> renames, edi_energy::message_type::MessageType type,
                            const edi_energy::release::Release& release, std::uint32_t pruefidentifikator);

}  // namespace quorvane_native::edifact
