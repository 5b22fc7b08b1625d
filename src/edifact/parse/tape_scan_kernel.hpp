// The scanning kernel, written once and compiled once per instruction set: each kernel's file
// includes it with its own `Classify` (and its own target options), after every other header.
// Everything here has internal linkage, so the copies compiled for different instruction sets
// never stand in for each other.
//
// Released bytes. A release character makes the next byte literal, even another release
// character, so "?" before a delimiter hides it only when it is itself not released:
//
//   bytes      a ? ? ' b ? ' c '
//   release      1 1     1
//   active       1       1          (a release character that is not itself released)
//   released       1 ^     1 ^      (the byte after an active one; ^ marks the hidden "'")
//   cuts               3 ...   8    only unreleased delimiters cut
//
// Walking the release characters of a block from low to high bit, each one either is released
// (skipped) or releases the next bit; a release character in bit 63 releases bit 0 of the next
// block. Blocks without release characters, nearly all of them, skip the walk.
#pragma once

// The visitors run once per block: a call each would cost as much as their work.
#define INLINE_VISIT __attribute__((always_inline))

namespace edifact::tokenizer::scan {
namespace {

struct BlockMasks {
  std::uint64_t element;
  std::uint64_t other;  // component and repetition separators
  std::uint64_t terminator;
  std::uint64_t release;
  std::uint64_t high;  // bytes of 0x80 or more
};

struct Unreleased {
  std::uint64_t cuts;
  std::uint64_t element;
  std::uint64_t terminator;
  std::uint64_t active;  // release characters that release the byte after them
};

inline std::uint64_t below(std::uint64_t bit_mask) { return bit_mask - 1; }
inline std::uint32_t popcount(std::uint64_t bits) { return static_cast<std::uint32_t>(__builtin_popcountll(bits)); }
inline unsigned lowest(std::uint64_t bits) { return static_cast<unsigned>(__builtin_ctzll(bits)); }

// `carry` is 1 when the previous block's last byte was an active release character.
[[gnu::always_inline]] inline Unreleased unreleased(const BlockMasks& masks, std::uint64_t& carry) {
  std::uint64_t released = carry;
  std::uint64_t active = 0;
  carry = 0;
  std::uint64_t candidates = masks.release & ~released;
  while (candidates != 0) {
    const unsigned at = lowest(candidates);
    active |= std::uint64_t{1} << at;
    if (at == 63) {
      carry = 1;
      break;
    }
    released |= std::uint64_t{2} << at;
    // Drops `at` and the byte it releases; at 62 the shift leaves nothing, as it should.
    candidates &= at + 2 < 64 ? ~below(std::uint64_t{1} << (at + 2)) : 0;
  }
  const std::uint64_t element = masks.element & ~released;
  const std::uint64_t terminator = masks.terminator & ~released;
  return {element | (masks.other & ~released) | terminator, element, terminator, active};
}

// Feeds every 64-byte block of `input[start..]` to `visit` with its offset in `input`; the
// last, partial block is copied behind zero bytes, which match no delimiter.
template <class Classify, class Visit>
[[gnu::always_inline]] inline void scan_blocks(std::string_view input, std::size_t start,
                                               const Characters& characters, Visit&& visit) {
  const Classify classify(characters);
  std::uint64_t carry = 0;
  std::size_t offset = start;
  for (; input.size() - offset >= 64; offset += 64) {
    const BlockMasks masks = classify(input.data() + offset);
    visit(offset, masks, unreleased(masks, carry));
  }
  if (offset < input.size()) {
    alignas(64) char tail[64] = {};
    __builtin_memcpy(tail, input.data() + offset, input.size() - offset);
    const BlockMasks masks = classify(tail);
    visit(offset, masks, unreleased(masks, carry));
  }
}

// UTF-8 is checked only where it can fail: over each run of blocks that hold a byte of 0x80 or
// more, from the run's first such byte to its last. The bytes around that stretch are ASCII,
// where no character begins or ends half-way, so the input is valid exactly when every stretch
// is.
template <class Classify>
[[gnu::always_inline]] inline Counts count_with(std::string_view input, std::size_t start,
                                                const Characters& characters) {
  Counts counts;
  constexpr std::size_t NO_RUN = ~std::size_t{0};
  std::size_t run_start = NO_RUN;
  std::size_t run_end = 0;
  scan_blocks<Classify>(input, start, characters, [&](std::size_t offset, const BlockMasks& masks, const Unreleased& found) INLINE_VISIT {
    counts.cuts += popcount(found.cuts);
    counts.elements += popcount(found.element);
    counts.terminators += popcount(found.terminator);
    counts.releases += popcount(found.active);
    if (masks.high != 0) {
      if (run_start == NO_RUN) run_start = offset + lowest(masks.high);
      run_end = offset + 64 - static_cast<unsigned>(std::countl_zero(masks.high));
    } else if (run_start != NO_RUN) [[unlikely]] {
      counts.valid_text &= support::utf8::is_valid(input.substr(run_start, run_end - run_start));
      run_start = NO_RUN;
    }
  });
  if (run_start != NO_RUN) counts.valid_text &= support::utf8::is_valid(input.substr(run_start, run_end - run_start));
  counts.released = counts.releases != 0;
  return counts;
}

inline bool is_capital(char byte) { return static_cast<unsigned char>(byte - 'A') < 26; }

// Checks each segment when its terminator is found: its tag's end is then one of the cuts just
// written, and the bytes before it were read moments ago, so nothing comes back from memory.
class SoundCheck {
 public:
  SoundCheck(std::string_view input, std::size_t start, const Characters& characters, std::size_t max_length)
      : data_(input.data()), element_(characters.element), terminator_(characters.terminator),
        max_length_(max_length), sound_{0, start} {}

  // The segment whose first cut `tag_cut` is ends at `terminator`.
  [[gnu::always_inline]] void segment(const std::uint32_t* cuts, std::uint32_t tag_cut, std::size_t terminator) {
    if (failed_) [[unlikely]] return;
    const std::size_t gap = sound_.next_start;
    const std::size_t tag_end = cuts[tag_cut];
    if (tag_end < gap + 3 || !sound(gap, tag_end, terminator)) [[unlikely]] {
      failed_ = true;
      return;
    }
    ++sound_.segments;
    sound_.next_start = terminator + 1;
  }
  Sound result() const { return sound_; }

 private:
  bool sound(std::size_t gap, std::size_t tag_end, std::size_t terminator) const {
    const std::size_t tag_start = tag_end - 3;
    for (std::size_t at = gap; at < tag_start; ++at) {
      if (!is_segment_whitespace(data_[at])) return false;
    }
    const char after_tag = data_[tag_end];
    return is_capital(data_[tag_start]) && is_capital(data_[tag_start + 1]) && is_capital(data_[tag_start + 2]) &&
           (after_tag == element_ || after_tag == terminator_) && terminator - tag_start <= max_length_;
  }

  const char* data_;
  char element_;
  char terminator_;
  std::size_t max_length_;
  Sound sound_;
  bool failed_ = false;
};

// Writes `raw` without its release characters, each releasing the byte after it, and returns
// the end of what it wrote; the scan has seen that none is the last byte of a value. Without a
// branch per byte: values are short, and which bytes are release characters is random.
inline char* write_unescaped(std::string_view raw, char release, char* out) {
  const std::size_t size = raw.size();
  for (std::size_t at = 0; at < size; ++at) {
    at += static_cast<std::size_t>(raw[at] == release && at + 1 < size);
    *out++ = raw[at];
  }
  return out;
}

// Unescapes each marked value once the cut closing it is written, while its bytes and cuts are
// still in cache. Marks are only ever set on values from the last cut written on, so after a
// block only the value the block's last cut opened can be marked and still open.
class ReleasedValues {
 public:
  ReleasedValues(std::string_view input, std::size_t start, char release, const Output& output)
      : input_(input), start_(start), release_(release), output_(output) {}

  void marked() { pending_ = true; }
  // Every value closed by one of the first `cut_count` cuts.
  [[gnu::always_inline]] void closed(std::uint32_t cut_count) {
    if (!pending_) return;
    const std::uint64_t* const marks = output_.released;
    std::size_t value = next_;
    while (value < cut_count) {
      const std::uint64_t bits = marks[value / 64] & (~std::uint64_t{0} << (value % 64));
      if (bits == 0) {
        value = (value / 64 + 1) * 64;
        continue;
      }
      value = value / 64 * 64 + lowest(bits);
      if (value >= cut_count) break;
      unescape(static_cast<std::uint32_t>(value++));
    }
    next_ = cut_count;
    // The one value still open, opened by the last cut, may be marked already.
    pending_ = ((marks[cut_count / 64] >> (cut_count % 64)) & 1) != 0;
  }

 private:
  void unescape(std::uint32_t value) {
    // Value 0 lies before the first cut: a tag, whose segment the check refuses.
    const std::size_t begin = value == 0 ? start_ : output_.cuts[value - 1] + std::size_t{1};
    const std::string_view raw = input_.substr(begin, output_.cuts[value] - begin);
    std::string& text = *output_.unescaped;
    const std::size_t before = text.size();
    text.resize_and_overwrite(before + raw.size(), [&](char* data, std::size_t) {
      return static_cast<std::size_t>(write_unescaped(raw, release_, data + before) - data);
    });
    output_.unescaped_ends->push_back(static_cast<std::uint32_t>(text.size()));
  }

  std::string_view input_;
  std::size_t start_;
  char release_;
  const Output& output_;
  std::uint32_t next_ = 0;  // values before it are done
  bool pending_ = false;
};

template <class Classify>
[[gnu::always_inline]] inline Sound fill_with(std::string_view input, std::size_t start,
                                              const Characters& characters, const Output& output) {
  std::uint32_t cut_count = 0;
  std::uint32_t element_count = 0;
  std::uint32_t* cuts = output.cuts;
  std::uint32_t* elements = output.elements;
  model::SegmentEntry* segments = output.segments;
  std::uint32_t tag_cut = 0;  // the first cut of the segment being filled
  SoundCheck check(input, start, characters, output.max_segment_length);
  ReleasedValues released(input, start, characters.release, output);
  scan_blocks<Classify>(input, start, characters, [&](std::size_t offset, const BlockMasks&, const Unreleased& found) INLINE_VISIT {
    const auto base = static_cast<std::uint32_t>(offset);
    // Eight at a time without a branch per cut; the array has room for the overshoot.
    const std::uint32_t found_cuts = popcount(found.cuts);
    std::uint64_t bits = found.cuts;
    for (std::uint32_t written = 0; written < found_cuts; written += 8) {
#pragma GCC unroll 8
      for (unsigned lane = 0; lane < 8; ++lane) {
        cuts[written + lane] = base + static_cast<std::uint32_t>(std::countr_zero(bits));
        bits &= bits - 1;
      }
    }
    cuts += found_cuts;
    // Four at a time, the same way.
    const std::uint32_t found_elements = popcount(found.element);
    std::uint64_t element_bits = found.element;
    for (std::uint32_t written = 0; written < found_elements; written += 4) {
#pragma GCC unroll 4
      for (unsigned lane = 0; lane < 4; ++lane) {
        elements[written + lane] = cut_count + popcount(found.cuts & below(element_bits & -element_bits));
        element_bits &= element_bits - 1;
      }
    }
    elements += found_elements;
    for (std::uint64_t bits = found.terminator; bits != 0; bits &= bits - 1) {
      const std::uint64_t before = below(bits & -bits);
      const std::uint32_t next_cut = cut_count + popcount(found.cuts & before) + 1;
      check.segment(output.cuts, tag_cut, offset + lowest(bits));
      tag_cut = next_cut;
      *segments++ = {next_cut, element_count + popcount(found.element & before)};
    }
    // A value holds a release character when an active one lies before the cut closing it.
    for (std::uint64_t bits = found.active; bits != 0; bits &= bits - 1) {
      const std::uint32_t value = cut_count + popcount(found.cuts & below(bits & -bits));
      output.released[value / 64] |= std::uint64_t{1} << (value % 64);
      released.marked();
    }
    cut_count += popcount(found.cuts);
    element_count += popcount(found.element);
    released.closed(cut_count);
  });
  return check.result();
}

}  // namespace
}  // namespace edifact::tokenizer::scan

#undef INLINE_VISIT
