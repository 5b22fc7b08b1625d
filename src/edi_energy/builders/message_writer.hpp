// The writer every message builder uses: default service characters, no UNA, no repertoire (text
// stays UTF-8), every value escaped. It opens the message with UNH, closes it with UNT, and
// returns writer failures as parse errors carrying the syntax error.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/builders/written.hpp"
#include "edi_energy/error.hpp"
#include "edifact/write/writer.hpp"

namespace edi_energy::builders {

// The components of one composite data element, borrowed for one write.
using Components = std::vector<std::string_view>;

class MessageWriter {
 public:
  // Writes "UNH+" reference "+" type ":D:" directory ":UN:" release.
  static Result<MessageWriter> open(std::string_view message_reference, std::string_view message_type,
                                    std::string_view directory, std::string_view release);

  // The field the next segment comes from, or (with `element`) one of its data elements, or (with
  // `component`) one component of a composite.
  void by(std::string field);
  void by(std::size_t element, std::string field);
  void by(std::size_t element, std::size_t component, std::string field);

  // One segment of simple data elements.
  Result<void> simple(std::string_view tag, std::initializer_list<std::string_view> elements);
  Result<void> simple(std::string_view tag, std::span<const std::string_view> elements);
  // One segment of composite data elements; an empty list writes an empty element.
  Result<void> composites(std::string_view tag,
                          std::initializer_list<std::initializer_list<std::string_view>> elements);
  Result<void> composites(std::string_view tag, std::span<const Components> elements);

  // Writes UNT with the segment count from UNH and the reference; returns the message bytes and
  // the sources of its segments.
  Result<Written> finish(std::string_view message_reference) &&;

 private:
  explicit MessageWriter(edifact::writer::Writer<edifact::writer::OwnedSink> writer) : writer_(std::move(writer)) {}

  // Gives the pending fields to the segment just written, if it was.
  Result<void> sourced(Result<void> written);

  edifact::writer::Writer<edifact::writer::OwnedSink> writer_;
  std::size_t segments_ = 0;
  std::vector<Source> pending_;
  std::vector<Source> sources_;
};

}  // namespace edi_energy::builders
