#include "edi_energy/builders/message_writer.hpp"

#include <optional>
#include <utility>

namespace edi_energy::builders {
namespace {

Result<void> wrapped(edifact::Result<void> written) {
  if (!written) return std::unexpected(Error::edifact_parse(std::move(written.error())));
  return {};
}

}  // namespace

Result<MessageWriter> MessageWriter::open(std::string_view message_reference, std::string_view message_type,
                                          std::string_view directory, std::string_view release) {
  MessageWriter writer(edifact::writer::Writer<edifact::writer::OwnedSink>(
      std::string(), edifact::tokenizer::ServiceStringAdvice::DEFAULT, std::nullopt));
  if (auto written = writer.composites("UNH", {{message_reference}, {message_type, "D", directory, "UN", release}});
      !written) {
    return std::unexpected(std::move(written.error()));
  }
  writer.sources_.push_back(Source{0, 0, std::nullopt, "message_reference"});
  return writer;
}

void MessageWriter::by(std::string field) {
  pending_.push_back(Source{0, std::nullopt, std::nullopt, std::move(field)});
}

void MessageWriter::by(std::size_t element, std::string field) {
  pending_.push_back(Source{0, element, std::nullopt, std::move(field)});
}

void MessageWriter::by(std::size_t element, std::size_t component, std::string field) {
  pending_.push_back(Source{0, element, component, std::move(field)});
}

Result<void> MessageWriter::sourced(Result<void> written) {
  if (written) {
    for (auto& source : pending_) {
      source.segment = segments_;
      sources_.push_back(std::move(source));
    }
    ++segments_;
  }
  pending_.clear();
  return written;
}

Result<void> MessageWriter::simple(std::string_view tag, std::initializer_list<std::string_view> elements) {
  return sourced(wrapped(writer_.write_simple(tag, elements)));
}

Result<void> MessageWriter::simple(std::string_view tag, std::span<const std::string_view> elements) {
  return sourced(wrapped(writer_.write_simple(tag, elements)));
}

Result<void> MessageWriter::composites(std::string_view tag,
                                       std::initializer_list<std::initializer_list<std::string_view>> elements) {
  return sourced(wrapped(writer_.write_composites(tag, elements)));
}

Result<void> MessageWriter::composites(std::string_view tag, std::span<const Components> elements) {
  return sourced(wrapped(writer_.write_composites(tag, elements)));
}

Result<Written> MessageWriter::finish(std::string_view message_reference) && {
  auto bytes = std::move(writer_).finish_unt(message_reference);
  if (!bytes) return std::unexpected(Error::edifact_parse(std::move(bytes.error())));
  return Written{std::move(*bytes), std::move(sources_)};
}

}  // namespace edi_energy::builders
