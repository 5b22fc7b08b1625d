// Fuzzes repertoire sniffing and conversion: arbitrary bytes are sniffed, decoded under every
// repertoire and, where they decode, encoded back and written as an escaped value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "edifact/charset/charset.hpp"
#include "edifact/write/writer.hpp"

namespace {

using edifact::charset::Charset;

void require(bool holds) {
  if (!holds) std::abort();
}

bool is_ascii(std::string_view bytes) {
  for (char byte : bytes) {
    if (static_cast<unsigned char>(byte) >= 0x80) return false;
  }
  return true;
}

// Removes the release characters that escaping put in, under the default advice.
std::string unescaped(std::string_view written) {
  std::string value;
  for (std::size_t i = 0; i < written.size(); ++i) {
    if (written[i] == '?' && i + 1 < written.size()) ++i;
    value.push_back(written[i]);
  }
  return value;
}

void check_repertoire(Charset charset, std::string_view input) {
  const auto decoded = edifact::charset::decode(charset, input);
  if (!decoded) {
    require(decoded.error().offset < input.size());
    return;
  }
  const std::string_view text = decoded->view();
  const auto encoded = edifact::charset::encode(charset, text);
  switch (charset) {
    case Charset::Unoa:
    case Charset::Unob:
      // Decoding accepts UTF-8, but only ASCII can be written back.
      require(encoded.has_value() == is_ascii(input));
      if (encoded) require(encoded->view() == input);
      break;
    default:
      // Every other repertoire maps bytes and characters one to one.
      require(encoded.has_value() && encoded->view() == input);
      break;
  }
  if (!encoded) return;

  std::string written;
  edifact::writer::Writer<edifact::writer::BorrowedSink> writer(
      std::ref(written), edifact::tokenizer::ServiceStringAdvice::DEFAULT, charset);
  require(writer.write_escaped(text).has_value());
  require(unescaped(written) == encoded->view());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (const auto sniffed = edifact::charset::sniff_charset(input); !sniffed) {
    (void)sniffed.error().message();
  }
  for (Charset charset : edifact::charset::all_charsets) check_repertoire(charset, input);
  return 0;
}
