#include "quorvane_native/edifact/segment_writers.hpp"

#include <fmt/args.h>
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <charconv>

namespace quorvane_native::edifact {

namespace {

// The field without its indices, and the indices in order.
std::pair<std::string, std::vector<std::size_t>> split(std::string_view field) {
  std::string shape;
  std::vector<std::size_t> indices;
  for (std::size_t at = 0; at < field.size(); ++at) {
    shape.push_back(field[at]);
    if (field[at] != '[') continue;
    const std::size_t close = field.find(']', at);
    if (close == std::string_view::npos) break;
    std::size_t index = 0;
    std::from_chars(field.data() + at + 1, field.data() + close, index);
    indices.push_back(index);
    at = close - 1;
  }
  return {std::move(shape), std::move(indices)};
}

std::string renamed(const std::string& field, std::span<const Rename> renames) {
  auto [shape, indices] = split(field);
  const auto rename = std::ranges::find(renames, std::string_view(shape), &Rename::field);
  if (rename == renames.end()) return field;
  fmt::dynamic_format_arg_store<fmt::format_context> store;
  for (const std::size_t index : indices) store.push_back(index);
  return fmt::vformat(rename->argument, store);
}

bool given(py::Args args, std::string_view argument) {
  const std::string_view name = argument.substr(0, argument.find_first_of(".["));
  if (chooses_column(name)) return false;
  for (std::size_t index = 0; index < args.size(); ++index) {
    const py::Arg arg = args[index];
    if (arg.name() == name) return !arg.omitted() && arg.object != Py_None;
  }
  return false;
}

}  // namespace

bool chooses_column(std::string_view argument) {
  // These choose the column rather than write into it.
  constexpr std::array<std::string_view, 5> choosers{"on", "release", "sparte", "pruefidentifikator",
                                                     "message_index"};
  return std::ranges::find(choosers, argument) != choosers.end();
}

SegmentWriters writers_of(std::span<const edi_energy::builders::Source> sources, py::Args args,
                          std::span<const Rename> renames) {
  SegmentWriters writers;
  for (const auto& source : sources) {
    std::string argument = renamed(source.field, renames);
    if (given(args, argument)) {
      writers.push_back(SegmentWriter{source.segment, source.element, source.component, std::move(argument)});
    }
  }
  return writers;
}

std::optional<std::string> writer_of(std::span<const SegmentWriter> writers, std::size_t segment,
                                     std::optional<std::size_t> element, std::optional<std::size_t> component) {
  const SegmentWriter* whole = nullptr;
  const SegmentWriter* of_element = nullptr;
  for (const auto& writer : writers) {
    if (writer.segment != segment) continue;
    if (element && writer.element == element) {
      if (writer.component && writer.component == component) return writer.argument;
      if (!writer.component && of_element == nullptr) of_element = &writer;
    }
    if (!writer.element && whole == nullptr) whole = &writer;
  }
  if (of_element != nullptr) return of_element->argument;
  if (whole == nullptr) return std::nullopt;
  return whole->argument;
}

}  // namespace quorvane_native::edifact
