// The profile documents in memory: a MIG document (segment and group tree with data elements
// and code lists) and an AHB document (Anwendungsfälle with their status rows, element rules,
// condition texts and Pakete). Plain values that own their texts; read once, never changed.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace edi_energy::profile::model {

// The publication a document was made from.
struct Source {
  std::string file{};
  std::optional<std::string> sha256{};
  std::optional<std::string> title{};

  friend bool operator==(const Source&, const Source&) = default;
};

struct Code {
  std::string code{};
  std::string name{};

  friend bool operator==(const Code&, const Code&) = default;
};

// A simple data element, a composite, or a component of a composite.
struct Element {
  std::string id{};
  std::string name{};
  std::string status{};
  std::optional<std::string> format{};
  std::optional<std::string> note{};
  std::vector<Code> codes{};
  std::vector<Element> components{};

  // Whether the codes form a real code list rather than examples or placeholders.
  bool is_code_list() const;

  friend bool operator==(const Element&, const Element&) = default;
};

struct SegmentNode {
  std::string nr{};
  std::string tag{};
  std::string zaehler{};
  std::string status{};
  std::uint32_t max = 0;
  std::string name{};
  std::vector<Element> elements{};
  std::optional<std::string> example{};

  friend bool operator==(const SegmentNode&, const SegmentNode&) = default;
};

struct Node;

struct GroupNode {
  std::string group{};
  std::string zaehler{};
  std::string status{};
  std::uint32_t max = 0;
  std::string name{};
  std::vector<Node> children;  // no initializer: clang would need Node complete here

  friend bool operator==(const GroupNode&, const GroupNode&) = default;
};

// One entry of a MIG tree: a segment group or a segment.
struct Node {
  std::variant<GroupNode, SegmentNode> kind{};

  const GroupNode* group() const { return std::get_if<GroupNode>(&kind); }
  const SegmentNode* segment() const { return std::get_if<SegmentNode>(&kind); }

  friend bool operator==(const Node&, const Node&) = default;
};

// The MIG document root.
struct MigProfile {
  std::string message_type{};
  std::string release{};
  std::uint32_t schema_version = 0;
  std::string ahb_version{};
  Source source{};
  std::vector<Node> structure{};
  std::vector<SegmentNode> envelope{};
  std::optional<std::string> pid_source{};
  bool pid_exempt = false;
  std::string valid_from{};
  std::optional<std::string> valid_until{};
  std::optional<std::string> publikationsdatum{};
  std::optional<std::string> track{};

  friend bool operator==(const MigProfile&, const MigProfile&) = default;
};

struct Operand {
  std::string operand{};
  std::optional<std::string> code{};

  friend bool operator==(const Operand&, const Operand&) = default;
};

// The rule of one data element of one segment within an Anwendungsfall.
struct ElementRule {
  std::string nr{};
  std::string de{};
  std::vector<Operand> operands{};
  // Tells apart same-id elements of one segment; 0 when the document gives none.
  std::uint8_t occurrence = 0;

  friend bool operator==(const ElementRule&, const ElementRule&) = default;
};

// A status row: a segment row carries `nr`, a group row `group` and `before`.
struct Row {
  std::vector<std::string> status{};
  std::optional<std::string> nr{};
  std::optional<std::string> group{};
  std::optional<std::string> before{};

  friend bool operator==(const Row&, const Row&) = default;
};

struct Anwendungsfall {
  std::optional<std::uint32_t> pid{};
  std::string name{};
  std::optional<std::string> chapter{};
  std::optional<std::string> communication{};
  std::vector<Row> rows{};
  std::vector<ElementRule> elements{};

  // The status cells of the first row for segment `nr` (compared exactly), or nullptr when no
  // row names it; an empty list is a row without cells, not an absent row.
  const std::vector<std::string>* segment_status(std::string_view nr) const;

  friend bool operator==(const Anwendungsfall&, const Anwendungsfall&) = default;
};

// Condition numbers and Paket names to their texts, ordered by key bytes ("10" before "2").
using TextMap = std::map<std::string, std::string, std::less<>>;

// The AHB document root.
struct AhbProfile {
  std::string message_type{};
  std::string release{};
  std::uint32_t schema_version = 0;
  std::string ahb_version{};
  Source source{};
  std::vector<Anwendungsfall> anwendungsfaelle{};
  TextMap conditions{};
  TextMap packages{};

  friend bool operator==(const AhbProfile&, const AhbProfile&) = default;
};

}  // namespace edi_energy::profile::model
