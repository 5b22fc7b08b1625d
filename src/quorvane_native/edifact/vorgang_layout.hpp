// A UTILMD message as a builder writes it, by the one cut of its Vorgänge, as stretches of bytes:
// what comes before its first Vorgang, its Vorgänge and its trailer; and one Vorgang of it
// completed alone. Estimating how large a bulk message grows in completion needs no more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
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
struct Stretch {
  std::size_t start = 0;
  std::size_t end = 0;
  std::size_t segments = 0;
  std::size_t content = 0;  // a Vorgang's first byte after its IDE

  MessageSize size() const { return {segments, end - start}; }
};

struct Layout {
  Stretch head;
  std::vector<Stretch> vorgaenge;
  Stretch trailer;

  // Head and trailer.
  MessageSize frame() const { return {head.segments + trailer.segments, head.end + trailer.size().bytes}; }
};

// None unless the message ends with its UNT and holds a Vorgang.
std::optional<Layout> layout_of(std::string_view message);

// `vorgang` of `built` between the head and trailer, completed; none where completion fails. The
// verdict goes to the caller's scope.
std::optional<std::string> completed_alone(std::string_view built, const Layout& layout, const Stretch& vorgang,
                                           const edi_energy::release::Release& release,
                                           std::uint32_t pruefidentifikator);

// The head and trailer of a message of one Vorgang, and that Vorgang; none for any other message.
struct Alone {
  MessageSize frame;
  MessageSize vorgang;
};
std::optional<Alone> sizes_alone(std::string_view message);

}  // namespace quorvane_native::edifact
