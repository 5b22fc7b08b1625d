// Answer codes resolved against the tree that publishes them, as the Python functions hand them
// out: lookups of trees and codes in the compiled catalogue and the code list each code carries.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quorvane_native/antwortcodes/catalogue.hpp"

namespace quorvane_native::antwortcodes {

// One published Antwortcode; every text points into the compiled catalogue.
struct AntwortCode {
  std::string_view code;
  std::string_view tree;
  std::optional<std::string_view> wire_codeliste;
  AnswerCodeCluster cluster;
  std::string_view bedeutung;
  bool braucht_bemerkung;
};

// True for ZUSTIMMUNG, false for the refusals, none off the agreement axis.
std::optional<bool> ist_zustimmung(AnswerCodeCluster cluster);

// "AntwortCode(E_0622 A07 [ABLEHNUNG] — …)"
std::string repr(const AntwortCode& code);

struct UnknownTreeError {
  enum class Kind { UnknownTree };
  Kind kind = Kind::UnknownTree;
  std::string tree;
};
std::string message(const UnknownTreeError& error);

const AnswerCodeTree* find_tree(std::string_view name);

AntwortCode convert(std::string_view tree, const AnswerCodeRow& row);

// The names of all trees, ascending by bytes, without duplicates.
std::vector<std::string_view> entscheidungsbaeume();

// The first row of `tree` with `code`; none for an unknown tree or code.
std::optional<AntwortCode> antwort_code(std::string_view tree, std::string_view code);

// Every row of `tree` in catalogue order.
std::expected<std::vector<AntwortCode>, UnknownTreeError> antwort_codes(std::string_view tree);

// The codes of the tree that an answer obligation names (its `ebd`); empty when it names none or
// one the catalogue does not carry.
std::vector<AntwortCode> antwort_codes_of_obligation_tree(std::optional<std::string_view> ebd);

// The codes of the one tree that the answer obligation of the inbound Prüfidentifikator names;
// empty without an obligation, without a tree, or for a tree the catalogue does not carry.
std::vector<AntwortCode> antwort_codes_for_pid(std::uint32_t trigger_pid);

}  // namespace quorvane_native::antwortcodes
