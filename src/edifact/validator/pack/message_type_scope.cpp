#include "edifact/validator/pack/message_type_scope.hpp"

#include "support/internal_fault.hpp"

namespace edifact::validator::pack {

void MessageTypeScope::add(std::string_view message_type) {
  if (contains(message_type)) return;
  if (inline_count_ < inline_capacity) {
    inline_entries_[inline_count_] = std::string(message_type);
    ++inline_count_;
  } else {
    overflow_.emplace_back(message_type);
  }
}

bool MessageTypeScope::contains(std::string_view message_type) const {
  for (std::size_t index = 0; index < size(); ++index) {
    if ((*this)[index] == message_type) return true;
  }
  return false;
}

std::string_view MessageTypeScope::operator[](std::size_t index) const {
  if (index < inline_count_) return inline_entries_[index];
  if (index - inline_count_ < overflow_.size()) return overflow_[index - inline_count_];
  throw support::InternalFault("message-type scope index out of range");
}

}  // namespace edifact::validator::pack
