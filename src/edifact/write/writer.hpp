// Writes EDIFACT segments into a growing byte buffer: separators from the service string
// advice, a release character before every service character inside a value, text encoded into
// the repertoire, and the UNT that closes a message with its segment count.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/charset/charset.hpp"
#include "edifact/error.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/parse/service_string_advice.hpp"

namespace edifact::writer {

// A writer either owns its buffer or appends to one its caller owns.
using OwnedSink = std::string;
using BorrowedSink = std::reference_wrapper<std::string>;

// Serves one message: segments from UNH on (segments before it, such as UNB, are allowed and do
// not count), then `finish_unt`. The advice is not checked; pass one that validates.
//
// What it writes reads back as what it was given. Without a repetition separator in the advice,
// a first UNB of syntax version 4 makes readers split texts at "*" from there on, so "*" is
// released from that UNB on; and a UNA segment at the start of the output would be read as
// service string advice, so it is refused as a tag.
template <class Sink>
class Writer {
 public:
  // Without a repertoire, text is written as its UTF-8 bytes.
  Writer(Sink sink, tokenizer::ServiceStringAdvice advice,
         std::optional<charset::Charset> charset);

  // One segment of simple data elements, each text one escaped value.
  Result<void> write_simple(std::string_view tag, std::span<const std::string_view> elements);
  Result<void> write_simple(std::string_view tag,
                            std::initializer_list<std::string_view> elements) {
    return write_simple(tag, std::span<const std::string_view>(elements.begin(), elements.size()));
  }

  // One segment of composite data elements, each a list of component texts.
  Result<void> write_composites(std::string_view tag,
                                std::span<const std::vector<std::string_view>> elements);
  Result<void> write_composites(
      std::string_view tag,
      std::initializer_list<std::initializer_list<std::string_view>> elements);

  // A parsed or built segment, repetitions included.
  Result<void> write_segment(const model::Segment& segment);

  // One value with release characters inserted.
  Result<void> write_escaped(std::string_view text);

  // Text encoded into the repertoire, not escaped.
  Result<void> write_text(std::string_view text);

  // Writes the UNT (segments from the latest UNH through the UNT itself) and hands back the
  // sink.
  Result<Sink> finish_unt(std::string_view message_reference) &&;

 private:
  std::string& out();
  // Checks a segment's tag before anything of it is written, and settles whether "*" needs a
  // release character from this segment on; `first_element()` gives the first element's texts.
  template <class FirstElement>
  Result<void> begin_segment(std::string_view tag, const FirstElement& first_element);
  // Whether the output so far holds only what readers skip before the first segment.
  bool at_input_start();
  // Called for the first UNB with the texts of its first element.
  template <class Texts>
  void settle_repetition(const Texts& first_element);
  template <class Components>
  Result<void> write_components(const Components& components);
  template <class Elements>
  Result<void> write_composite_segment(std::string_view tag, const Elements& elements);
  void end_segment(std::string_view tag);
  void count_segment(std::string_view tag);
  // `write_segment` without a repertoire: each segment escaped straight into the sink.
  void write_segment_text(const model::Segment& segment);

  Sink sink_;
  tokenizer::ServiceStringAdvice advice_;
  std::optional<charset::Charset> charset_;
  std::size_t segment_count_ = 0;
  std::size_t unh_index_ = 0;
  std::array<bool, 256> needs_release_{};
  bool unb_seen_ = false;
  char also_released_ = 0;  // a byte released though it delimits nothing in the advice
};

extern template class Writer<OwnedSink>;
extern template class Writer<BorrowedSink>;

}  // namespace edifact::writer

namespace edifact {

// The segments in order, with the default service characters and no repertoire, no UNA and no
// line breaks.
Result<std::string> segments_to_bytes(std::span<const model::Segment> segments);

}  // namespace edifact
