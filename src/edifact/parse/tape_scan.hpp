// Finding the delimiters of a whole input at once, 64 bytes at a time: the first stage of the
// fast parse (tape_parse.hpp builds segments from what it finds). Two passes over the same
// bytes: one counts, so that the arrays are allocated once at their exact size, one fills them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/model/document.hpp"

namespace edifact::tokenizer::scan {

// The delimiters to find; the repetition separator equals the component separator when the
// advice has none.
struct Characters {
  char element;
  char component;
  char repetition;
  char terminator;
  char release;
};

struct Counts {
  std::size_t cuts = 0;         // delimiters that are not released
  std::size_t elements = 0;     // of them, element separators
  std::size_t terminators = 0;  // of them, segment terminators
  bool released = false;        // a release character that releases something
  std::size_t releases = 0;     // release characters that release something
  bool valid_text = true;       // the bytes are well-formed UTF-8
};

// Room the fill may write past the counted cuts and elements.
inline constexpr std::size_t CUT_SLACK = 8;
inline constexpr std::size_t ELEMENT_SLACK = 4;

// Arrays sized from `Counts`: `cuts` as counted plus `CUT_SLACK`, `elements` plus `ELEMENT_SLACK`, `segments` one per terminator
// (each entry says where the segment after that terminator starts), `released` one bit per cut
// plus one word, zeroed, or null when nothing was released.
struct Output {
  std::uint32_t* cuts;
  std::uint32_t* elements;
  model::SegmentEntry* segments;
  std::uint64_t* released;
  // Where the text of each marked value goes without its release characters, as soon as the
  // cut closing it is written (see `model::Tape`); null when nothing was released.
  std::string* unescaped = nullptr;
  std::vector<std::uint32_t>* unescaped_ends = nullptr;
  // Segments longer than this (tag to terminator, terminator excluded) are not sound.
  std::size_t max_segment_length = ~std::size_t{0};
};

// What the fill saw of the segments while their cuts were still at hand: how many lead the
// input soundly (whitespace before a tag of three capitals, an element separator or the
// terminator after it, within the length limit; the text's encoding is not looked at), and
// where the bytes after them begin.
struct Sound {
  std::size_t segments = 0;
  std::size_t next_start = 0;
};

enum class Kernel : std::uint8_t { Portable, Sse2, Avx2 };

// The fastest kernel this CPU runs.
Kernel best_kernel();
bool kernel_available(Kernel kernel);

// Offsets are those in `input`; the scan covers `input[start..]`, which must be shorter than
// `model::Document::MOST_BYTES`.
Counts count(Kernel kernel, std::string_view input, std::size_t start, const Characters& characters);
Sound fill(Kernel kernel, std::string_view input, std::size_t start, const Characters& characters,
           const Output& output);

// One entry per kernel, defined in the kernel's own file.
Counts count_portable(std::string_view input, std::size_t start, const Characters& characters);
Sound fill_portable(std::string_view input, std::size_t start, const Characters& characters, const Output& output);
#if defined(__x86_64__)
Counts count_sse2(std::string_view input, std::size_t start, const Characters& characters);
Sound fill_sse2(std::string_view input, std::size_t start, const Characters& characters, const Output& output);
Counts count_avx2(std::string_view input, std::size_t start, const Characters& characters);
Sound fill_avx2(std::string_view input, std::size_t start, const Characters& characters, const Output& output);
#endif

}  // namespace edifact::tokenizer::scan
