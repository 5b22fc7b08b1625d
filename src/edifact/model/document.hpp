// The storage behind segments: one document per parse, holding the input's bytes (borrowed or
// owned) and flat arrays that say where its values lie. Segments, elements and components are
// handles into it. Only the parsers, the segment builder and `compact_built` fill documents;
// everyone else reads through `Segment`.
//
// A value is the run of bytes between two neighbouring cuts; cut v closes value v, so the
// values of a segment whose cuts are f..l are f+1..l, opened by cuts f..l-1:
//
//   bytes   U N H + 1 + U T I L M D : D '
//   cuts          ^   ^             ^   ^      cut 0 ends the tag, cut 3 is the terminator
//   values          1   2------------ 3        element 0 = value 1, element 1 = values 2..3
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edifact/model/default_init_allocator.hpp"
#include "edifact/model/narrow_tape.hpp"

namespace edifact::model {

// Byte offsets into the whole input handed to a parse (byte-order mark, whitespace and UNA
// included); `end` is just past the last byte.
struct Span {
  std::size_t start = 0;
  std::size_t end = 0;

  std::size_t length() const { return end - start; }
  friend bool operator==(const Span&, const Span&) = default;
};

// Adds without wrapping: offsets saturate at the largest value.
inline std::size_t saturating_add(std::size_t a, std::size_t b) {
  return b > std::numeric_limits<std::size_t>::max() - a ? std::numeric_limits<std::size_t>::max() : a + b;
}

struct SegmentEntry {
  std::uint32_t first_cut;      // the cut that ends the tag
  std::uint32_t first_element;  // index in `Document::elements`
};

// Spans of a built document: one per cut (for the value it closes), one per element, and each
// segment's own two. Built segments mostly have no spans at all, so a list in which every span
// is empty stays empty.
struct BuiltSpans {
  std::vector<Span> values;
  std::vector<Span> elements;
  std::vector<Span> segments;
  std::vector<Span> tags;

  static Span at(const std::vector<Span>& list, std::size_t k) { return list.empty() ? Span{} : list[k]; }
  // Appends `span` as entry `k` of `list`, filling the entries before it when the list was
  // still empty.
  static void put(std::vector<Span>& list, std::size_t k, Span span) {
    if (list.empty() && span == Span{}) return;
    list.resize(k);
    list.push_back(span);
  }
  bool empty() const { return values.empty() && elements.empty() && segments.empty() && tags.empty(); }
  // The spans of a document whose spans are all empty, shared by all of them.
  static const std::shared_ptr<const BuiltSpans>& none();
};

// The service characters a document's bytes were parsed with, so that a writer using the same
// ones can tell cheaply that it would give the bytes back unchanged. Known only when they are
// all distinct; all zero otherwise, as for built documents. `repetition` is zero when there was
// none.
struct ParsedDelimiters {
  char element = 0;
  char component = 0;
  char repetition = 0;
  char terminator = 0;
  char release = 0;

  bool known() const { return release != 0; }
};

// The data of a document, copyable; `Document` adds the reference count.
struct Tape {
  // The most bytes one document can address.
  static constexpr std::size_t MOST_BYTES = std::numeric_limits<std::uint32_t>::max() - 1;
  // Marks, in `elements`, an element built with no component at all.
  static constexpr std::uint32_t NO_COMPONENTS = std::uint32_t{1} << 31;

  std::string_view bytes;  // what cut offsets count from
  std::string owned;       // the bytes, when the document holds them itself (all of them)
  std::size_t base = 0;    // offset of `bytes[0]` in the whole input; added to every span
  bool has_repetitions = false;     // cuts equal to `repetition_separator` split repetitions
  char repetition_separator = '*';
  ParsedDelimiters parsed_with;

  // Sized once and then written entry by entry by the scan, hence never zeroed. Read them
  // through `cut` and `element_entry`: a document dense in delimiters keeps them in `narrow`
  // instead, and these then hold no memory at all, which is what the readers test (a document
  // in the arrays that has a cut or element to read holds it there).
  UnzeroedVector<std::uint32_t> cuts;
  UnzeroedVector<std::uint32_t> elements;  // the cut opening each element (| NO_COMPONENTS)
  UnzeroedVector<SegmentEntry> segments;   // one per segment plus an end marker
  // The cuts and elements of a document dense in delimiters.
  std::shared_ptr<const NarrowTape> narrow;

  // Values whose raw bytes held a release character have their unescaped text in `unescaped`;
  // bit v of `released` marks value v, and the k-th marked value ends at `unescaped_ends[k]`.
  std::vector<std::uint64_t> released;
  std::vector<std::uint32_t> released_before;  // marked values in the words before each word
  std::vector<std::uint32_t> unescaped_ends;
  std::string unescaped;

  // Set for text decoded from a one-byte repertoire, whose raw input had one byte per
  // character: spans then count characters, not bytes, from `base`. Entry k counts the
  // characters before byte 64k.
  std::vector<std::uint32_t> characters_before;

  // The spans of a built document, which it gives explicitly; null for parsed ones.
  std::shared_ptr<const BuiltSpans> spans;

  // A built segment's tag runs from the byte after the previous segment's terminator (byte 0
  // for the first) to its first cut; parsed ones have three-byte tags just before their first cut.
  bool built() const { return spans != nullptr; }
  std::size_t built_start(std::uint32_t index) const {
    return index == 0 ? 0 : std::size_t{cut(segments[index].first_cut - 1)} + 1;
  }
  std::size_t segment_count() const { return segments.empty() ? 0 : segments.size() - 1; }
  bool is_released(std::uint32_t value) const {
    const std::size_t word = value / 64;
    return word < released.size() && ((released[word] >> (value % 64)) & 1) != 0;
  }
  [[gnu::always_inline]] std::string_view text(std::uint32_t value) const {
    if (!released.empty() && is_released(value)) [[unlikely]] return released_text(value);
    const std::uint32_t* const wide = cuts.data();
    if (wide == nullptr) [[unlikely]] return narrow_text(value);
    const std::uint32_t start = wide[value - 1] + 1;
    return bytes.substr(start, wide[value] - start);
  }
  std::string_view released_text(std::uint32_t value) const;

  // The narrow form's readers stay out of line, so that the arrays' readers stay small where
  // they are inlined.
  [[gnu::always_inline]] std::uint32_t cut(std::size_t k) const {
    const std::uint32_t* const wide = cuts.data();
    if (wide == nullptr) [[unlikely]] return narrow_cut(k);
    return wide[k];
  }
  // The cut opening element `k`, with NO_COMPONENTS set for a built element without any.
  [[gnu::always_inline]] std::uint32_t element_entry(std::size_t k) const {
    const std::uint32_t* const wide = elements.data();
    if (wide == nullptr) [[unlikely]] return narrow_element_opening(k);
    return wide[k];
  }
  [[gnu::noinline]] std::string_view narrow_text(std::uint32_t value) const;
  [[gnu::noinline]] std::uint32_t narrow_cut(std::size_t k) const;
  [[gnu::noinline]] std::uint32_t narrow_element_opening(std::size_t k) const;
  std::uint32_t element_opening(std::size_t k) const { return element_entry(k) & ~NO_COMPONENTS; }
  std::size_t cut_count() const { return narrow != nullptr ? narrow->cut_count() : cuts.size(); }
  std::size_t element_count() const { return narrow != nullptr ? narrow->element_count() : elements.size(); }

  // Whether cuts and elements as arrays would take more than twice the bytes they index.
  static bool dense(std::size_t cuts, std::size_t elements, std::size_t bytes) {
    return (cuts + elements) * sizeof(std::uint32_t) > 2 * bytes;
  }
  // Keeps the cuts and elements of a parsed document in the narrow form exactly when they are
  // dense; the arrays are the faster form.
  void choose_form();
  // Moves them to the narrow form (parsed documents only) or back to the arrays, whatever the
  // density.
  void to_narrow();
  void widen();
  // Whether a value in `first..end` (end excluded) held a release character.
  bool any_released(std::uint32_t first, std::uint32_t end) const {
    for (std::size_t word = first / 64; word < released.size() && word * 64 < end; ++word) {
      std::uint64_t bits = released[word];
      if (word == first / 64) bits &= ~std::uint64_t{0} << (first % 64);
      if (end - word * 64 < 64) bits &= (std::uint64_t{1} << (end - word * 64)) - 1;
      if (bits != 0) return true;
    }
    return false;
  }

  // The offset in the whole input of byte `at` of `bytes`.
  std::size_t offset_of(std::size_t at) const {
    if (characters_before.empty()) [[likely]] return saturating_add(base, at);
    return saturating_add(base, characters_through(at));
  }
  std::size_t characters_through(std::size_t at) const;
  // Makes spans count characters: fills `characters_before` from `bytes`.
  void count_characters();

  // Fills `released_before` once `released` is final.
  void rank_released();
  // Trims every array to the first `count` segments, dropping cuts after their end.
  void keep_segments(std::size_t count);
  // Whether the texts live in the document rather than in a caller's buffer.
  bool holds_bytes() const { return !owned.empty() && bytes.data() == owned.data(); }
  // Makes the document hold `held` as its bytes.
  void hold(std::string held) {
    owned = std::move(held);
    bytes = owned;
  }
};

class Document : public Tape {
 public:
  Document() = default;
  // Keeps the tape's bytes held when it held them (a moved string may move its characters).
  explicit Document(Tape&& tape) {
    const bool held = tape.holds_bytes();
    static_cast<Tape&>(*this) = std::move(tape);
    if (held) bytes = owned;
  }
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // Shared by the segment handles; the last one to go deletes the document.
  void retain(std::uint32_t count = 1) const { references_.fetch_add(count, std::memory_order_relaxed); }
  void release(std::uint32_t count = 1) const {
    if (references_.fetch_sub(count, std::memory_order_acq_rel) == count) delete this;
  }
  bool shared() const { return references_.load(std::memory_order_acquire) > 1; }

 private:
  mutable std::atomic<std::uint32_t> references_{1};
};

}  // namespace edifact::model
