// The heap a platform parse takes for inputs dense in delimiters or in characters that decode
// to more bytes, bounded by a multiple of the input. This binary replaces operator new to count.
#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <ostream>
#include <string>

#include "edi_energy/platform/input_segments.hpp"

namespace {

std::atomic<std::size_t> live{0};
std::atomic<std::size_t> peak{0};

void* counted(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  const std::size_t now = live.fetch_add(malloc_usable_size(block)) + malloc_usable_size(block);
  std::size_t high = peak.load();
  while (now > high && !peak.compare_exchange_weak(high, now)) {
  }
  return block;
}

void uncounted(void* block) {
  if (block == nullptr) return;
  live.fetch_sub(malloc_usable_size(block));
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return counted(size); }
void* operator new[](std::size_t size) { return counted(size); }
void operator delete(void* block) noexcept { uncounted(block); }
void operator delete[](void* block) noexcept { uncounted(block); }
void operator delete(void* block, std::size_t) noexcept { uncounted(block); }
void operator delete[](void* block, std::size_t) noexcept { uncounted(block); }

namespace {

struct Shape {
  const char* name;
  std::string fill;
  double most;  // peak heap over input bytes
};

void PrintTo(const Shape& shape, std::ostream* out) { *out << shape.name; }

// A UNOC interchange of long free-text segments made of `fill`, about 1.2 MB.
std::string interchange(const std::string& fill) {
  std::string text = "UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1200+REF1'"
                     "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01+D'";
  std::string body;
  for (std::size_t k = 0; k < 60'000 / fill.size(); ++k) body += fill;
  for (int segment = 0; segment < 20; ++segment) text += "FTX+ACB+++" + body + "'";
  return text + "UNT+23+1'UNZ+1+REF1'";
}

class InputSegmentsHeap : public testing::TestWithParam<Shape> {};

TEST_P(InputSegmentsHeap, StaysWithinAMultipleOfTheInput) {
  const std::string raw = interchange(GetParam().fill);
  // Whatever is built once per process is built before counting.
  ASSERT_TRUE(edi_energy::platform::input_segments(raw.substr(0, raw.find("UNH"))));
  const std::size_t before = live.load();
  peak.store(before);
  {
    auto segments = edi_energy::platform::input_segments(raw);
    ASSERT_TRUE(segments) << segments.error().message();
    ASSERT_EQ(segments->size(), 25U);
    // The free texts came through whole.
    const auto text = (*segments)[3].elements()[3].components();
    EXPECT_GT(text.size(), 0U);
  }
  const double ratio = static_cast<double>(peak.load() - before) / static_cast<double>(raw.size());
  EXPECT_LE(ratio, GetParam().most) << GetParam().name;
  EXPECT_LE(live.load(), before + 4096) << "the parse left blocks behind";
}

// Bounds a little above today's counts, which include the blocks' unused capacity. Documents
// dense in delimiters keep about two bytes per cut and a bit per element; decoded text counts
// as dense once it and its arrays would outweigh three bytes per character read.
INSTANTIATE_TEST_SUITE_P(Shapes, InputSegmentsHeap,
                         testing::Values(Shape{"letters", "x", 1.5}, Shape{"umlauts", "\xE4", 3.0},
                                         Shape{"released umlauts", "?\xE4", 3.5},
                                         Shape{"components", ":", 3.5},
                                         Shape{"elements", "+", 3.5},
                                         Shape{"components and umlauts", ":\xE4", 3.5},
                                         Shape{"elements and umlauts", "+\xE4", 3.25},
                                         Shape{"umlauts beside both separators", "\xE4\xE4+:", 3.25}),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           std::ranges::replace(name, ' ', '_');
                           return name;
                         });

}  // namespace
