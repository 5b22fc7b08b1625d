// Fuzzes the segment stream against the byte-slice parse: read in pieces of any size, the stream
// must yield exactly the slice's segments, spans and error, except where the two are meant to
// differ (a cut-off UNA, and the syntax version read from a UNB).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/parse/from_bytes.hpp"
#include "edifact/parse/segment_stream.hpp"

namespace {

using edifact::ParserConfig;
using edifact::model::Segment;
using edifact::parser::ByteSource;
using edifact::parser::IoError;

void require(bool holds) {
  if (!holds) std::abort();
}

class PieceSource final : public ByteSource {
 public:
  PieceSource(std::string_view bytes, std::size_t piece) : bytes_(bytes), piece_(piece) {}
  std::expected<std::size_t, IoError> read(std::span<std::byte> buffer) override {
    const std::size_t count = std::min({buffer.size(), piece_, bytes_.size()});
    if (count > 0) std::memcpy(buffer.data(), bytes_.data(), count);
    bytes_.remove_prefix(count);
    return count;
  }

 private:
  std::string_view bytes_;
  std::size_t piece_;
};

struct Outcome {
  std::vector<Segment> segments;
  std::optional<std::string> error;
  bool operator==(const Outcome&) const = default;
};

template <class Next>
Outcome collect(Next next) {
  Outcome out;
  while (auto item = next()) {
    if (!item->has_value()) {
      out.error = item->error().message();
      require(!next().has_value());
      break;
    }
    out.segments.push_back(std::move(**item).into_owned());
  }
  require(!next().has_value());
  return out;
}

constexpr std::array<std::size_t, 4> PIECES{1, 5, 64, 8192};
constexpr std::array<std::size_t, 4> MAX_SEGMENT_LENGTHS{3, 17, 9000, 65536};

// The stream reports the end of input inside "U", "UN" or a UNA shorter than nine bytes, where
// the slice parse has no UNA and tokenizes a tag.
bool starts_with_cut_una(std::string_view input) {
  const std::size_t start = edifact::tokenizer::skip_bom_and_whitespace(input, 0);
  const std::string_view rest = input.substr(start);
  if (rest.empty() || rest[0] != 'U') return false;
  return rest.size() < 3 || (rest.starts_with("UNA") && rest.size() < 9);
}

bool has_una(std::string_view input) {
  return input.substr(edifact::tokenizer::skip_bom_and_whitespace(input, 0)).starts_with("UNA");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t settings = data[0];
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  ParserConfig config;
  config.max_segment_length = MAX_SEGMENT_LENGTHS[(settings >> 2) & 0x03];
  if (settings & 0x10) config.service_string_advice = edifact::tokenizer::ServiceStringAdvice::DEFAULT;
  if (settings & 0x20) config.max_segments = 7;
  if (settings & 0x40) config.max_input_bytes = input.size() / 2;
  const std::size_t piece = PIECES[settings & 0x03];

  edifact::parser::OwnedSegmentStream stream(std::make_unique<PieceSource>(input, piece), config);
  const Outcome streamed = collect([&] { return stream.next(); });
  for (const Segment& segment : streamed.segments) require(segment.span().end <= input.size());

  // Only the first UNB of a stream without UNA or override sets the syntax version; the slice
  // looks only at a UNB at the very start. Compare where neither can apply.
  const bool advice_alike = config.service_string_advice || has_una(input) ||
                            input.find("UNB") == std::string_view::npos;
  if (!advice_alike || starts_with_cut_una(input)) return 0;
  auto iter = edifact::from_bytes_with_config(input, config);
  require(collect([&] { return iter.next(); }) == streamed);
  return 0;
}
