// The message types a rule pack applies to. Packs are scoped to one type, rarely two, so the
// first two entries live inline.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace edifact::validator::pack {

class MessageTypeScope {
 public:
  // Adds the type unless an equal entry (same bytes) is already there.
  void add(std::string_view message_type);

  bool contains(std::string_view message_type) const;
  bool empty() const { return inline_count_ == 0; }
  std::size_t size() const { return inline_count_ + overflow_.size(); }
  // Entries in the order added; `index` < size().
  std::string_view operator[](std::size_t index) const;

  friend bool operator==(const MessageTypeScope&, const MessageTypeScope&) = default;

 private:
  static constexpr std::size_t inline_capacity = 2;

  std::array<std::string, inline_capacity> inline_entries_;
  std::size_t inline_count_ = 0;
  std::vector<std::string> overflow_;
};

}  // namespace edifact::validator::pack
