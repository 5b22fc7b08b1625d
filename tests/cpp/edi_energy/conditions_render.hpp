// Compact renderings of condition trees, segment patterns and Voraussetzungen, so that test
// tables can state whole expected values in one line.
#pragma once

#include <string>

#include "edi_energy/profile/conditions/expr.hpp"
#include "edi_energy/profile/conditions/voraussetzung.hpp"

namespace conditions_test {

namespace conditions = edi_energy::profile::conditions;

// Ref as its text; nodes as And(…), Or(…), Xor(…), Juxt(…).
inline std::string render(const conditions::Expr& expr) {
  using Kind = conditions::Expr::Kind;
  if (expr.kind == Kind::Ref) return expr.text;
  std::string out = expr.kind == Kind::Juxt ? "Juxt(" : expr.kind == Kind::And ? "And(" : expr.kind == Kind::Or ? "Or(" : "Xor(";
  for (std::size_t i = 0; i < expr.children.size(); ++i) out += (i ? ", " : "") + render(expr.children[i]);
  return out + ")";
}

// "NAD[MS][9900,*,293]": one bracket per element, components by ",", alternatives by "/",
// "*" for a wildcard.
inline std::string render(const conditions::SegmentPattern& pattern) {
  std::string out = pattern.tag;
  for (const auto& element : pattern.elements) {
    out += '[';
    for (std::size_t j = 0; j < element.size(); ++j) {
      if (j) out += ',';
      if (!element[j]) {
        out += '*';
        continue;
      }
      for (std::size_t k = 0; k < element[j]->size(); ++k) out += (k ? "/" : "") + (*element[j])[k];
    }
    out += ']';
  }
  return out;
}

inline std::string render_group(const std::optional<std::string>& group) { return group ? " in " + *group : ""; }

inline std::string render(const conditions::Voraussetzung& reading) {
  using V = conditions::Voraussetzung;
  if (const auto* present = std::get_if<V::Present>(&reading.shape)) {
    std::string out = present->negated ? "absent " : "present ";
    for (std::size_t i = 0; i < present->chain.size(); ++i) {
      out += (i ? (present->any ? " | " : " then ") : "") + render(present->chain[i]);
    }
    return out + render_group(present->group);
  }
  if (const auto* value = std::get_if<V::DeValue>(&reading.shape)) {
    std::string out = value->tag + " DE" + value->de + (value->negated ? " not in " : " in ");
    for (std::size_t i = 0; i < value->values.size(); ++i) out += (i ? "/" : "") + value->values[i];
    return out + (value->suffix ? " as suffix" : "") + render_group(value->group);
  }
  if (const auto* shape = std::get_if<V::DeShape>(&reading.shape)) {
    std::string check = shape->check.kind == conditions::ShapeCheck::Kind::Filled   ? "filled"
                        : shape->check.kind == conditions::ShapeCheck::Kind::Length ? "length " + std::to_string(shape->check.length)
                                                                                    : "format " + shape->check.formatbedingung;
    return render(shape->pattern) + " DE" + shape->de + (shape->negated ? " not " : " ") + check +
           render_group(shape->group);
  }
  const auto& count = std::get<V::Count>(reading.shape);
  if (count.at_most && *count.at_most == count.more_than + 1) {
    return render(count.pattern) + " exactly " + std::to_string(*count.at_most) + render_group(count.group);
  }
  return render(count.pattern) + " more than " + std::to_string(count.more_than) + render_group(count.group);
}

}  // namespace conditions_test
