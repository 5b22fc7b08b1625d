#include "edifact/model/segment.hpp"

#include <algorithm>
#include <limits>
#include <memory>

#include "edifact/error.hpp"
#include "edifact/model/owned_element.hpp"
#include "edifact/model/segment_builder.hpp"

namespace edifact::model {
namespace {

// Parses keep hundreds of thousands of segments in one list.
static_assert(sizeof(Segment) <= 16);

Span shifted(const Tape& tape, std::size_t start, std::size_t end) {
  return {tape.offset_of(start), tape.offset_of(end)};
}

Span built_span(const Tape& tape, const std::vector<Span>& list, std::size_t k) {
  const Span span = BuiltSpans::at(list, k);
  return shifted(tape, span.start, span.end);
}

// UTF-8 bytes that begin a character.
std::size_t count_leading_bytes(std::string_view bytes) {
  std::size_t count = 0;
  for (const char byte : bytes) count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80 ? 1 : 0;
  return count;
}

Span value_span(const Tape& tape, std::uint32_t value) {
  if (tape.built()) return built_span(tape, tape.spans->values, value);
  return shifted(tape, tape.cut(value - 1) + std::size_t{1}, tape.cut(value));
}

bool is_repetition_cut(const Tape& tape, std::uint32_t cut) {
  return tape.bytes[tape.cut(cut)] == tape.repetition_separator;
}

// A parsed document's cuts and element openings, read from the arrays or from the narrow form:
// walks over a segment are written once for both, so that the arrays' walk has no call in it.
struct ArrayReader {
  const Tape& tape;
  std::uint32_t cut(std::size_t k) const { return tape.cuts[k]; }
  std::uint32_t opening(std::size_t k) const { return tape.elements[k]; }
};

struct NarrowReader {
  const NarrowTape& narrow;
  std::uint32_t cut(std::size_t k) const { return narrow.cut(k); }
  std::uint32_t opening(std::size_t k) const { return narrow.element_opening(k); }
};

// The cut opening `element`, or none past the last one: walks take elements in order with it.
template <class Reader>
std::uint32_t opening_of(const Reader& reader, std::uint32_t element, std::uint32_t end) {
  return element < end ? reader.opening(element) : std::numeric_limits<std::uint32_t>::max();
}

// Built segment `index` of `tape` alone, with the same spans moved by `delta`.
Document* split_off_built(const Tape& tape, std::uint32_t index, std::size_t delta) {
  const SegmentEntry entry = tape.segments[index];
  const SegmentEntry next = tape.segments[index + 1];
  const std::size_t start = tape.built_start(index);
  const std::size_t end = std::size_t{tape.cut(next.first_cut - 1)} + 1;
  Tape part;
  part.hold(std::string(tape.bytes.substr(start, end - start)));
  part.base = saturating_add(tape.base, delta);
  part.has_repetitions = tape.has_repetitions;
  part.repetition_separator = tape.repetition_separator;
  const std::uint32_t cut_count = next.first_cut - entry.first_cut;
  const std::uint32_t element_count = next.first_element - entry.first_element;
  part.cuts.reserve(cut_count);
  for (std::uint32_t cut = entry.first_cut; cut < next.first_cut; ++cut) {
    part.cuts.push_back(static_cast<std::uint32_t>(tape.cut(cut) - start));
  }
  part.elements.reserve(element_count);
  for (std::uint32_t element = entry.first_element; element < next.first_element; ++element) {
    part.elements.push_back(tape.element_entry(element) - entry.first_cut);
  }
  part.segments = {{0, 0}, {cut_count, element_count}};
  const BuiltSpans& spans = *tape.spans;
  if (spans.empty()) {
    part.spans = tape.spans;
  } else {
    BuiltSpans own;
    for (std::uint32_t cut = entry.first_cut; cut < next.first_cut; ++cut) {
      BuiltSpans::put(own.values, cut - entry.first_cut, BuiltSpans::at(spans.values, cut));
    }
    for (std::uint32_t element = entry.first_element; element < next.first_element; ++element) {
      BuiltSpans::put(own.elements, element - entry.first_element, BuiltSpans::at(spans.elements, element));
    }
    BuiltSpans::put(own.segments, 0, BuiltSpans::at(spans.segments, index));
    BuiltSpans::put(own.tags, 0, BuiltSpans::at(spans.tags, index));
    part.spans = own.empty() ? BuiltSpans::none() : std::make_shared<const BuiltSpans>(std::move(own));
  }
  return new Document(std::move(part));
}

// Segment `index` of `tape` in a document of its own that holds its bytes, spans moved by `delta`.
Document* split_off(const Tape& tape, std::uint32_t index, std::size_t delta) {
  if (tape.built()) return split_off_built(tape, index, delta);
  const SegmentEntry entry = tape.segments[index];
  const SegmentEntry next = tape.segments[index + 1];
  const std::uint32_t tag_start = tape.cut(entry.first_cut) - 3;
  const std::uint32_t end = tape.cut(next.first_cut - 1) + 1;

  Tape part;
  part.hold(std::string(tape.bytes.substr(tag_start, end - tag_start)));
  // Before the form is chosen, which weighs decoded text by its characters.
  if (!tape.characters_before.empty()) part.count_characters();
  part.base = saturating_add(tape.offset_of(tag_start), delta);
  part.has_repetitions = tape.has_repetitions;
  part.repetition_separator = tape.repetition_separator;
  part.parsed_with = tape.parsed_with;
  const std::uint32_t cut_count = next.first_cut - entry.first_cut;
  const std::uint32_t element_count = next.first_element - entry.first_element;
  if (tape.narrow != nullptr) {
    // Straight to the narrow form: the arrays would cost what the narrow form saves.
    NarrowTapeBuilder builder(cut_count, element_count);
    std::uint32_t element = entry.first_element;
    const NarrowReader reader{*tape.narrow};
    std::uint32_t opening = opening_of(reader, element, next.first_element);
    for (std::uint32_t cut = entry.first_cut; cut < next.first_cut; ++cut) {
      const bool opens = cut == opening;
      if (opens) opening = opening_of(reader, ++element, next.first_element);
      builder.add(reader.cut(cut) - tag_start, opens);
    }
    part.narrow = std::make_shared<const NarrowTape>(std::move(builder).finish());
  } else {
    part.cuts.reserve(cut_count);
    for (std::uint32_t cut = entry.first_cut; cut < next.first_cut; ++cut) {
      part.cuts.push_back(tape.cuts[cut] - tag_start);
    }
    part.elements.reserve(element_count);
    for (std::uint32_t element = entry.first_element; element < next.first_element; ++element) {
      part.elements.push_back(tape.elements[element] - entry.first_cut);
    }
  }
  part.choose_form();
  part.segments = {{0, 0}, {cut_count, element_count}};
  for (std::uint32_t value = entry.first_cut + 1; value < next.first_cut; ++value) {
    if (!tape.is_released(value)) continue;
    const std::uint32_t moved = value - entry.first_cut;
    part.released.resize(cut_count / 64 + 1);
    part.released[moved / 64] |= std::uint64_t{1} << (moved % 64);
    part.unescaped.append(tape.text(value));
    part.unescaped_ends.push_back(static_cast<std::uint32_t>(part.unescaped.size()));
  }
  part.rank_released();
  return new Document(std::move(part));
}

// The bytes of `text` a writer with `delimiters` would release if they were text. Segments
// are short: a table lookup per byte does as well as comparing 16 bytes at a time.
std::size_t count_written_specials(std::string_view text, const WrittenDelimiters& delimiters) {
  std::size_t count = 0;
  for (const char byte : text) count += (*delimiters.special)[static_cast<unsigned char>(byte)] ? 1 : 0;
  return count;
}

// Whether a writer with `delimiters` uses exactly the service characters `parsed` names.
bool same_delimiters(const ParsedDelimiters& parsed, const WrittenDelimiters& delimiters) {
  return parsed.known() && parsed.release == delimiters.release && parsed.element == delimiters.element &&
         parsed.component == delimiters.component && parsed.terminator == delimiters.terminator &&
         (parsed.repetition != 0 ? delimiters.repetition == parsed.repetition : !delimiters.repetition);
}

// Whether the raw bytes of the released values in `first..end` are what the writer makes of
// their texts: it releases exactly the special bytes, so every release character in them must
// release a special byte (the parse has already released every special byte in a value).
template <class Reader>
bool released_as_written(const Tape& tape, const Reader& reader, std::uint32_t first, std::uint32_t end,
                         const WrittenDelimiters& delimiters) {
  for (std::uint32_t value = first; value < end; ++value) {
    if (!tape.is_released(value)) continue;
    const std::uint32_t begin = reader.cut(value - 1) + 1;
    const std::string_view raw = tape.bytes.substr(begin, reader.cut(value) - begin);
    for (std::size_t at = 0; at < raw.size(); ++at) {
      if (raw[at] != delimiters.release) continue;
      if (at + 1 == raw.size() || !(*delimiters.special)[static_cast<unsigned char>(raw[at + 1])]) return false;
      ++at;
    }
  }
  return true;
}

// The writer puts the delimiter of each cut's role between the texts and escapes what the texts
// hold; the parsed bytes already are that when no value was unescaped, every cut's byte is the
// writer's delimiter for its role, and no other byte is one the writer would escape.
template <class Reader>
std::optional<std::string_view> verbatim_in(const Tape& tape, const Reader& reader, SegmentEntry first,
                                            SegmentEntry next, const WrittenDelimiters& delimiters) {
  const std::uint32_t last = next.first_cut - 1;  // the terminator
  const char* const bytes = tape.bytes.data();
  // The shortcut knows only delimiters as special bytes; a text may hold `also` unreleased.
  if (delimiters.also == 0 && same_delimiters(tape.parsed_with, delimiters)) {
    // Every unreleased delimiter is a cut of its own role, and release characters lie only in
    // values that held one, so only those values can differ from what the writer writes.
    if (tape.any_released(first.first_cut + 1, last + 1) &&
        !released_as_written(tape, reader, first.first_cut + 1, last + 1, delimiters)) {
      return std::nullopt;
    }
    const std::uint32_t tag_end = reader.cut(first.first_cut);
    return tape.bytes.substr(tag_end - 3, reader.cut(last) + 1 - (tag_end - 3));
  }
  if (bytes[reader.cut(last)] != delimiters.terminator) return std::nullopt;
  std::uint32_t element = first.first_element;
  std::uint32_t opening = opening_of(reader, element, next.first_element);
  for (std::uint32_t cut = first.first_cut; cut < last; ++cut) {
    if (tape.is_released(cut + 1)) return std::nullopt;
    const char byte = bytes[reader.cut(cut)];
    char expected = delimiters.component;
    if (cut == opening) {
      expected = delimiters.element;
      opening = opening_of(reader, ++element, next.first_element);
    } else if (tape.has_repetitions && byte == tape.repetition_separator) {
      if (!delimiters.repetition) return std::nullopt;
      expected = *delimiters.repetition;
    }
    if (byte != expected) return std::nullopt;
  }
  const std::uint32_t tag_end = reader.cut(first.first_cut);
  const std::uint32_t end = reader.cut(last) + 1;
  if (count_written_specials(tape.bytes.substr(tag_end, end - tag_end), delimiters) != next.first_cut - first.first_cut) {
    return std::nullopt;
  }
  return tape.bytes.substr(tag_end - 3, end - (tag_end - 3));
}

// Kept out of line, so that the arrays' walk is laid out as if it were alone.
[[gnu::noinline]] std::optional<std::string_view> narrow_verbatim(const Tape& tape, SegmentEntry first,
                                                                 SegmentEntry next, const WrittenDelimiters& delimiters) {
  return verbatim_in(tape, NarrowReader{*tape.narrow}, first, next, delimiters);
}

// Takes over the one reference `document` was created with.
Segment adopt(Document* document) {
  Segment segment(document, 0);
  document->release();
  return segment;
}

}  // namespace

const std::shared_ptr<const BuiltSpans>& BuiltSpans::none() {
  static const std::shared_ptr<const BuiltSpans> empty = std::make_shared<const BuiltSpans>();
  return empty;
}

std::string_view Tape::released_text(std::uint32_t value) const {
  const std::size_t word = value / 64;
  const std::uint64_t below = released[word] & ((std::uint64_t{1} << (value % 64)) - 1);
  const std::size_t rank = released_before[word] + static_cast<std::size_t>(__builtin_popcountll(below));
  const std::size_t start = rank == 0 ? 0 : unescaped_ends[rank - 1];
  return std::string_view(unescaped).substr(start, unescaped_ends[rank] - start);
}

std::size_t Tape::characters_through(std::size_t at) const {
  const std::size_t block = std::min(at, bytes.size()) / 64;
  return characters_before[block] + count_leading_bytes(bytes.substr(block * 64, at - block * 64)) +
         (at > bytes.size() ? at - bytes.size() : 0);
}

void Tape::count_characters() {
  characters_before.assign(bytes.size() / 64 + 1, 0);
  std::uint32_t count = 0;
  for (std::size_t block = 0; block < characters_before.size(); ++block) {
    characters_before[block] = count;
    count += static_cast<std::uint32_t>(count_leading_bytes(bytes.substr(std::min(block * 64, bytes.size()), 64)));
  }
}

void Tape::rank_released() {
  released_before.assign(released.size(), 0);
  std::uint32_t count = 0;
  for (std::size_t word = 0; word < released.size(); ++word) {
    released_before[word] = count;
    count += static_cast<std::uint32_t>(__builtin_popcountll(released[word]));
  }
}

void Tape::keep_segments(std::size_t count) {
  if (count > segment_count()) return;
  const SegmentEntry end = segments[count];
  segments.resize(count + 1);
  const bool was_narrow = narrow != nullptr;
  widen();
  cuts.resize(end.first_cut);
  elements.resize(end.first_element);
  if (was_narrow) choose_form();
}

std::uint32_t Tape::narrow_cut(std::size_t k) const { return narrow->cut(k); }

std::uint32_t Tape::narrow_element_opening(std::size_t k) const { return narrow->element_opening(k); }

std::string_view Tape::narrow_text(std::uint32_t value) const {
  const std::uint32_t start = narrow->cut(value - 1) + 1;
  return bytes.substr(start, narrow->cut(value) - start);
}

void Tape::choose_form() {
  // Text decoded from a one-byte repertoire takes up to three bytes a character: the arrays
  // must then also leave the whole within three times the characters read.
  const std::size_t arrays = (cut_count() + element_count()) * sizeof(std::uint32_t);
  const bool decoded_dense = !characters_before.empty() && bytes.size() + arrays > 3 * characters_through(bytes.size());
  if (decoded_dense || dense(cut_count(), element_count(), bytes.size())) {
    to_narrow();
  } else {
    widen();
  }
}

void Tape::to_narrow() {
  if (built() || narrow != nullptr) return;
  NarrowTapeBuilder builder(cuts.size(), elements.size());
  // Parsed elements open at distinct cuts in order; anything else stays as it is.
  if (!builder.add_all(cuts, elements)) return;
  narrow = std::make_shared<const NarrowTape>(std::move(builder).finish());
  // Assigning an empty list would keep the capacity.
  UnzeroedVector<std::uint32_t>().swap(cuts);
  UnzeroedVector<std::uint32_t>().swap(elements);
}

void Tape::widen() {
  if (narrow == nullptr) return;
  const std::shared_ptr<const NarrowTape> held = std::move(narrow);
  narrow = nullptr;
  cuts.resize(held->cut_count());
  for (std::size_t k = 0; k < cuts.size(); ++k) cuts[k] = held->cut(k);
  elements.resize(held->element_count());
  held->openings(elements.data());
}

std::optional<std::string_view> Segment::verbatim(const WrittenDelimiters& delimiters) const& {
  if (document_ == nullptr || document_->built()) return std::nullopt;
  if (document_->narrow != nullptr) [[unlikely]] return narrow_verbatim(*document_, entry(), next_entry(), delimiters);
  return verbatim_in(*document_, ArrayReader{*document_}, entry(), next_entry(), delimiters);
}

Component ComponentList::operator[](std::size_t index) const {
  const auto value = static_cast<std::uint32_t>(opening_cut_ + 1 + index);
  return {document_->text(value), value_span(*document_, value)};
}

bool operator==(const ComponentList& a, const ComponentList& b) { return std::ranges::equal(a, b); }

ComponentList RepetitionList::operator[](std::size_t index) const {
  std::uint32_t opening = first_cut_;
  for (std::size_t skipped = 0; skipped < index;) {
    ++opening;
    if (is_repetition_cut(*document_, opening)) ++skipped;
  }
  std::uint32_t closing = opening + 1;
  while (closing < end_cut_ && !is_repetition_cut(*document_, closing)) ++closing;
  return ComponentList(document_, opening, closing - opening);
}

std::uint32_t RepetitionIterator::closing() const {
  std::uint32_t closing = opening_ + 1;
  while (closing < end_cut_ && !is_repetition_cut(*document_, closing)) ++closing;
  return closing;
}

ComponentList RepetitionIterator::operator*() const { return ComponentList(document_, opening_, closing() - opening_); }

std::uint32_t Element::find_repetition_cut() const {
  for (std::uint32_t cut = opening_cut() + 1; cut < end_cut_; ++cut) {
    if (is_repetition_cut(*document_, cut)) return cut;
  }
  return end_cut_;
}

RepetitionList Element::find_repetitions() const {
  const std::uint32_t first = first_repetition_cut();
  std::uint32_t count = 0;
  for (std::uint32_t cut = first; cut < end_cut_; ++cut) count += is_repetition_cut(*document_, cut) ? 1 : 0;
  return RepetitionList(document_, first, end_cut_, count);
}

Span Element::span() const {
  if (document_ == nullptr) return {};
  if (document_->built()) {
    return built_span(*document_, document_->spans->elements, index_);
  }
  return shifted(*document_, document_->cut(opening_cut()) + std::size_t{1}, document_->cut(end_cut_));
}

OwnedElement Element::into_owned() const {
  OwnedElement owned;
  owned.span = span();
  const ComponentList first = components();
  const RepetitionList later = repetitions();
  for (const Component component : first) owned.component(component.text, component.span);
  if (first.empty() && !later.empty()) owned.component({});
  for (const ComponentList repetition : later) {
    owned.repetition();
    for (const Component component : repetition) owned.component(component.text, component.span);
  }
  return owned;
}

bool operator==(const Element& a, const Element& b) {
  return a.span() == b.span() && a.components() == b.components() &&
         std::ranges::equal(a.repetitions(), b.repetitions());
}

Segment Segment::from_texts(std::string_view tag,
                            std::initializer_list<std::initializer_list<std::string_view>> elements) {
  SegmentBuilder builder(tag);
  for (const auto& texts : elements) builder.element(OwnedElement(texts));
  return builder.build();
}

Span Segment::span() const {
  if (document_ == nullptr) return {};
  if (document_->built()) return built_span(*document_, document_->spans->segments, index_);
  return shifted(*document_, document_->cut(entry().first_cut) - std::size_t{3},
                 document_->cut(next_entry().first_cut - 1) + std::size_t{1});
}

Span Segment::tag_span() const {
  if (document_ == nullptr) return {};
  if (document_->built()) return built_span(*document_, document_->spans->tags, index_);
  const std::size_t tag_end = document_->cut(entry().first_cut);
  return shifted(*document_, tag_end - 3, tag_end);
}

std::expected<std::string_view, error::EdifactError> Segment::required_component(
    std::size_t element_index, std::size_t component_index) const& {
  const ElementList list = elements();
  if (element_index >= list.size()) {
    return std::unexpected(error::EdifactError::missing_element(element_index, std::string(tag())));
  }
  const ComponentList components = list[element_index].components();
  if (component_index < components.size()) {
    const std::string_view text = components[component_index].text;
    if (!text.empty()) return text;
  }
  return std::unexpected(
      error::EdifactError::missing_component(component_index, element_index, std::string(tag())));
}

std::optional<std::string_view> Segment::component_text_by_views(std::size_t element, std::size_t component) const {
  const ElementList list = elements();
  if (element >= list.size()) return std::nullopt;
  const ComponentList components = list[element].components();
  if (component >= components.size()) return std::nullopt;
  return components.text(component);
}

Segment Segment::with_element(std::size_t index, const OwnedElement& element) const {
  return SegmentBuilder(*this).replace_element(index, element).build();
}

Segment Segment::offset(std::size_t delta) && {
  if (delta == 0 || document_ == nullptr) return std::move(*this);
  return adopt(split_off(*document_, index_, delta));
}

Segment Segment::into_owned() && {
  if (document_ == nullptr || document_->holds_bytes()) return std::move(*this);
  return adopt(split_off(*document_, index_, 0));
}

Segment Segment::counted_in_characters(std::size_t start) && {
  if (document_ == nullptr || document_->built()) return std::move(*this);
  Document* part = split_off(*document_, index_, 0);
  part->base = start;
  part->count_characters();
  part->choose_form();
  return adopt(part);
}

bool operator==(const Segment& a, const Segment& b) {
  return a.tag() == b.tag() && a.span() == b.span() && a.tag_span() == b.tag_span() &&
         std::ranges::equal(a.elements(), b.elements());
}

}  // namespace edifact::model
