#include "edifact/model/owned_element.hpp"

namespace edifact::model {

OwnedElement::OwnedElement(std::initializer_list<std::string_view> texts) {
  for (std::string_view text : texts) component(text);
}

OwnedElement& OwnedElement::component(std::string_view text, Span span) {
  if (lists_.empty()) lists_.emplace_back();
  lists_.back().push_back({std::string(text), span});
  return *this;
}

OwnedElement& OwnedElement::repetition() {
  // A repetition always follows a first one, even an empty one.
  if (lists_.empty()) lists_.emplace_back();
  lists_.emplace_back();
  return *this;
}

}  // namespace edifact::model
