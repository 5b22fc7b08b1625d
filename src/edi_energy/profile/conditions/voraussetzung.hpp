// The machine-checkable reading of a German Voraussetzung text ("Wenn SG10 CCI+Z19 im Vorgang
// mehr als einmal vorhanden"). Texts of no known shape give nothing, which callers treat as
// undecided. Deciding a reading against a message is the validation context's work; the
// comments say what each variant asks of the segments of its scope.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "edi_energy/profile/conditions/segment_pattern.hpp"

namespace edi_energy::profile::conditions {

// What the value of a data element must look like.
struct ShapeCheck {
  enum class Kind : std::uint8_t {
    Formatbedingung,  // passes the format condition `formatbedingung` ("950", "951", "960", "961")
    Length,           // exactly `length` characters
    Filled,           // not empty
  };

  Kind kind = Kind::Filled;
  std::string formatbedingung;
  std::size_t length = 0;

  friend bool operator==(const ShapeCheck&, const ShapeCheck&) = default;
};

// Which instances of a named group a reading looks at.
enum class Reach : std::uint8_t {
  Around,    // the one around the row: the text says "in dieser SG8", "derselben SG10", "im Vorgang"
  Anywhere,  // the text names the group and nothing more: the one around the row when the text
            // names only segments of that one's variant, else every instance in the one around the
            // row of the lowest group that holds it (at the top: the message)
};

struct Voraussetzung {
  // `group`, in every variant: the segment group whose instances `reach` looks at; absent: the
  // whole message. `companions`: segments the text names beside the one it asks about, which
  // must stand in the same instance.

  // `any`: some pattern matches some segment; otherwise the patterns match distinct segments
  // in chain order, and each of `companions` some segment, all in one instance of `group`.
  // Inverted by `negated`.
  struct Present {
    std::vector<SegmentPattern> chain;  // non-empty
    std::optional<std::string> group;
    bool any = false;
    bool negated = false;
    std::vector<SegmentPattern> companions;
    // Values the text names for the last segment of the chain without saying in which data
    // element ("CAV+ZH9 … der Code 9991000002933"): the profile puts them in the one open value
    // of that segment, and leaves the reading unread where there is no single one.
    std::vector<std::string> codes;
    friend bool operator==(const Present&, const Present&) = default;
  };

  // A segment tagged `tag` (and matching `pattern`, when the text qualifies it) carries one of
  // `values` in data element `de`; with `suffix`, a value of at least two characters that ends
  // with one of them. Inverted by `negated`.
  struct DeValue {
    std::string tag;
    std::string de;  // four digits
    std::vector<std::string> values;  // non-empty
    std::optional<std::string> group;
    bool negated = false;
    bool suffix = false;
    SegmentPattern pattern;  // empty tag: any segment tagged `tag`
    std::vector<SegmentPattern> companions;
    friend bool operator==(const DeValue&, const DeValue&) = default;
  };

  // A segment matching `pattern` carries in `de` a value that passes `check`. Inverted by
  // `negated`.
  struct DeShape {
    ShapeCheck check;
    SegmentPattern pattern;
    std::string de;
    std::optional<std::string> group;
    bool negated = false;
    std::vector<SegmentPattern> companions;
    friend bool operator==(const DeShape&, const DeShape&) = default;
  };

  // More than `more_than` segments match `pattern`, and no more than `at_most` when given.
  struct Count {
    SegmentPattern pattern;
    std::optional<std::string> group;
    std::size_t more_than = 0;
    std::optional<std::size_t> at_most;
    friend bool operator==(const Count&, const Count&) = default;
  };

  std::variant<Present, DeValue, DeShape, Count> shape;
  Reach reach = Reach::Around;

  static std::optional<Voraussetzung> parse(std::string_view text);

  friend bool operator==(const Voraussetzung&, const Voraussetzung&) = default;
};

// The segment per occurrence of which a Wiederholbarkeit condition applies ("Code einmal für
// jede SG5 LOC+Z16").
struct ProSegment {
  SegmentPattern pattern;

  static std::optional<ProSegment> parse(std::string_view text);

  friend bool operator==(const ProSegment&, const ProSegment&) = default;
};

}  // namespace edi_energy::profile::conditions
