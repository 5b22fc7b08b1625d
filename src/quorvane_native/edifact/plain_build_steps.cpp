#include "quorvane_native/edifact/plain_build_steps.hpp"

#include <fmt/format.h>

#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"

namespace quorvane_native::edifact {

py::Expected<std::pair<std::string, std::string>> to_pair(py::Arg arg) {
  auto pair = py::from::str_pair(arg.object);
  if (!pair) return py::Failure(std::move(pair).error().for_argument(arg.name()));
  return pair;
}

py::Result complete_written(edi_energy::Result<edi_energy::builders::Written> written, py::Args args,
                            std::span<const Rename> renames, edi_energy::message_type::MessageType type,
                            const edi_energy::release::Release& release, std::uint32_t pruefidentifikator) {
  if (!written) {
    return py::runtime_error(
        fmt::format("{} serialize failed: {}", edi_energy::message_type::unh_code(type), written.error().message()));
  }
  auto completed = complete_to_column(std::move(written->bytes), type, release, pruefidentifikator,
                                      writers_of(written->sources, args, renames));
  if (!completed) return py::propagate(completed);
  return py::bytes(*completed);
}

}  // namespace quorvane_native::edifact
