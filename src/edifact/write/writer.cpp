#include "edifact/write/writer.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <ranges>

namespace edifact::writer {
namespace {

// Values at least this long are copied as a block when they need no release character.
constexpr std::size_t LONG_VALUE = 32;

bool is_valid_tag(std::string_view tag) {
  return tag.size() == 3 && std::ranges::all_of(tag, [](char c) { return c >= 'A' && c <= 'Z'; });
}

// UNA, UNB and the other service segments; `tag` is a valid one.
bool is_service_tag(std::string_view tag) { return tag[0] == 'U' && tag[1] == 'N'; }

std::string& unwrap(std::string& sink) { return sink; }
std::string& unwrap(BorrowedSink sink) { return sink.get(); }

// The component texts of the first of `elements`, each element a list of component texts.
template <class Elements>
std::span<const std::string_view> first_texts(const Elements& elements) {
  if (std::ranges::empty(elements)) return {};
  const auto& first = *std::ranges::begin(elements);
  return {std::ranges::data(first), std::ranges::size(first)};
}

bool has_repetitions(const model::Segment& segment) {
  return std::ranges::any_of(segment.elements(),
                             [](const model::Element& e) { return !e.repetitions().empty(); });
}

}  // namespace

template <class Sink>
Writer<Sink>::Writer(Sink sink, tokenizer::ServiceStringAdvice advice,
                     std::optional<charset::Charset> charset)
    : sink_(std::move(sink)), advice_(advice), charset_(charset) {
  const auto mark = [&](char byte) { needs_release_[static_cast<unsigned char>(byte)] = true; };
  mark(advice.element_separator);
  mark(advice.component_separator);
  mark(advice.release_character);
  mark(advice.segment_terminator);
  if (advice.has_repetition_separator()) mark(advice.repetition_separator);
}

template <class Sink>
std::string& Writer<Sink>::out() {
  return unwrap(sink_);
}

template <class Sink>
bool Writer<Sink>::at_input_start() {
  const std::string& written = out();
  return tokenizer::skip_bom_and_whitespace(written, 0) == written.size();
}

template <class Sink>
template <class FirstElement>
Result<void> Writer<Sink>::begin_segment(std::string_view tag, const FirstElement& first_element) {
  if (!is_valid_tag(tag)) return std::unexpected(EdifactError::invalid_segment_tag(std::string(tag)));
  if (!is_service_tag(tag)) [[likely]] return {};
  // Readers take a UNA at the start for the service string advice, not for a segment.
  if (tag == "UNA" && at_input_start()) return std::unexpected(EdifactError::invalid_segment_tag(std::string(tag)));
  if (tag == "UNB" && !unb_seen_) settle_repetition(first_element());
  return {};
}

template <class Sink>
template <class Texts>
void Writer<Sink>::settle_repetition(const Texts& first_element) {
  unb_seen_ = true;
  if (advice_.has_repetition_separator() || needs_release_['*']) return;
  // Either reader needs a "4" in the first element to declare version 4.
  std::size_t count = 0;
  bool any_four = false;
  for (const std::string_view text : first_element) {
    ++count;
    any_four = any_four || text.find('4') != std::string_view::npos;
  }
  if (!any_four) return;
  // The segment stream splits at "*" after a first UNB whose version component is "4".
  bool splits = count >= 2 && std::string_view(*std::next(std::ranges::begin(first_element))) == "4";
  // The byte-slice parse splits everywhere when a leading UNB's raw bytes declare version 4,
  // read before any release character is known: ask it about the bytes this UNB begins with.
  const std::string& written = out();
  if (!splits &&
      tokenizer::skip_bom_and_whitespace(written, tokenizer::skip_bom_and_whitespace(written, 0)) == written.size()) {
    std::string probe = written;
    probe += "UNB";
    probe += advice_.element_separator;
    bool first = true;
    for (const std::string_view text : first_element) {
      if (!first) probe += advice_.component_separator;
      first = false;
      for (const char byte : text) {
        if (needs_release_[static_cast<unsigned char>(byte)]) probe += advice_.release_character;
        probe += byte;
      }
    }
    probe += advice_.segment_terminator;
    splits = tokenizer::ServiceStringAdvice::from_bytes_unchecked(probe).repetition_separator == '*';
  }
  if (splits) {
    needs_release_['*'] = true;
    also_released_ = '*';
  }
}

template <class Sink>
Result<void> Writer<Sink>::write_text(std::string_view text) {
  if (!charset_) {
    out().append(text);
    return {};
  }
  return charset::append_encoded(*charset_, text, out());
}

template <class Sink>
Result<void> Writer<Sink>::write_escaped(std::string_view text) {
  std::size_t stretch_start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!needs_release_[static_cast<unsigned char>(text[i])]) continue;
    if (auto written = write_text(text.substr(stretch_start, i - stretch_start)); !written) {
      return written;
    }
    out().push_back(advice_.release_character);
    out().push_back(text[i]);
    stretch_start = i + 1;
  }
  return write_text(text.substr(stretch_start));
}

template <class Sink>
template <class Components>
Result<void> Writer<Sink>::write_components(const Components& components) {
  bool first = true;
  for (std::string_view component : components) {
    if (!first) out().push_back(advice_.component_separator);
    first = false;
    if (auto written = write_escaped(component); !written) return written;
  }
  return {};
}

template <class Sink>
void Writer<Sink>::end_segment(std::string_view tag) {
  out().push_back(advice_.segment_terminator);
  count_segment(tag);
}

template <class Sink>
void Writer<Sink>::count_segment(std::string_view tag) {
  if (tag == "UNH") unh_index_ = segment_count_;
  ++segment_count_;
}

template <class Sink>
Result<void> Writer<Sink>::write_simple(std::string_view tag,
                                        std::span<const std::string_view> elements) {
  if (auto begun = begin_segment(tag, [&] { return elements.first(elements.empty() ? 0 : 1); }); !begun) {
    return begun;
  }
  out().append(tag);
  for (std::string_view element : elements) {
    out().push_back(advice_.element_separator);
    if (auto written = write_escaped(element); !written) return written;
  }
  end_segment(tag);
  return {};
}

template <class Sink>
template <class Elements>
Result<void> Writer<Sink>::write_composite_segment(std::string_view tag, const Elements& elements) {
  if (auto begun = begin_segment(tag, [&] { return first_texts(elements); }); !begun) return begun;
  out().append(tag);
  for (const auto& components : elements) {
    out().push_back(advice_.element_separator);
    if (auto written = write_components(components); !written) return written;
  }
  end_segment(tag);
  return {};
}

template <class Sink>
Result<void> Writer<Sink>::write_composites(
    std::string_view tag, std::span<const std::vector<std::string_view>> elements) {
  return write_composite_segment(tag, elements);
}

template <class Sink>
Result<void> Writer<Sink>::write_composites(
    std::string_view tag, std::initializer_list<std::initializer_list<std::string_view>> elements) {
  return write_composite_segment(tag, elements);
}

template <class Sink>
Result<void> Writer<Sink>::write_segment(const model::Segment& segment) {
  const auto first_element = [&] {
    const model::ElementList elements = segment.elements();
    return (elements.empty() ? model::ComponentList{} : elements.front().components()) |
           std::views::transform([](model::Component component) { return component.text; });
  };
  if (!charset_) {
    // Parsed bytes the writer would give back unchanged hold no repetition it cannot spell.
    const model::WrittenDelimiters delimiters{
        advice_.element_separator, advice_.component_separator,
        advice_.has_repetition_separator() ? std::optional(advice_.repetition_separator) : std::nullopt,
        advice_.segment_terminator, &needs_release_, advice_.release_character, also_released_};
    if (const auto verbatim = segment.verbatim(delimiters)) {
      // Verbatim bytes begin with the tag.
      const std::string_view tag = verbatim->substr(0, 3);
      if (is_valid_tag(tag)) {
        bool unchanged = true;
        if (is_service_tag(tag)) [[unlikely]] {
          const char released_before = also_released_;
          if (auto begun = begin_segment(tag, first_element); !begun) return begun;
          // A "*" in the bytes may need a release character from this UNB on.
          unchanged = also_released_ == released_before;
        }
        if (unchanged) {
          out().append(*verbatim);
          count_segment(tag);
          return {};
        }
      }
    }
  }
  // Checked before the tag, so a repeating element is reported even on a malformed segment.
  if (!advice_.has_repetition_separator() && has_repetitions(segment)) {
    return std::unexpected(EdifactError::no_repetition_separator());
  }
  const std::string_view tag = segment.tag();
  if (auto begun = begin_segment(tag, first_element); !begun) return begun;
  if (!charset_) {
    write_segment_text(segment);
    return {};
  }
  out().append(tag);
  const auto texts = [](const model::ComponentList& list) {
    return list | std::views::transform([](model::Component component) { return component.text; });
  };
  for (const model::Element element : segment.elements()) {
    out().push_back(advice_.element_separator);
    const model::ComponentList components = element.components();
    if (auto written = write_components(texts(components)); !written) return written;
    for (const model::ComponentList repetition : element.repetitions()) {
      out().push_back(advice_.repetition_separator);
      if (auto written = write_components(texts(repetition)); !written) return written;
    }
  }
  end_segment(tag);
  return {};
}

template <class Sink>
void Writer<Sink>::write_segment_text(const model::Segment& segment) {
  const model::ElementList elements = segment.elements();
  const std::size_t bound = segment.size_bound();
  std::string& sink = out();
  const std::size_t before = sink.size();
  sink.resize_and_overwrite(before + bound, [&](char* data, std::size_t) {
    char* at = data + before;
    const auto put_list = [&](const model::ComponentList& list) {
      for (std::size_t index = 0; index < list.size(); ++index) {
        if (index > 0) *at++ = advice_.component_separator;
        const std::string_view text = list.text(index);
        // Values are mostly a few bytes: one pass that copies and escapes beats a check
        // followed by a call to copy. Long ones are checked first and copied as a block.
        if (text.size() >= LONG_VALUE) {
          bool plain = true;
          for (const char byte : text) plain &= !needs_release_[static_cast<unsigned char>(byte)];
          if (plain) {
            at = std::copy(text.begin(), text.end(), at);
            continue;
          }
        }
        for (const char byte : text) {
          if (needs_release_[static_cast<unsigned char>(byte)]) [[unlikely]] *at++ = advice_.release_character;
          *at++ = byte;
        }
      }
    };
    const std::string_view tag = segment.tag();
    at = std::copy(tag.begin(), tag.end(), at);
    for (const model::Element element : elements) {
      *at++ = advice_.element_separator;
      put_list(element.components());
      for (const model::ComponentList repetition : element.repetitions()) {
        *at++ = advice_.repetition_separator;
        put_list(repetition);
      }
    }
    *at++ = advice_.segment_terminator;
    return static_cast<std::size_t>(at - data);
  });
  count_segment(segment.tag());
}

template <class Sink>
Result<Sink> Writer<Sink>::finish_unt(std::string_view message_reference) && {
  const std::size_t count = segment_count_ - unh_index_ + 1;
  std::array<char, 24> digits{};
  const auto [digits_end, status] = std::to_chars(digits.data(), digits.data() + digits.size(), count);
  (void)status;  // a machine word always fits

  out().append("UNT");
  out().push_back(advice_.element_separator);
  if (auto written = write_escaped(std::string_view(digits.data(), digits_end)); !written) {
    return std::unexpected(std::move(written.error()));
  }
  out().push_back(advice_.element_separator);
  if (auto written = write_escaped(message_reference); !written) {
    return std::unexpected(std::move(written.error()));
  }
  out().push_back(advice_.segment_terminator);
  return std::move(sink_);
}

template class Writer<OwnedSink>;
template class Writer<BorrowedSink>;

}  // namespace edifact::writer

namespace edifact {

Result<std::string> segments_to_bytes(std::span<const model::Segment> segments) {
  // Half the bound: about what segments take when few bytes need a release character.
  std::size_t estimate = 0;
  for (const model::Segment& segment : segments) estimate += segment.size_bound() / 2 + 1;
  std::string bytes;
  bytes.reserve(estimate);
  writer::Writer<writer::BorrowedSink> writer(std::ref(bytes),
                                              tokenizer::ServiceStringAdvice::DEFAULT, std::nullopt);
  for (const model::Segment& segment : segments) {
    if (auto written = writer.write_segment(segment); !written) {
      return std::unexpected(std::move(written.error()));
    }
  }
  return bytes;
}

}  // namespace edifact
