#include "edifact/parse/tape_parse.hpp"

#include <algorithm>
#include <string>

#include "edifact/parse/exact_parser.hpp"
#include "support/utf8.hpp"

namespace edifact::parser {
namespace {

using model::Document;
using model::SegmentEntry;
using tokenizer::ServiceStringAdvice;

// Service characters the scan can take: printable ASCII, no capital (tags are capitals) and no
// two alike. Anything else is rare enough to leave to the exact parser.
std::optional<tokenizer::scan::Characters> scan_characters(const ServiceStringAdvice& advice) {
  std::string used = {advice.element_separator, advice.component_separator, advice.segment_terminator,
                      advice.release_character};
  if (advice.has_repetition_separator()) used.push_back(advice.repetition_separator);
  for (char c : used) {
    if (c < 0x21 || c > 0x7E || (c >= 'A' && c <= 'Z')) return std::nullopt;
    if (std::ranges::count(used, c) > 1) return std::nullopt;
  }
  return tokenizer::scan::Characters{
      advice.element_separator, advice.component_separator,
      advice.has_repetition_separator() ? advice.repetition_separator : advice.component_separator,
      advice.segment_terminator, advice.release_character};
}

bool all_whitespace(std::string_view bytes) {
  for (char byte : bytes) {
    if (!tokenizer::is_segment_whitespace(byte)) return false;
  }
  return true;
}

bool is_capital(char byte) { return static_cast<unsigned char>(byte - 'A') < 26; }

// The number of leading segments the exact parser would yield just the same, and the offset
// where the first segment after them (or the trailing bytes) begins. The fill checks all but the
// text as it goes; this walk, which checks the text too, is for input that is not all UTF-8.
struct Vouched {
  std::size_t segments;
  std::size_t next_start;
  bool complete;  // every segment vouched for, nothing but whitespace after them
};

Vouched vouch(const Document& document, std::size_t start, const ServiceStringAdvice& advice,
              std::size_t max_segment_length) {
  const std::string_view bytes = document.bytes;
  const char* const data = bytes.data();
  const std::uint32_t* const cuts = document.cuts.data();
  const SegmentEntry* const segments = document.segments.data();
  std::size_t gap = start;
  const std::size_t count = document.segment_count();
  for (std::size_t index = 0; index < count; ++index) {
    const std::size_t tag_end = cuts[segments[index].first_cut];
    const std::size_t terminator = cuts[segments[index + 1].first_cut - 1];
    if (tag_end < gap + 3) return {index, gap, false};
    const std::size_t tag_start = tag_end - 3;
    for (std::size_t at = gap; at < tag_start; ++at) {
      if (!tokenizer::is_segment_whitespace(data[at])) return {index, gap, false};
    }
    const char after_tag = data[tag_end];
    const bool sound = is_capital(data[tag_start]) && is_capital(data[tag_start + 1]) && is_capital(data[tag_start + 2]) &&
                       (after_tag == advice.element_separator || after_tag == advice.segment_terminator) &&
                       terminator - tag_start <= max_segment_length &&
                       support::utf8::is_valid(bytes.substr(tag_end, terminator - tag_end));
    if (!sound) return {index, gap, false};
    gap = terminator + 1;
  }
  return {count, gap, all_whitespace(bytes.substr(gap))};
}

// Writes `raw` without its release characters, each releasing the byte after it, and returns
// the end of what it wrote; the scan has seen that none is the last byte of a value. Values are
// short, so a plain loop beats searching for the next release character.
char* write_unescaped(std::string_view raw, char release, char* out) {
  const std::size_t size = raw.size();
  for (std::size_t at = 0; at < size; ++at) {
    char byte = raw[at];
    if (byte == release && at + 1 < size) byte = raw[++at];
    *out++ = byte;
  }
  return out;
}

template <class Visit>
void for_each_released(const Document& document, Visit visit) {
  for (std::size_t word = 0; word < document.released.size(); ++word) {
    for (std::uint64_t bits = document.released[word]; bits != 0; bits &= bits - 1) {
      visit(static_cast<std::uint32_t>(word * 64 + static_cast<unsigned>(__builtin_ctzll(bits))));
    }
  }
}

void unescape_released(Document& document, char release) {
  // Marks past the last kept cut belong to segments that were dropped.
  const std::size_t values = document.cuts.size();
  for (std::size_t word = 0; word < document.released.size(); ++word) {
    if (word * 64 >= values) {
      document.released[word] = 0;
    } else if (values - word * 64 < 64) {
      document.released[word] &= (std::uint64_t{1} << (values - word * 64)) - 1;
    }
  }
  const auto raw = [&](std::uint32_t value) {
    const std::uint32_t begin = document.cuts[value - 1] + 1;
    return document.bytes.substr(begin, document.cuts[value] - begin);
  };
  std::size_t raw_bytes = 0;
  std::size_t count = 0;
  for_each_released(document, [&](std::uint32_t value) {
    raw_bytes += raw(value).size();
    ++count;
  });
  document.unescaped_ends.reserve(count);
  // Unescaped text is never longer than its raw bytes.
  document.unescaped.resize_and_overwrite(raw_bytes, [&](char* data, std::size_t) {
    char* end = data;
    for_each_released(document, [&](std::uint32_t value) {
      end = write_unescaped(raw(value), release, end);
      document.unescaped_ends.push_back(static_cast<std::uint32_t>(end - data));
    });
    return static_cast<std::size_t>(end - data);
  });
  document.rank_released();
}

}  // namespace

TapeParse parse_tape(std::string_view input, std::size_t start, const ServiceStringAdvice& advice,
                     std::size_t max_segment_length, tokenizer::scan::Kernel kernel) {
  auto* document = new Document;
  document->bytes = input;
  const auto characters = scan_characters(advice);
  if (!characters || input.size() > Document::MOST_BYTES) {
    document->segments = {{0, 0}};
    return {document, start};
  }
  document->has_repetitions = advice.has_repetition_separator();
  document->repetition_separator = advice.repetition_separator;

  const tokenizer::scan::Counts counts = tokenizer::scan::count(kernel, input, start, *characters);
  document->cuts.resize(counts.cuts + tokenizer::scan::CUT_SLACK);
  document->elements.resize(counts.elements);
  document->segments.resize(counts.terminators + 1);
  document->segments[0] = {0, 0};
  if (counts.released) document->released.resize(counts.cuts / 64 + 1);
  tokenizer::scan::Output output{document->cuts.data(), document->elements.data(), document->segments.data() + 1,
                                 document->released.data()};
  output.max_segment_length = max_segment_length;
  const tokenizer::scan::Sound sound = tokenizer::scan::fill(kernel, input, start, *characters, output);
  document->cuts.resize(counts.cuts);

  // Delimiters are ASCII, so valid text as a whole is valid value by value; only when it is
  // not must each segment be looked at again.
  const Vouched vouched =
      counts.valid_text
          ? Vouched{sound.segments, sound.next_start,
                    sound.segments == document->segment_count() && all_whitespace(input.substr(sound.next_start))}
          : vouch(*document, start, advice, max_segment_length);
  document->keep_segments(vouched.segments);
  if (!document->released.empty()) unescape_released(*document, advice.release_character);
  return {document, vouched.complete ? std::nullopt : std::optional(vouched.next_start)};
}

}  // namespace edifact::parser
