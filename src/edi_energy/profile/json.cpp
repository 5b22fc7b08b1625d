#include "edi_energy/profile/json.hpp"

#include <string>
#include <utility>

#include <simdjson.h>

#include "edi_energy/profile/json_number.hpp"
#include "edi_energy/profile/json_records.hpp"
#include "edi_energy/profile/json_syntax.hpp"
#include "support/debug_quote.hpp"

namespace edi_energy::profile::json {

namespace {

using reading::Reader;
using reading::Step;
namespace ondemand = simdjson::ondemand;

static_assert(document_padding >= simdjson::SIMDJSON_PADDING);

// The fault of a root that is not an object; nothing after it is looked at. A scalar root
// cannot be handed out as an On-Demand value, so it is described from its token here.
JsonFault root_type_fault(Reader& reader, ondemand::document& parsed, ondemand::json_type type,
                          std::string_view expected) {
  std::string_view token;
  if (parsed.raw_json_token().get(token) != simdjson::SUCCESS) {
    reader.broken();
    return reader.take_fault();
  }
  token = Reader::trimmed(token);
  std::size_t consumed = reader.offset_of(token) + token.size();
  std::string found;
  switch (type) {
    case ondemand::json_type::object:
    case ondemand::json_type::array:
      found = type == ondemand::json_type::array ? "sequence" : "map";
      consumed = reader.offset_of(token);
      break;
    case ondemand::json_type::string: {
      std::string_view text;
      if (parsed.get_string().get(text) == simdjson::SUCCESS) found = "string " + support::debug_quote(text);
      break;
    }
    case ondemand::json_type::number:
      if (const NumberReading number = read_number(token); number.token) found = number.token->describe();
      break;
    case ondemand::json_type::boolean:
      if (token == "true" || token == "false") found = "boolean `" + std::string(token) + "`";
      break;
    case ondemand::json_type::null:
      if (token == "null") found = "null";
      break;
  }
  if (found.empty()) {
    reader.broken();
    return reader.take_fault();
  }
  return JsonFault::at("invalid type: " + found + ", expected " + std::string(expected), reader.document(),
                       consumed);
}

template <class Record, class ReadRecord>
std::expected<Record, JsonFault> read_document(PaddedText document, std::string_view expected,
                                               ReadRecord read_record) {
  // One parser per thread keeps its buffers between documents.
  thread_local ondemand::parser parser;
  ondemand::document parsed;
  const std::string_view text = document.text;
  Reader reader(text, parsed);
  const auto iterated =
      parser.iterate(simdjson::padded_string_view(text.data(), text.size(), text.size() + document_padding))
          .get(parsed);
  if (iterated != simdjson::SUCCESS) {
    reader.broken(iterated);
    return std::unexpected(reader.take_fault());
  }
  ondemand::json_type type;
  if (const auto error = parsed.type().get(type)) {
    reader.broken(error);
    return std::unexpected(reader.take_fault());
  }
  if (type != ondemand::json_type::object) return std::unexpected(root_type_fault(reader, parsed, type, expected));
  ondemand::value root;
  if (const auto error = parsed.get_value().get(root)) {
    reader.broken(error);
    return std::unexpected(reader.take_fault());
  }
  Record record;
  if (read_record(reader, root, record) != Step::ok) return std::unexpected(reader.take_fault());
  const char* trailing = nullptr;
  if (parsed.current_location().get(trailing) == simdjson::SUCCESS) {
    return std::unexpected(JsonFault::at("trailing characters", text, reader.offset_of(trailing) + 1));
  }
  return record;
}

// A copy with the padding that simdjson needs after the text.
std::string padded_copy(std::string_view text) {
  std::string copy;
  copy.reserve(text.size() + document_padding);
  copy.append(text);
  copy.append(document_padding, ' ');
  return copy;
}

PaddedText without_padding(const std::string& copy) {
  return PaddedText{std::string_view(copy).substr(0, copy.size() - document_padding)};
}

}  // namespace

std::expected<model::MigProfile, JsonFault> read_mig(PaddedText document) {
  return read_document<model::MigProfile>(document, reading::mig_expected, reading::read_mig_record);
}

std::expected<model::MigProfile, JsonFault> read_mig(std::string_view document) {
  const std::string copy = padded_copy(document);
  return read_mig(without_padding(copy));
}

std::expected<model::AhbProfile, JsonFault> read_ahb(PaddedText document) {
  return read_document<model::AhbProfile>(document, reading::ahb_expected, reading::read_ahb_record);
}

std::expected<model::AhbProfile, JsonFault> read_ahb(std::string_view document) {
  const std::string copy = padded_copy(document);
  return read_ahb(without_padding(copy));
}

std::expected<DocumentPair, error::ProfileError> read_pair(PaddedText mig, PaddedText ahb) {
  auto mig_record = read_mig(mig);
  if (!mig_record) return std::unexpected(error::ProfileError::invalid_field("mig.json", "", mig_record.error().text()));
  auto ahb_record = read_ahb(ahb);
  if (!ahb_record) return std::unexpected(error::ProfileError::invalid_field("ahb.json", "", ahb_record.error().text()));
  return DocumentPair{std::move(*mig_record), std::move(*ahb_record)};
}

std::expected<DocumentPair, error::ProfileError> read_pair(std::string_view mig, std::string_view ahb) {
  const std::string mig_copy = padded_copy(mig);
  const std::string ahb_copy = padded_copy(ahb);
  return read_pair(without_padding(mig_copy), without_padding(ahb_copy));
}

}  // namespace edi_energy::profile::json
