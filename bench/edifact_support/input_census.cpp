#include "input_census.hpp"

namespace bench::input {

Census take_census(std::string_view input) {
  Census census;
  census.bytes = input.size();
  std::size_t position = input.starts_with("UNA") ? 9 : 0;
  bool in_segment = false;
  bool value_released = false;
  auto close_value = [&] {
    if (value_released) ++census.released_values;
    value_released = false;
  };
  for (; position < input.size(); ++position) {
    const char byte = input[position];
    if (static_cast<unsigned char>(byte) >= 0x80) ++census.non_ascii_bytes;
    if (!in_segment) {
      if (byte == '\r' || byte == '\n') {
        ++census.line_break_bytes;
      } else if (byte != ' ' && byte != '\t') {
        in_segment = true;
      }
      continue;
    }
    switch (byte) {
      case '?':
        value_released = true;
        ++position;  // the next byte is literal
        if (position < input.size() && static_cast<unsigned char>(input[position]) >= 0x80) {
          ++census.non_ascii_bytes;
        }
        break;
      case '+':
      case ':':
        close_value();
        ++census.values;
        break;
      case '\'':
        close_value();
        ++census.segments;
        in_segment = false;
        break;
      default:
        break;
    }
  }
  return census;
}

}  // namespace bench::input
