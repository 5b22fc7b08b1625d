// What a benchmark input holds, so that its figures can be judged: how many segments and
// values, how many values carry a release character, how many bytes are line breaks or
// beyond ASCII.
#pragma once

#include <cstddef>
#include <string_view>

namespace bench::input {

struct Census {
  std::size_t bytes = 0;
  std::size_t segments = 0;
  std::size_t values = 0;           // tags not counted
  std::size_t released_values = 0;  // values holding at least one release character
  std::size_t line_break_bytes = 0;
  std::size_t non_ascii_bytes = 0;
};

// Assumes the UNA of the generated inputs (":+.? '") and reads byte by byte.
Census take_census(std::string_view input);

}  // namespace bench::input
