#include "edifact/parse/tokenizer.hpp"

#include <fmt/format.h>

#include "support/internal_fault.hpp"
#include "support/utf8.hpp"

namespace edifact::tokenizer {

ByteClasses::ByteClasses(const ServiceStringAdvice& advice) {
  for (std::size_t byte = 0x80; byte < table_.size(); ++byte) table_[byte] = ByteClass::NonAscii;
  const auto set = [&](char byte, ByteClass kind) { table_[static_cast<unsigned char>(byte)] = kind; };
  // Later assignments win where characters coincide.
  set(advice.release_character, ByteClass::Release);
  if (advice.has_repetition_separator()) {
    set(advice.repetition_separator, ByteClass::RepetitionSeparator);
  }
  set(advice.component_separator, ByteClass::ComponentSeparator);
  set(advice.element_separator, ByteClass::ElementSeparator);
  set(advice.segment_terminator, ByteClass::SegmentTerminator);
}

EdifactError invalid_tag_error(std::string_view tag) {
  if (is_valid_utf8(tag)) return EdifactError::invalid_segment_tag(std::string(tag));
  // Not text: shown as its byte values, [200, 201].
  std::string bytes = "[";
  for (std::size_t i = 0; i < tag.size(); ++i) {
    if (i > 0) bytes += ", ";
    bytes += fmt::format("{}", static_cast<unsigned char>(tag[i]));
  }
  bytes += "]";
  return EdifactError::invalid_segment_tag(std::move(bytes));
}

bool is_valid_utf8(std::string_view text) { return support::utf8::is_valid(text); }

Tokenizer::Step Tokenizer::fail(EdifactError error) {
  error_ = std::move(error);
  return Step::Failed;
}

EdifactError Tokenizer::take_error() {
  if (!error_) throw support::InternalFault("the tokenizer was asked for an error it did not report");
  EdifactError error = std::move(*error_);
  error_.reset();
  return error;
}

}  // namespace edifact::tokenizer
