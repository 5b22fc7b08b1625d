#include "edi_energy/profile/json_reader.hpp"

#include <algorithm>
#include <limits>

#include <fmt/format.h>

#include "edi_energy/profile/json_number.hpp"
#include "edi_energy/profile/json_syntax.hpp"
#include "support/debug_quote.hpp"

namespace edi_energy::profile::json::reading {

using simdjson::SUCCESS;
using ondemand::json_type;

std::size_t key_index(std::span<const std::string_view> keys, std::string_view key) {
  const auto found = std::ranges::find(keys, key);
  return found == keys.end() ? unknown_key : static_cast<std::size_t>(found - keys.begin());
}

JsonFault Reader::take_fault() {
  if (!fault_) return JsonFault{"invalid JSON", std::nullopt};
  JsonFault fault = std::move(*fault_);
  fault_.reset();
  return fault;
}

std::string_view Reader::trimmed(std::string_view token) {
  while (!token.empty() && is_json_whitespace(token.back())) token.remove_suffix(1);
  return token;
}

std::size_t Reader::end_of_container() const {
  const char* next = nullptr;
  std::size_t end = document_.size();
  if (parsed_->current_location().get(next) == SUCCESS) end = std::min(offset_of(next), document_.size());
  while (end > 0 && is_json_whitespace(document_[end - 1])) --end;
  return end;
}

Step Reader::refuse(std::string message, std::size_t consumed) {
  if (!tolerant_) fault_ = JsonFault::at(std::move(message), document_, consumed);
  return Step::refused;
}

Step Reader::broken_at(std::string message, std::size_t consumed) {
  fault_ = JsonFault::at(std::move(message), document_, consumed);
  return Step::broken;
}

Step Reader::broken(simdjson::error_code error) {
  if (auto fault = first_syntax_fault(document_)) {
    fault_ = std::move(*fault);
  } else {
    fault_ = JsonFault{simdjson::error_message(error), std::nullopt};
  }
  return Step::broken;
}

Step Reader::refuse_duplicate(std::string_view key, const char* key_start, ondemand::value& value,
                              std::size_t depth) {
  if (tolerant_) return skip(value, depth) == Step::broken ? Step::broken : Step::refused;
  // The key is a well-formed string, so its closing quote lies ahead.
  std::size_t end = offset_of(key_start);
  while (end < document_.size() && document_[end] != '"') end += document_[end] == '\\' ? 2 : 1;
  return refuse(fmt::format("duplicate field `{}`", key), std::min(end + 1, document_.size()));
}

Step Reader::enter(std::string_view token, std::size_t level) {
  if (level >= nesting_budget) return broken_at("recursion limit exceeded", offset_of(token) + 1);
  return Step::ok;
}

Step Reader::check_atom(ondemand::value& value, std::string_view atom) {
  return trimmed(value.raw_json_token()) == atom ? Step::ok : broken();
}

Step Reader::refuse_type(ondemand::value& value, std::size_t depth, std::string_view expected) {
  json_type type;
  if (const auto error = value.type().get(type)) return broken(error);
  const std::string_view token = trimmed(value.raw_json_token());
  std::string found;
  std::size_t consumed = offset_of(token) + token.size();
  switch (type) {
    case json_type::object:
    case json_type::array:
      // Nothing of a container is read before it is refused.
      if (tolerant_) return skip(value, depth) == Step::broken ? Step::broken : Step::refused;
      found = type == json_type::object ? "map" : "sequence";
      consumed = offset_of(token);
      break;
    case json_type::string: {
      std::string_view text;
      if (const auto error = value.get_string().get(text)) return broken(error);
      found = "string " + support::debug_quote(text);
      break;
    }
    case json_type::number: {
      const NumberReading number = read_number(token);
      if (!number.token) {
        if (number.fault == NumberFault::OutOfRange) return broken_at("number out of range", consumed);
        return broken();
      }
      found = number.token->describe();
      break;
    }
    case json_type::boolean:
      if (token != "true" && token != "false") return broken();
      found = fmt::format("boolean `{}`", token);
      break;
    case json_type::null:
      if (token != "null") return broken();
      found = "null";
      break;
  }
  return refuse(fmt::format("invalid type: {}, expected {}", found, expected), consumed);
}

Step Reader::string(ondemand::value& value, std::size_t depth, std::string& out) {
  json_type type;
  if (const auto error = value.type().get(type)) return broken(error);
  if (type != json_type::string) return refuse_type(value, depth, "a string");
  std::string_view text;
  if (const auto error = value.get_string().get(text)) return broken(error);
  out.assign(text);
  return Step::ok;
}

Step Reader::optional_string(ondemand::value& value, std::size_t depth, std::optional<std::string>& out) {
  json_type type;
  if (const auto error = value.type().get(type)) return broken(error);
  if (type == json_type::null) {
    out.reset();
    return check_atom(value, "null");
  }
  return string(value, depth, out.emplace());
}

Step Reader::boolean(ondemand::value& value, std::size_t depth, bool& out) {
  json_type type;
  if (const auto error = value.type().get(type)) return broken(error);
  if (type != json_type::boolean) return refuse_type(value, depth, "a boolean");
  const std::string_view token = trimmed(value.raw_json_token());
  if (token != "true" && token != "false") return broken();
  out = token == "true";
  return Step::ok;
}

Step Reader::unsigned_number(ondemand::value& value, std::size_t depth, std::uint64_t maximum,
                             std::string_view expected, std::uint64_t& out) {
  json_type type;
  if (const auto error = value.type().get(type)) return broken(error);
  if (type != json_type::number) return refuse_type(value, depth, expected);
  const std::string_view token = trimmed(value.raw_json_token());
  const std::size_t consumed = offset_of(token) + token.size();
  const NumberReading number = read_number(token);
  if (!number.token) {
    if (number.fault == NumberFault::OutOfRange) return broken_at("number out of range", consumed);
    return broken();
  }
  switch (number.token->form) {
    case NumberToken::Form::Unsigned:
      if (number.token->magnitude <= maximum) {
        out = number.token->magnitude;
        return Step::ok;
      }
      [[fallthrough]];
    case NumberToken::Form::Negative:
      return refuse(fmt::format("invalid value: {}, expected {}", number.token->describe(), expected), consumed);
    case NumberToken::Form::Floating:
      break;
  }
  return refuse(fmt::format("invalid type: {}, expected {}", number.token->describe(), expected), consumed);
}

Step Reader::u32(ondemand::value& value, std::size_t depth, std::uint32_t& out) {
  std::uint64_t number = 0;
  const Step step = unsigned_number(value, depth, std::numeric_limits<std::uint32_t>::max(), "u32", number);
  if (step == Step::ok) out = static_cast<std::uint32_t>(number);
  return step;
}

Step Reader::u8(ondemand::value& value, std::size_t depth, std::uint8_t& out) {
  std::uint64_t number = 0;
  const Step step = unsigned_number(value, depth, std::numeric_limits<std::uint8_t>::max(), "u8", number);
  if (step == Step::ok) out = static_cast<std::uint8_t>(number);
  return step;
}

Step Reader::optional_u32(ondemand::value& value, std::size_t depth, std::optional<std::uint32_t>& out) {
  json_type type;
  if (const auto error = value.type().get(type)) return broken(error);
  if (type == json_type::null) {
    out.reset();
    return check_atom(value, "null");
  }
  return u32(value, depth, out.emplace());
}

Step Reader::open_object(ondemand::value& value, std::size_t depth, std::string_view expected,
                         ondemand::object& out) {
  json_type type;
  if (const auto error = value.type().get(type)) return broken(error);
  if (type != json_type::object) return refuse_type(value, depth, expected);
  if (const Step entered = enter(value.raw_json_token(), depth + 1); entered != Step::ok) return entered;
  if (const auto error = value.get_object().get(out)) return broken(error);
  return Step::ok;
}

Step Reader::open_array(ondemand::value& value, std::size_t depth, std::string_view expected,
                        ondemand::array& out) {
  json_type type;
  if (const auto error = value.type().get(type)) return broken(error);
  if (type != json_type::array) return refuse_type(value, depth, expected);
  if (const Step entered = enter(value.raw_json_token(), depth + 1); entered != Step::ok) return entered;
  if (const auto error = value.get_array().get(out)) return broken(error);
  return Step::ok;
}

Step Reader::string_list(ondemand::value& value, std::size_t depth, std::vector<std::string>& out) {
  return list(value, depth, out, [this](ondemand::value& item, std::size_t item_depth, std::string& text) {
    return string(item, item_depth, text);
  });
}

Step Reader::text_map(ondemand::value& value, std::size_t depth, model::TextMap& out) {
  ondemand::object object;
  if (const Step opened = open_object(value, depth, "a map", object); opened != Step::ok) return opened;
  std::string text;
  return fields(object, [&](std::string_view key, const char*, ondemand::value& field_value) {
    const Step step = string(field_value, depth + 1, text);
    if (step == Step::ok) out.insert_or_assign(std::string(key), std::move(text));
    return step;
  });
}

Step Reader::skip(ondemand::value& value, std::size_t depth) {
  json_type type;
  if (const auto error = value.type().get(type)) return broken(error);
  switch (type) {
    case json_type::object: {
      ondemand::object object;
      if (const Step opened = open_object(value, depth, "a map", object); opened != Step::ok) return opened;
      return fields(object, [&](std::string_view, const char*, ondemand::value& field_value) {
        return skip(field_value, depth + 1);
      });
    }
    case json_type::array: {
      ondemand::array array;
      if (const Step opened = open_array(value, depth, "a sequence", array); opened != Step::ok) return opened;
      for (auto entry : array) {
        ondemand::value item;
        if (const auto error = std::move(entry).get(item)) return broken(error);
        if (const Step step = skip(item, depth + 1); step != Step::ok) return step;
      }
      return Step::ok;
    }
    case json_type::string: {
      std::string_view text;
      return value.get_string().get(text) == SUCCESS ? Step::ok : broken();
    }
    case json_type::number: {
      // A skipped number is only checked for its form, not its range.
      const NumberReading number = read_number(trimmed(value.raw_json_token()));
      return number.token || number.fault == NumberFault::OutOfRange ? Step::ok : broken();
    }
    case json_type::boolean: {
      const std::string_view token = trimmed(value.raw_json_token());
      return token == "true" || token == "false" ? Step::ok : broken();
    }
    case json_type::null:
      return check_atom(value, "null");
  }
  return broken();
}

}  // namespace edi_energy::profile::json::reading
