// A UTILMD message as a builder writes it (no UNA, the default service characters), cut into what
// comes before its first Vorgang, its Vorgänge and its trailer; and one Vorgang of it completed
// alone. Estimating how large a bulk message grows in completion needs no more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "edi_energy/release.hpp"

namespace quorvane_native::edifact {

struct MessageSize {
  std::size_t segments = 0;
  std::size_t bytes = 0;

  MessageSize& operator+=(MessageSize more) {
    segments += more.segments;
    bytes += more.bytes;
    return *this;
  }
};

// What completion added to `own`, `times` over.
MessageSize added(MessageSize completed, MessageSize own, std::size_t times = 1);

// A stretch of the message: bytes [start, end) and the segments in them.
struct Part {
  std::size_t start = 0;
  std::size_t end = 0;
  std::size_t segments = 0;
  std::size_t content = 0;  // a Vorgang's first byte after its IDE

  MessageSize size() const { return {segments, end - start}; }
};

struct Layout {
  Part head;
  std::vector<Part> vorgaenge;
  Part trailer;

  // Head and trailer.
  MessageSize frame() const { return {head.segments + trailer.segments, head.end + trailer.size().bytes}; }
};

// None unless the message ends with its UNT and holds a Vorgang.
std::optional<Layout> layout_of(std::string_view message);

// The sizes completion gives the head and trailer of `built` around `vorgang` alone, and that
// Vorgang; none where completion fails. No verdict of the caller's hears of it.
struct Alone {
  MessageSize frame;
  MessageSize vorgang;
};
std::optional<Alone> completed_alone(std::string_view built, const Layout& layout, const Part& vorgang,
                                     const edi_energy::release::Release& release, std::uint32_t pruefidentifikator);

}  // namespace quorvane_native::edifact
