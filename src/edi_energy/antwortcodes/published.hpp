// The answer codes each Entscheidungsbaum publishes, with their clusters: what completion picks
// a sample answer from and what validation holds an answer code against. Generated from the same
// rows as the extension's answer-code catalogue, which this layer may not call.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "zelk/pruefung/codes.hpp"

namespace edi_energy::antwortcodes {

struct PublishedCode {
  std::string_view code;
  zelk_pruefung::codes::AnswerCluster cluster;
};

// The codes of `tree` ("E_0622") in catalogue order; none for a tree the catalogue does not carry.
std::optional<std::span<const PublishedCode>> published_codes(std::string_view tree);

}  // namespace edi_energy::antwortcodes
