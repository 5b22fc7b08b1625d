// The building blocks of reading profile documents with simdjson On-Demand: typed values with
// the documents' fault texts and positions, the nesting budget, and the tolerant mode in which
// a structure node is tried both as a group and as a segment. Only the document readers use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <simdjson.h>

#include "edi_energy/profile/json_fault.hpp"
#include "edi_energy/profile/model.hpp"

namespace edi_energy::profile::json::reading {

namespace ondemand = simdjson::ondemand;

// ok: the value is read. refused: it does not fit the record; the fault is kept unless reading
// is tolerant, in which case the value has still been checked to its end. broken: the text is
// not well-formed or nests too deep; reading ends with the fault.
enum class Step : std::uint8_t { ok, refused, broken };

// The keys of one record in declaration order, which of them are required (one bit per key),
// and the record's name for type faults ("struct Row").
struct RecordShape {
  std::span<const std::string_view> keys;
  std::uint32_t required = 0;
  std::string_view expected;
};

inline constexpr std::size_t unknown_key = static_cast<std::size_t>(-1);
std::size_t key_index(std::span<const std::string_view> keys, std::string_view key);
inline constexpr std::uint32_t key_bit(std::size_t index) { return std::uint32_t{1} << index; }

class Reader {
 public:
  // `document` is the text being parsed (its own padded buffer); `parsed` is the On-Demand view.
  Reader(std::string_view document, ondemand::document& parsed) : document_(document), parsed_(&parsed) {}

  JsonFault take_fault();

  // Inside a structure node a refusal only tells that the attempt failed; the text and its
  // position are not needed, but the node must still be well-formed to its end.
  class TolerantScope {
   public:
    explicit TolerantScope(Reader& reader) : reader_(reader), previous_(reader.tolerant_) { reader.tolerant_ = true; }
    ~TolerantScope() { reader_.tolerant_ = previous_; }
    TolerantScope(const TolerantScope&) = delete;
    TolerantScope& operator=(const TolerantScope&) = delete;

   private:
    Reader& reader_;
    bool previous_;
  };

  // `depth` is the nesting level of the array or object that holds `value` (0 for the root).
  Step string(ondemand::value& value, std::size_t depth, std::string& out);
  Step optional_string(ondemand::value& value, std::size_t depth, std::optional<std::string>& out);
  Step boolean(ondemand::value& value, std::size_t depth, bool& out);
  Step u32(ondemand::value& value, std::size_t depth, std::uint32_t& out);
  Step u8(ondemand::value& value, std::size_t depth, std::uint8_t& out);
  Step optional_u32(ondemand::value& value, std::size_t depth, std::optional<std::uint32_t>& out);
  Step string_list(ondemand::value& value, std::size_t depth, std::vector<std::string>& out);
  // Keys in byte order; a repeated key keeps the value written last.
  Step text_map(ondemand::value& value, std::size_t depth, model::TextMap& out);
  // Checks a value that no record reads; it must be well-formed all the same.
  Step skip(ondemand::value& value, std::size_t depth);

  Step open_object(ondemand::value& value, std::size_t depth, std::string_view expected, ondemand::object& out);
  Step open_array(ondemand::value& value, std::size_t depth, std::string_view expected, ondemand::array& out);

  // Calls `read_item(item, item_depth, out.emplace_back())` for each entry.
  template <class Item, class ReadItem>
  Step list(ondemand::value& value, std::size_t depth, std::vector<Item>& out, ReadItem&& read_item);

  // Calls `on_field(key, key_start, field_value)` for each field in document order, `key_start`
  // pointing just inside the key's opening quote.
  template <class OnField>
  Step fields(ondemand::object& object, OnField&& on_field);

  // Reads one record: unknown keys are skipped, a known key given twice is refused, required
  // keys are checked once the record is complete. `on_field(index, field_value)` reads a field.
  template <class OnField>
  Step record(ondemand::value& value, std::size_t depth, const RecordShape& shape, OnField&& on_field);

  Step refuse(std::string message, std::size_t consumed);
  Step refuse_duplicate(std::string_view key, const char* key_start, ondemand::value& value, std::size_t depth);
  // The fault of a value of the wrong JSON type.
  Step refuse_type(ondemand::value& value, std::size_t depth, std::string_view expected);
  // The syntax fault that simdjson or a token check noticed, named and placed by a strict scan.
  Step broken(simdjson::error_code error = simdjson::TAPE_ERROR);
  Step broken_at(std::string message, std::size_t consumed);

  std::size_t offset_of(const char* position) const { return static_cast<std::size_t>(position - document_.data()); }
  std::size_t offset_of(std::string_view token) const { return offset_of(token.data()); }
  // Just after the closing bracket of the array or object read last.
  std::size_t end_of_container() const;
  // The token of a scalar without the whitespace after it.
  static std::string_view trimmed(std::string_view token);

  std::string_view document() const { return document_; }
  bool tolerant() const { return tolerant_; }

 private:
  std::string_view document_;
  ondemand::document* parsed_;
  bool tolerant_ = false;
  std::optional<JsonFault> fault_;

  Step unsigned_number(ondemand::value& value, std::size_t depth, std::uint64_t maximum,
                       std::string_view expected, std::uint64_t& out);
  Step check_atom(ondemand::value& value, std::string_view atom);
  Step enter(std::string_view token, std::size_t level);
};

template <class Item, class ReadItem>
Step Reader::list(ondemand::value& value, std::size_t depth, std::vector<Item>& out, ReadItem&& read_item) {
  ondemand::array array;
  if (const Step opened = open_array(value, depth, "a sequence", array); opened != Step::ok) return opened;
  bool refused = false;
  for (auto entry : array) {
    ondemand::value item;
    if (const auto error = std::move(entry).get(item)) return broken(error);
    const Step step = read_item(item, depth + 1, out.emplace_back());
    if (step == Step::broken) return step;
    if (step == Step::refused) {
      if (!tolerant_) return step;
      refused = true;
    }
  }
  return refused ? Step::refused : Step::ok;
}

template <class OnField>
Step Reader::fields(ondemand::object& object, OnField&& on_field) {
  bool refused = false;
  for (auto entry : object) {
    ondemand::field field;
    if (const auto error = std::move(entry).get(field)) return broken(error);
    const char* key_start = field.key().raw();
    std::string_view key;
    if (const auto error = field.unescaped_key().get(key)) return broken(error);
    const Step step = on_field(key, key_start, field.value());
    if (step == Step::broken) return step;
    if (step == Step::refused) {
      if (!tolerant_) return step;
      refused = true;
    }
  }
  return refused ? Step::refused : Step::ok;
}

template <class OnField>
Step Reader::record(ondemand::value& value, std::size_t depth, const RecordShape& shape, OnField&& on_field) {
  ondemand::object object;
  if (const Step opened = open_object(value, depth, shape.expected, object); opened != Step::ok) return opened;
  std::uint32_t seen = 0;
  const Step read = fields(object, [&](std::string_view key, const char* key_start, ondemand::value& field_value) {
    const std::size_t index = key_index(shape.keys, key);
    if (index == unknown_key) return skip(field_value, depth + 1);
    if ((seen & key_bit(index)) != 0) return refuse_duplicate(key, key_start, field_value, depth + 1);
    seen |= key_bit(index);
    return on_field(index, field_value);
  });
  if (read != Step::ok) return read;
  const std::uint32_t missing = shape.required & ~seen;
  if (missing == 0) return Step::ok;
  for (std::size_t index = 0; index < shape.keys.size(); ++index) {
    if ((missing & key_bit(index)) != 0) {
      return refuse("missing field `" + std::string(shape.keys[index]) + "`", end_of_container());
    }
  }
  return Step::refused;
}

}  // namespace edi_energy::profile::json::reading
