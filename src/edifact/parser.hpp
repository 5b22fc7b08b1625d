// Assembles tokens into segments with spans. Text is borrowed from the input; only values that
// hold release characters are copied, once per element, into the element's storage. A segment
// is gathered in scratch lists that keep their capacity from segment to segment, so that the
// only allocations are the segment's own lists, each of exactly its size.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/error.hpp"
#include "edifact/model.hpp"
#include "edifact/service_string_advice.hpp"
#include "edifact/tokenizer.hpp"

namespace edifact::parser {

// Appends `raw` to `out` with each release character dropped and the byte after it kept
// literally. A release character with nothing after it fails at its offset, counted from
// `value_start`, the offset of the raw value in the input.
Result<void> resolve_release(std::string_view raw, char release_character,
                             std::size_t value_start, std::string& out);

class Parser {
 public:
  Parser(std::string_view input, std::size_t start, const tokenizer::ServiceStringAdvice& advice,
         std::size_t max_segment_length)
      : tokenizer_(input, start, advice, max_segment_length) {}

  // The next segment (borrowing from the input), an error, or nothing at the end.
  std::optional<Result<model::Segment>> next();

  // Starts over on other input, keeping the advice and the scratch lists' capacity.
  void restart(std::string_view input, std::size_t start) { tokenizer_.restart(input, start); }
  const tokenizer::ServiceStringAdvice& advice() const { return tokenizer_.advice(); }

 private:
  // An element under construction: where its parts lie in the scratch lists.
  struct PendingElement {
    std::size_t start;            // offset of its first value in the input
    std::size_t first_component;  // in `components_`
    std::size_t first_break;      // in `repetition_breaks_`
    std::size_t first_owned;      // in `owned_components_`
  };
  // A component whose text lies in `owned_text_` until its element gets its storage.
  struct OwnedText {
    std::size_t component;  // in `components_`
    std::size_t offset;
    std::size_t length;
  };

  Result<void> add_component(const tokenizer::Token& token);
  void clear_scratch();
  std::vector<model::Element> build_elements();
  void build_element(model::Element& element, std::size_t index);

  tokenizer::Tokenizer tokenizer_;
  std::vector<PendingElement> pending_;
  model::ComponentList components_;
  std::vector<std::size_t> repetition_breaks_;  // components that begin a further repetition
  std::string owned_text_;
  std::vector<OwnedText> owned_components_;
};

}  // namespace edifact::parser
