// Reading segments from a byte source through a fixed buffer. Each segment is parsed exactly as
// the byte-slice parse would parse it, wherever the buffer happens to end, and is yielded owned,
// with spans and error offsets counted from the first byte of the whole input.
//
// A full buffer goes through the fast parse as one document that holds a copy of its bytes;
// the segment it could not vouch for (one that crosses the buffer's end, or an error) is then
// gathered and parsed on its own by the exact parser, and the next buffer goes fast again.
#pragma once

#include <cstddef>
#include <expected>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/error.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/model/segment_cursor.hpp"
#include "edifact/parse/parser_config.hpp"
#include "edifact/parse/exact_parser.hpp"
#include "edifact/parse/limit_account.hpp"
#include "edifact/parse/service_string_advice.hpp"
#include "edifact/parse/tokenizer.hpp"

namespace edifact::parser {

struct IoError {
  std::string message;
};

// Where the stream's bytes come from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Copies up to `buffer.size()` bytes into the front of `buffer` and returns how many; zero
  // only once the source has ended.
  virtual std::expected<std::size_t, IoError> read(std::span<std::byte> buffer) = 0;
};

// A source over bytes held elsewhere; they must outlive the source.
class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::string_view bytes) : bytes_(bytes) {}
  std::expected<std::size_t, IoError> read(std::span<std::byte> buffer) override;

 private:
  std::string_view bytes_;
};

// Finds the terminator that ends a segment, across as many pieces of input as it takes,
// treating release characters as the tokenizer does: none in the tag, each one making the next
// byte literal after it. Gives up once `limit` bytes were scanned without a terminator.
class TerminatorScan {
 public:
  TerminatorScan(const tokenizer::ByteClasses& classes, std::size_t limit)
      : classes_(classes), limit_(limit) {}

  // Index in `piece` of the terminator, when it lies within the limit.
  std::optional<std::size_t> feed(std::string_view piece);
  bool exhausted() const { return scanned_ >= limit_; }

 private:
  const tokenizer::ByteClasses& classes_;
  std::size_t limit_;
  std::size_t scanned_ = 0;
  bool in_tag_ = true;
  bool release_pending_ = false;
};

class OwnedSegmentStream {
 public:
  static constexpr std::size_t BUFFER_SIZE = 8192;

  OwnedSegmentStream(std::unique_ptr<ByteSource> source, ParserConfig config);

  // The next segment, an error, or nothing at the end. After an error every call yields nothing.
  std::optional<Result<model::Segment>> next();

  // Called with the data elements of the first UNB of a stream without UNA: syntax version 4
  // brings the repetition separator "*". Only the first call has an effect.
  void adopt_syntax_version(model::ElementList unb_elements);

 private:
  enum class Phase { NotStarted, Running, Finished };
  using Item = std::optional<Result<model::Segment>>;

  Item read_item();
  // The next segment of a fast-parsed buffer, parsing one when none is left; nothing when the
  // fast parse vouches for no segment at the read position.
  std::optional<Item> read_fast();
  Result<bool> parse_buffer();
  // Checks the limits, adopts a first UNB's syntax version, counts the segment.
  Item checked(model::Segment segment);
  // Reads the UNA, if the input starts with one, and settles the advice it names.
  Result<void> read_service_string_advice();
  Item read_segment();
  Item finish(EdifactError error);

  // Moves the unread bytes to the buffer's front and reads more behind them; false once the
  // source has ended or the buffer is full.
  Result<bool> refill();
  // Refills until `count` bytes are buffered or the source ends; returns the buffered count.
  Result<std::size_t> fill_at_least(std::size_t count);
  // Steps over whitespace; false when the source ended first.
  Result<bool> skip_whitespace();
  void set_advice(const tokenizer::ServiceStringAdvice& advice);

  std::size_t buffered() const { return fill_ - read_position_; }
  std::string_view unread() const { return {buffer_.data() + read_position_, buffered()}; }
  std::size_t consumed() const { return buffer_offset_ + read_position_; }

  std::unique_ptr<ByteSource> source_;
  ParserConfig config_;
  bool limited_;  // the config sets a limit on segments, messages or bytes
  std::vector<char> buffer_;
  std::size_t read_position_ = 0;
  std::size_t fill_ = 0;
  std::size_t buffer_offset_ = 0;  // offset in the whole input of the buffer's first byte
  bool source_ended_ = false;
  std::string gathered_;  // a segment that crosses the buffer's end
  tokenizer::ServiceStringAdvice advice_;
  tokenizer::ByteClasses classes_;
  std::optional<Parser> parser_;  // reused from segment to segment while the advice holds
  model::SegmentCursor fast_;     // the fast-parsed segments of the last buffer
  std::optional<EdifactError> deferred_error_;  // a read that failed behind those segments
  bool advice_settled_ = false;  // a UNA was read, or the first UNB examined
  Phase phase_ = Phase::NotStarted;
  LimitAccount limits_;
};

}  // namespace edifact::parser
