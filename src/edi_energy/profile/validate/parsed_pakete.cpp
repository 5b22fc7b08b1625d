#include "edi_energy/profile/validate/parsed_pakete.hpp"

#include <algorithm>
#include <string_view>
#include <utility>

namespace edi_energy::profile::validate {

ParsedPakete parse_pakete(const model::TextMap& packages) {
  constexpr std::string_view blanks = " \t\n\r\f\v";
  ParsedPakete parsed;
  for (const auto& [name, text] : packages) {
    std::string_view expression(text);
    expression.remove_prefix(std::min(expression.find_first_not_of(blanks), expression.size()));
    expression = expression.substr(0, expression.find_last_not_of(blanks) + 1);
    PaketExpr entry;
    if (!expression.empty()) entry = conditions::Expr::parse(expression);
    parsed.emplace_hint(parsed.end(), name, std::move(entry));
  }
  return parsed;
}

}  // namespace edi_energy::profile::validate
