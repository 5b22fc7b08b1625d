#include "edifact/parse/tape_parse.hpp"

#include <algorithm>
#include <bit>
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

// Drops the marks and unescaped texts of values past the last kept cut, which belong to
// segments that were dropped.
void keep_released(Document& document) {
  const std::size_t values = document.cuts.size();
  std::size_t kept = 0;
  for (std::size_t word = 0; word < document.released.size(); ++word) {
    if (word * 64 >= values) {
      document.released[word] = 0;
    } else if (values - word * 64 < 64) {
      document.released[word] &= (std::uint64_t{1} << (values - word * 64)) - 1;
    }
    kept += static_cast<std::size_t>(std::popcount(document.released[word]));
  }
  // The fill unescaped every value it saw closed, in order, so the kept ones come first.
  document.unescaped_ends.resize(kept);
  document.unescaped.resize(kept == 0 ? 0 : document.unescaped_ends.back());
  // The texts grew by doubling; what a document holds should be what it needs.
  document.unescaped.shrink_to_fit();
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
  document->parsed_with = parsed_delimiters(advice);

  const tokenizer::scan::Counts counts = tokenizer::scan::count(kernel, input, start, *characters);
  document->cuts.resize(counts.cuts + tokenizer::scan::CUT_SLACK);
  document->elements.resize(counts.elements + tokenizer::scan::ELEMENT_SLACK);
  document->segments.resize(counts.terminators + 1);
  document->segments[0] = {0, 0};
  if (counts.released) document->released.resize(counts.cuts / 64 + 1);
  tokenizer::scan::Output output{document->cuts.data(), document->elements.data(), document->segments.data() + 1,
                                 document->released.data()};
  if (counts.released) {
    // No more values than release characters.
    document->unescaped_ends.reserve(counts.releases);
    output.unescaped = &document->unescaped;
    output.unescaped_ends = &document->unescaped_ends;
  }
  output.max_segment_length = max_segment_length;
  const tokenizer::scan::Sound sound = tokenizer::scan::fill(kernel, input, start, *characters, output);
  document->cuts.resize(counts.cuts);
  document->elements.resize(counts.elements);

  // Delimiters are ASCII, so valid text as a whole is valid value by value; only when it is
  // not must each segment be looked at again.
  const Vouched vouched =
      counts.valid_text
          ? Vouched{sound.segments, sound.next_start,
                    sound.segments == document->segment_count() && all_whitespace(input.substr(sound.next_start))}
          : vouch(*document, start, advice, max_segment_length);
  document->keep_segments(vouched.segments);
  if (!document->released.empty()) keep_released(*document);
  document->choose_form();
  return {document, vouched.complete ? std::nullopt : std::optional(vouched.next_start)};
}

}  // namespace edifact::parser
