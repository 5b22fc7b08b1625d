// Release codes as messages carry them in UNH ("S2.1", "G1.2", "2.4c", "2.2"): their
// classification into forms, the track each form belongs to, and their total order.
#pragma once

#include <compare>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include <fmt/format.h>

namespace edi_energy::release {

// Registry tracks keep electricity and gas profiles of UTILMD apart; the numbers are fixed.
enum class ReleaseTrack : std::uint8_t { Strom = 0, Gas = 1, ThreePart = 2, TwoPart = 3, Opaque = 4 };

struct ReleaseKind {
  // 1.2.3a
  struct ThreePart {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t patch = 0;
    char letter = 'a';
    friend auto operator<=>(const ThreePart&, const ThreePart&) = default;
  };
  // 2.4c
  struct TwoPart {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    char letter = 'a';
    friend auto operator<=>(const TwoPart&, const TwoPart&) = default;
  };
  // S2.1, S2.1a (suffix of either case; no suffix sorts first)
  struct Strom {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::optional<char> suffix;
    friend auto operator<=>(const Strom&, const Strom&) = default;
  };
  // G1.2: the same fields as Strom
  struct Gas {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::optional<char> suffix;
    friend auto operator<=>(const Gas&, const Gas&) = default;
  };
  // Any text that fits none of the forms above, copied whole.
  struct Opaque {
    std::string text;
    friend auto operator<=>(const Opaque&, const Opaque&) = default;
  };

  // The alternatives are in the order in which forms sort, so the variant's own comparison
  // (index first, then fields) is the order of kinds.
  std::variant<ThreePart, TwoPart, Strom, Gas, Opaque> form;

  // Never fails: unclassifiable text is Opaque. Emits nothing.
  static ReleaseKind parse(std::string_view text);

  ReleaseTrack track() const;

  friend auto operator<=>(const ReleaseKind&, const ReleaseKind&) = default;
};

struct TwoNumericWithSuffix {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::optional<char> suffix;
  friend bool operator==(const TwoNumericWithSuffix&, const TwoNumericWithSuffix&) = default;
};

// Reads "2.1" or "2.1e" (the text after the "S" or "G"); nothing when it is neither.
std::optional<TwoNumericWithSuffix> split_two_numeric_with_suffix(std::string_view rest);

// A release code exactly as written (no trimming, no case folding). Copies share the text.
class Release {
 public:
  Release();
  explicit Release(std::string_view text);
  explicit Release(std::string text);
  explicit Release(const char* text) : Release(std::string_view(text)) {}

  std::string_view text() const { return *text_; }

  // Parsed afresh on every call; an Opaque result is reported as a warning event, since it
  // usually means a release convention that this code does not know yet.
  ReleaseKind kind() const;

  // Kind first, then the full texts byte by byte, so only identical texts compare equal.
  std::strong_ordering cmp(const Release& other) const;

  friend std::strong_ordering operator<=>(const Release& a, const Release& b) { return a.cmp(b); }
  friend bool operator==(const Release& a, const Release& b) { return a.text() == b.text(); }

 private:
  std::shared_ptr<const std::string> text_;
};

}  // namespace edi_energy::release

template <>
struct fmt::formatter<edi_energy::release::Release> : fmt::formatter<std::string_view> {
  template <class FormatContext>
  auto format(const edi_energy::release::Release& release, FormatContext& context) const {
    return fmt::formatter<std::string_view>::format(release.text(), context);
  }
};
