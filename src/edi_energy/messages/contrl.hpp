// The typed CONTRL view: the interchange response and one response per answered message, with
// its erroneous segments and their erroneous data elements. CONTRL carries no Prüfidentifikator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "edi_energy/message.hpp"
#include "edi_energy/messages/core.hpp"
#include "edi_energy/messages/segments/records.hpp"

namespace edi_energy::messages::contrl {

struct ContrlElementError {
  std::string error_code;
  std::optional<std::string> element_position;
  std::optional<std::string> component_position;
  friend bool operator==(const ContrlElementError&, const ContrlElementError&) = default;
};

struct ContrlSegmentError {
  segments::Ucs ucs;
  std::vector<ContrlElementError> element_errors;  // the UCD run directly after the UCS
  friend bool operator==(const ContrlSegmentError&, const ContrlSegmentError&) = default;
};

struct ContrlMessageResponse {
  segments::Ucm ucm;
  std::vector<ContrlSegmentError> segment_errors;
  friend bool operator==(const ContrlMessageResponse&, const ContrlMessageResponse&) = default;
};

struct ContrlMessage : message::MessageOperations<ContrlMessage> {
  core::MessageCore core;
  std::optional<segments::Uci> uci;  // the first UCI that reads
  std::vector<ContrlMessageResponse> responses;

  static ContrlMessage from_parts(std::vector<edifact::model::Segment> segments, std::string message_reference,
                                  std::string release_text, std::optional<std::uint32_t> pruefidentifikator);

  // Whatever its BGM-like content, a CONTRL never has one.
  Result<std::uint32_t> detect_pruefidentifikator() const {
    return std::unexpected(Error::pruefidentifikator_not_found());
  }
};

}  // namespace edi_energy::messages::contrl
