// The Codeliste an answer names beside its Antwortcode (STS+E01 DE 1131): the list the code goes
// out under, which for the WiM and GeLi Gas trees is not the tree's own name. A tree's name given
// there would only be refused by the column, listing every Codeliste of the MIG.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

// An Entscheidungsbaum's name that is no Codeliste of any code is refused naming `argument` and
// the Codeliste to give: that of `code` in the tree, else every one the tree's codes name.
py::Status require_codeliste(std::string_view argument, const std::optional<std::string>& codeliste,
                             const std::optional<std::string>& code);

}  // namespace quorvane_native::edifact
