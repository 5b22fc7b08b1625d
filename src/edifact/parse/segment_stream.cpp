#include "edifact/parse/segment_stream.hpp"

#include <algorithm>
#include <cstring>

#include "edifact/parse/tape_parse.hpp"
#include "support/internal_fault.hpp"

namespace edifact::parser {
namespace {

using tokenizer::BYTE_ORDER_MARK;
using tokenizer::ByteClass;
using tokenizer::saturating_add;
using tokenizer::ServiceStringAdvice;

// Offsets found in a piece of input, made offsets in the whole input.
EdifactError shifted(EdifactError error, std::size_t delta) {
  if (error.kind != EdifactError::Kind::InvalidSegmentTag) {
    error.offset = saturating_add(error.offset, delta);
  }
  return error;
}

}  // namespace

std::expected<std::size_t, IoError> MemoryByteSource::read(std::span<std::byte> buffer) {
  const std::size_t count = std::min(buffer.size(), bytes_.size());
  if (count > 0) std::memcpy(buffer.data(), bytes_.data(), count);
  bytes_.remove_prefix(count);
  return count;
}

std::optional<std::size_t> TerminatorScan::feed(std::string_view piece) {
  const std::size_t count = std::min(piece.size(), limit_ - scanned_);
  for (std::size_t i = 0; i < count; ++i) {
    if (release_pending_) {
      release_pending_ = false;
      continue;
    }
    const ByteClass kind = classes_[piece[i]];
    if (kind == ByteClass::SegmentTerminator) return i;
    if (in_tag_) {
      in_tag_ = kind != ByteClass::ElementSeparator;
    } else if (kind == ByteClass::Release) {
      release_pending_ = true;
    }
  }
  scanned_ += count;
  return std::nullopt;
}

OwnedSegmentStream::OwnedSegmentStream(std::unique_ptr<ByteSource> source, ParserConfig config)
    : source_(std::move(source)),
      config_(std::move(config)),
      limited_(config_.max_segments || config_.max_messages || config_.max_input_bytes),
      buffer_(BUFFER_SIZE),
      advice_(config_.service_string_advice.value_or(ServiceStringAdvice::DEFAULT)),
      classes_(advice_) {}

void OwnedSegmentStream::set_advice(const ServiceStringAdvice& advice) {
  advice_ = advice;
  classes_ = tokenizer::ByteClasses(advice_);
}

void OwnedSegmentStream::adopt_syntax_version(model::ElementList unb_elements) {
  if (advice_settled_) return;
  advice_settled_ = true;
  if (unb_elements.empty()) return;
  const model::ComponentList identifier = unb_elements.front().components();
  if (identifier.size() >= 2 && identifier[1].text == "4") {
    ServiceStringAdvice advice = advice_;
    advice.repetition_separator = '*';
    set_advice(advice);
  }
}

Result<bool> OwnedSegmentStream::refill() {
  if (read_position_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + read_position_, buffered());
    buffer_offset_ += read_position_;
    fill_ -= read_position_;
    read_position_ = 0;
  }
  if (source_ended_ || fill_ == buffer_.size()) return false;
  auto read = source_->read(std::as_writable_bytes(std::span(buffer_).subspan(fill_)));
  if (!read) return std::unexpected(EdifactError::io(std::move(read.error().message)));
  if (*read == 0) {
    source_ended_ = true;
    return false;
  }
  fill_ += std::min(*read, buffer_.size() - fill_);
  return true;
}

Result<std::size_t> OwnedSegmentStream::fill_at_least(std::size_t count) {
  while (buffered() < count) {
    auto more = refill();
    if (!more) return std::unexpected(std::move(more.error()));
    if (!*more) break;
  }
  return buffered();
}

Result<bool> OwnedSegmentStream::skip_whitespace() {
  for (;;) {
    while (read_position_ < fill_ && tokenizer::is_segment_whitespace(buffer_[read_position_])) {
      ++read_position_;
    }
    if (read_position_ < fill_) return true;
    auto more = refill();
    if (!more) return std::unexpected(std::move(more.error()));
    if (!*more) return false;
  }
}

OwnedSegmentStream::Item OwnedSegmentStream::finish(EdifactError error) {
  phase_ = Phase::Finished;
  return std::unexpected(std::move(error));
}

std::optional<Result<model::Segment>> OwnedSegmentStream::next() {
  // A fast-parsed segment under no limit, once the advice is settled, needs no check at all.
  if (phase_ == Phase::Running && !fast_.done() && !limited_ &&
      (advice_settled_ || config_.service_string_advice)) [[likely]] {
    return fast_.next();
  }
  if (phase_ == Phase::Finished) return std::nullopt;
  return read_item();
}

OwnedSegmentStream::Item OwnedSegmentStream::read_item() {
  if (phase_ == Phase::NotStarted) {
    if (auto advice = read_service_string_advice(); !advice) return finish(std::move(advice.error()));
  }
  if (std::optional<Item> fast = read_fast()) return std::move(*fast);
  auto more = skip_whitespace();
  if (!more) return finish(std::move(more.error()));
  if (!*more) return std::nullopt;
  phase_ = Phase::Running;

  Item item = read_segment();
  if (!item || !item->has_value()) {
    if (item) phase_ = Phase::Finished;
    return item;
  }
  return checked(std::move(**item));
}

OwnedSegmentStream::Item OwnedSegmentStream::checked(model::Segment segment) {
  const bool limited = limited_;
  if (limited) {
    if (auto allowed = limits_.check(config_, segment.tag(), segment.span().end); !allowed) {
      return finish(std::move(allowed.error()));
    }
  }
  // An override governs throughout, as it does in the byte-slice parse.
  if (!advice_settled_ && !config_.service_string_advice && segment.tag() == "UNB") {
    adopt_syntax_version(segment.elements());
  }
  if (limited) limits_.account(segment.tag());
  return segment;
}

std::optional<OwnedSegmentStream::Item> OwnedSegmentStream::read_fast() {
  if (fast_.done()) {
    auto parsed = parse_buffer();
    if (!parsed) return finish(std::move(parsed.error()));
    if (!*parsed) return std::nullopt;
  }
  phase_ = Phase::Running;
  return checked(fast_.next());
}

Result<bool> OwnedSegmentStream::parse_buffer() {
  if (deferred_error_) return std::unexpected(*std::exchange(deferred_error_, std::nullopt));
  // A failing source fails only after the segments read before the failure.
  if (auto filled = fill_at_least(buffer_.size()); !filled) {
    if (buffered() == 0) return std::unexpected(std::move(filled.error()));
    deferred_error_ = std::move(filled.error());
  }
  if (buffered() == 0) return false;
  std::string bytes(unread());
  parser::TapeParse parsed = parse_tape(bytes, 0, advice_, config_.max_segment_length);
  model::Document* document = parsed.document;
  // A first UNB may change the advice for every segment after it.
  if (!advice_settled_ && !config_.service_string_advice) {
    for (std::uint32_t index = 0; index < document->segment_count(); ++index) {
      if (const model::Segment segment(document, index); segment.tag() == "UNB") {
        document->keep_segments(index + 1);
        break;
      }
    }
  }
  const std::size_t count = document->segment_count();
  if (count == 0) {
    document->release();
    if (deferred_error_) return std::unexpected(*std::exchange(deferred_error_, std::nullopt));
    return false;
  }
  const std::size_t end = document->cut(document->segments[count].first_cut - 1) + std::size_t{1};
  document->hold(std::move(bytes));
  document->base = consumed();
  read_position_ += end;
  fast_ = model::SegmentCursor(document);
  return true;
}

Result<void> OwnedSegmentStream::read_service_string_advice() {
  auto start = fill_at_least(BYTE_ORDER_MARK.size());
  if (!start) return std::unexpected(std::move(start.error()));
  if (unread().starts_with(BYTE_ORDER_MARK)) read_position_ += BYTE_ORDER_MARK.size();
  auto more = skip_whitespace();
  if (!more) return std::unexpected(std::move(more.error()));
  if (!*more || buffer_[read_position_] != 'U') return {};

  auto tag = fill_at_least(3);
  if (!tag) return std::unexpected(std::move(tag.error()));
  if (*tag < 3) return std::unexpected(EdifactError::unexpected_eof(buffer_offset_ + fill_));
  if (!unread().starts_with("UNA")) return {};
  auto una = fill_at_least(tokenizer::UNA_LENGTH);
  if (!una) return std::unexpected(std::move(una.error()));
  if (*una < tokenizer::UNA_LENGTH) {
    return std::unexpected(EdifactError::unexpected_eof(buffer_offset_ + fill_));
  }
  const auto read = ServiceStringAdvice::from_una_characters(unread().substr(3, 6));
  read_position_ += tokenizer::UNA_LENGTH;
  if (auto valid = read.validate(); !valid) return valid;
  if (!config_.service_string_advice) set_advice(read);
  advice_settled_ = true;
  phase_ = Phase::Running;
  return {};
}

OwnedSegmentStream::Item OwnedSegmentStream::read_segment() {
  const std::size_t segment_start = consumed();
  // The tokenizer looks at most this many bytes of a segment for its terminator, and at one byte
  // more to tell an overlong segment; handing it that much lets it report exactly what the
  // byte-slice parse reports.
  const std::size_t scan_limit = saturating_add(config_.max_segment_length, 1);
  const std::size_t enough = saturating_add(scan_limit, 1);
  TerminatorScan scan(classes_, scan_limit);

  std::optional<std::size_t> terminator = scan.feed(unread());
  const auto complete = [&](std::size_t have) {
    return terminator || (scan.exhausted() && have >= enough) || source_ended_;
  };
  const bool in_place = complete(buffered());
  if (!in_place) {
    // The segment crosses the buffer's end: gather it piece by piece.
    gathered_.assign(unread());
    read_position_ = fill_;
    while (!complete(gathered_.size())) {
      auto more = refill();
      if (!more) return std::unexpected(std::move(more.error()));
      if (!*more) break;
      const std::string_view piece = unread();
      const std::size_t before = gathered_.size();
      if (!scan.exhausted()) terminator = scan.feed(piece);
      if (terminator) {
        gathered_.append(piece.substr(0, *terminator + 1));
        read_position_ += *terminator + 1;
        terminator = before + *terminator;
      } else {
        gathered_.append(piece);
        read_position_ = fill_;
      }
    }
  }
  std::string_view bytes = in_place ? unread() : std::string_view(gathered_);
  bytes = bytes.substr(0, terminator ? *terminator + 1 : enough);

  if (!parser_ || parser_->advice() != advice_) {
    parser_.emplace(bytes, 0, advice_, config_.max_segment_length);
  } else {
    parser_->restart(bytes, 0);
  }
  // Owned from the start: the bytes live in the stream's buffer only until the next refill.
  auto item = parser_->next_owned(segment_start);
  if (!item) throw support::InternalFault("a segment's bytes parsed to nothing");
  if (!item->has_value()) return std::unexpected(shifted(std::move(item->error()), segment_start));
  if (!terminator || (**item).span().end != saturating_add(segment_start, bytes.size())) {
    throw support::InternalFault("the stream's terminator differs from the parser's");
  }
  if (in_place) read_position_ += bytes.size();
  return item;
}

}  // namespace edifact::parser
