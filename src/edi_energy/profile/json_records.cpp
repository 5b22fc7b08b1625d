#include "edi_energy/profile/json_records.hpp"

#include <array>

namespace edi_energy::profile::json::reading {

namespace {

using model::Anwendungsfall;
using model::Code;
using model::Element;
using model::ElementRule;
using model::GroupNode;
using model::Node;
using model::Operand;
using model::Row;
using model::SegmentNode;
using model::Source;

constexpr std::uint32_t bits(std::initializer_list<std::size_t> indices) {
  std::uint32_t mask = 0;
  for (const std::size_t index : indices) mask |= key_bit(index);
  return mask;
}

// Lists grow by doubling while they are read; the records are kept for the whole process, so
// the unused tail would be kept with them.
template <class Item>
Step fitted(Step step, std::vector<Item>& list) {
  if (step == Step::ok) list.shrink_to_fit();
  return step;
}

template <class Item>
Step records(Reader& reader, ondemand::value& field, std::size_t depth, std::vector<Item>& list,
             Step (*read_item)(Reader&, ondemand::value&, std::size_t, Item&)) {
  const Step step = reader.list(field, depth, list, [&](ondemand::value& item, std::size_t item_depth, Item& record) {
    return read_item(reader, item, item_depth, record);
  });
  return fitted(step, list);
}

constexpr std::array<std::string_view, 3> source_keys{"file", "sha256", "title"};
constexpr RecordShape source_shape{source_keys, bits({0}), "struct Source"};

Step read_source(Reader& reader, ondemand::value& value, std::size_t depth, Source& out) {
  return reader.record(value, depth, source_shape, [&](std::size_t index, ondemand::value& field) {
    switch (index) {
      case 0: return reader.string(field, depth + 1, out.file);
      case 1: return reader.optional_string(field, depth + 1, out.sha256);
      default: return reader.optional_string(field, depth + 1, out.title);
    }
  });
}

constexpr std::array<std::string_view, 2> code_keys{"code", "name"};
constexpr RecordShape code_shape{code_keys, bits({0}), "struct Code"};

Step read_code(Reader& reader, ondemand::value& value, std::size_t depth, Code& out) {
  return reader.record(value, depth, code_shape, [&](std::size_t index, ondemand::value& field) {
    return reader.string(field, depth + 1, index == 0 ? out.code : out.name);
  });
}

constexpr std::array<std::string_view, 7> element_keys{"id", "name", "status", "format", "note", "codes", "components"};
constexpr RecordShape element_shape{element_keys, bits({0, 2}), "struct Element"};

Step read_element(Reader& reader, ondemand::value& value, std::size_t depth, Element& out) {
  return reader.record(value, depth, element_shape, [&](std::size_t index, ondemand::value& field) {
    switch (index) {
      case 0: return reader.string(field, depth + 1, out.id);
      case 1: return reader.string(field, depth + 1, out.name);
      case 2: return reader.string(field, depth + 1, out.status);
      case 3: return reader.optional_string(field, depth + 1, out.format);
      case 4: return reader.optional_string(field, depth + 1, out.note);
      case 5:
        return records(reader, field, depth + 1, out.codes, read_code);
      default:
        return records(reader, field, depth + 1, out.components, read_element);
    }
  });
}

Step read_elements(Reader& reader, ondemand::value& value, std::size_t depth, std::vector<Element>& out) {
  return fitted(reader.list(value, depth, out,
                            [&](ondemand::value& item, std::size_t item_depth, Element& element) {
                              return read_element(reader, item, item_depth, element);
                            }),
                out);
}

constexpr std::array<std::string_view, 8> segment_keys{"nr", "tag", "zaehler", "status", "max", "name", "elements", "example"};
constexpr RecordShape segment_shape{segment_keys, bits({0, 1, 3, 4}), "struct SegmentNode"};

Step read_segment(Reader& reader, ondemand::value& value, std::size_t depth, SegmentNode& out) {
  return reader.record(value, depth, segment_shape, [&](std::size_t index, ondemand::value& field) {
    switch (index) {
      case 0: return reader.string(field, depth + 1, out.nr);
      case 1: return reader.string(field, depth + 1, out.tag);
      case 2: return reader.string(field, depth + 1, out.zaehler);
      case 3: return reader.string(field, depth + 1, out.status);
      case 4: return reader.u32(field, depth + 1, out.max);
      case 5: return reader.string(field, depth + 1, out.name);
      case 6: return read_elements(reader, field, depth + 1, out.elements);
      default: return reader.optional_string(field, depth + 1, out.example);
    }
  });
}

// A structure node carries no tag: it is a group when it reads as one, else a segment when it
// reads as one. Both readings are made in the one pass over its fields; the keys of the other
// kind are unknown keys to each reading.
enum NodeKey : std::size_t { group_key, zaehler_key, status_key, max_key, name_key, children_key,
                             nr_key, tag_key, elements_key, example_key };
constexpr std::array<std::string_view, 10> node_keys{"group", "zaehler", "status", "max", "name", "children",
                                                     "nr", "tag", "elements", "example"};
constexpr std::uint32_t group_fields = bits({group_key, zaehler_key, status_key, max_key, name_key, children_key});
constexpr std::uint32_t segment_fields =
    bits({nr_key, tag_key, zaehler_key, status_key, max_key, name_key, elements_key, example_key});
constexpr std::uint32_t group_required = bits({group_key, status_key, max_key, children_key});
constexpr std::uint32_t segment_required = bits({nr_key, tag_key, status_key, max_key});

Step read_node(Reader& reader, ondemand::value& value, std::size_t depth, Node& out);

Step read_nodes(Reader& reader, ondemand::value& value, std::size_t depth, std::vector<Node>& out) {
  return fitted(reader.list(value, depth, out,
                            [&](ondemand::value& item, std::size_t item_depth, Node& node) {
                              return read_node(reader, item, item_depth, node);
                            }),
                out);
}

// Reads tolerantly: a refusal only marks the readings that the field belongs to as failed.
Step read_node(Reader& reader, ondemand::value& value, std::size_t depth, Node& out) {
  ondemand::json_type type;
  if (const auto error = value.type().get(type)) return reader.broken(error);
  if (type != ondemand::json_type::object) {
    return reader.skip(value, depth) == Step::broken ? Step::broken : Step::refused;
  }
  ondemand::object object;
  if (const Step opened = reader.open_object(value, depth, "struct GroupNode", object); opened != Step::ok) {
    return opened;
  }
  GroupNode group;
  SegmentNode segment;
  std::uint32_t seen = 0;
  bool group_failed = false;
  bool segment_failed = false;
  const std::size_t field_depth = depth + 1;
  const Step read = reader.fields(object, [&](std::string_view key, const char*, ondemand::value& field) {
    const std::size_t index = key_index(node_keys, key);
    if (index == unknown_key) return reader.skip(field, field_depth);
    Step step = Step::refused;
    if ((seen & key_bit(index)) != 0) {
      step = reader.skip(field, field_depth) == Step::broken ? Step::broken : Step::refused;
    } else {
      seen |= key_bit(index);
      switch (static_cast<NodeKey>(index)) {
        case group_key: step = reader.string(field, field_depth, group.group); break;
        case zaehler_key: step = reader.string(field, field_depth, group.zaehler); break;
        case status_key: step = reader.string(field, field_depth, group.status); break;
        case max_key: step = reader.u32(field, field_depth, group.max); break;
        case name_key: step = reader.string(field, field_depth, group.name); break;
        case children_key: step = read_nodes(reader, field, field_depth, group.children); break;
        case nr_key: step = reader.string(field, field_depth, segment.nr); break;
        case tag_key: step = reader.string(field, field_depth, segment.tag); break;
        case elements_key: step = read_elements(reader, field, field_depth, segment.elements); break;
        case example_key: step = reader.optional_string(field, field_depth, segment.example); break;
      }
    }
    if (step == Step::broken) return step;
    if (step == Step::refused) {
      group_failed = group_failed || (group_fields & key_bit(index)) != 0;
      segment_failed = segment_failed || (segment_fields & key_bit(index)) != 0;
    }
    return Step::ok;
  });
  if (read != Step::ok) return read;
  if (!group_failed && (seen & group_required) == group_required) {
    out.kind = std::move(group);
    return Step::ok;
  }
  if (!segment_failed && (seen & segment_required) == segment_required) {
    segment.zaehler = std::move(group.zaehler);
    segment.status = std::move(group.status);
    segment.max = group.max;
    segment.name = std::move(group.name);
    out.kind = std::move(segment);
    return Step::ok;
  }
  return Step::refused;
}

// The top level of `structure`: a node that fits neither kind is refused as a whole, placed
// just after its entry.
Step read_structure(Reader& reader, ondemand::value& value, std::size_t depth, std::vector<Node>& out) {
  const Step read = reader.list(value, depth, out, [&](ondemand::value& item, std::size_t item_depth, Node& node) {
    ondemand::json_type type;
    if (const auto error = item.type().get(type)) return reader.broken(error);
    const std::string_view token = Reader::trimmed(item.raw_json_token());
    const bool container = type == ondemand::json_type::object || type == ondemand::json_type::array;
    Step step = Step::ok;
    {
      Reader::TolerantScope tolerant(reader);
      step = read_node(reader, item, item_depth, node);
    }
    if (step != Step::refused) return step;
    const std::size_t end = container ? reader.end_of_container() : reader.offset_of(token) + token.size();
    return reader.refuse("data did not match any variant of untagged enum Node", end);
  });
  return fitted(read, out);
}

constexpr std::array<std::string_view, 2> operand_keys{"operand", "code"};
constexpr RecordShape operand_shape{operand_keys, bits({0}), "struct Operand"};

Step read_operand(Reader& reader, ondemand::value& value, std::size_t depth, Operand& out) {
  return reader.record(value, depth, operand_shape, [&](std::size_t index, ondemand::value& field) {
    return index == 0 ? reader.string(field, depth + 1, out.operand)
                      : reader.optional_string(field, depth + 1, out.code);
  });
}

constexpr std::array<std::string_view, 4> element_rule_keys{"nr", "de", "operands", "occurrence"};
constexpr RecordShape element_rule_shape{element_rule_keys, bits({0, 1, 2}), "struct ElementRule"};

Step read_element_rule(Reader& reader, ondemand::value& value, std::size_t depth, ElementRule& out) {
  return reader.record(value, depth, element_rule_shape, [&](std::size_t index, ondemand::value& field) {
    switch (index) {
      case 0: return reader.string(field, depth + 1, out.nr);
      case 1: return reader.string(field, depth + 1, out.de);
      case 2:
        return records(reader, field, depth + 1, out.operands, read_operand);
      default: return reader.u8(field, depth + 1, out.occurrence);
    }
  });
}

constexpr std::array<std::string_view, 4> row_keys{"status", "nr", "group", "before"};
constexpr RecordShape row_shape{row_keys, bits({0}), "struct Row"};

Step read_row(Reader& reader, ondemand::value& value, std::size_t depth, Row& out) {
  return reader.record(value, depth, row_shape, [&](std::size_t index, ondemand::value& field) {
    switch (index) {
      case 0: return fitted(reader.string_list(field, depth + 1, out.status), out.status);
      case 1: return reader.optional_string(field, depth + 1, out.nr);
      case 2: return reader.optional_string(field, depth + 1, out.group);
      default: return reader.optional_string(field, depth + 1, out.before);
    }
  });
}

constexpr std::array<std::string_view, 6> anwendungsfall_keys{"pid", "name", "chapter", "communication", "rows", "elements"};
constexpr RecordShape anwendungsfall_shape{anwendungsfall_keys, bits({1, 4}), "struct Anwendungsfall"};

Step read_anwendungsfall(Reader& reader, ondemand::value& value, std::size_t depth, Anwendungsfall& out) {
  return reader.record(value, depth, anwendungsfall_shape, [&](std::size_t index, ondemand::value& field) {
    switch (index) {
      case 0: return reader.optional_u32(field, depth + 1, out.pid);
      case 1: return reader.string(field, depth + 1, out.name);
      case 2: return reader.optional_string(field, depth + 1, out.chapter);
      case 3: return reader.optional_string(field, depth + 1, out.communication);
      case 4:
        return records(reader, field, depth + 1, out.rows, read_row);
      default:
        return records(reader, field, depth + 1, out.elements, read_element_rule);
    }
  });
}

constexpr std::array<std::string_view, 13> mig_keys{
    "message_type", "release", "schema_version", "ahb_version", "source", "structure", "envelope",
    "pid_source", "pid_exempt", "valid_from", "valid_until", "publikationsdatum", "track"};
constexpr RecordShape mig_shape{mig_keys, bits({0, 1, 2, 3, 4, 5, 9}), mig_expected};

constexpr std::array<std::string_view, 8> ahb_keys{"message_type", "release", "schema_version", "ahb_version",
                                                   "source", "anwendungsfaelle", "conditions", "packages"};
constexpr RecordShape ahb_shape{ahb_keys, bits({0, 1, 2, 3, 4, 5}), ahb_expected};

}  // namespace

Step read_mig_record(Reader& reader, ondemand::value& root, model::MigProfile& out) {
  constexpr std::size_t depth = 0;
  return reader.record(root, depth, mig_shape, [&](std::size_t index, ondemand::value& field) {
    switch (index) {
      case 0: return reader.string(field, depth + 1, out.message_type);
      case 1: return reader.string(field, depth + 1, out.release);
      case 2: return reader.u32(field, depth + 1, out.schema_version);
      case 3: return reader.string(field, depth + 1, out.ahb_version);
      case 4: return read_source(reader, field, depth + 1, out.source);
      case 5: return read_structure(reader, field, depth + 1, out.structure);
      case 6:
        return reader.list(field, depth + 1, out.envelope,
                           [&](ondemand::value& item, std::size_t item_depth, SegmentNode& segment) {
                             return read_segment(reader, item, item_depth, segment);
                           });
      case 7: return reader.optional_string(field, depth + 1, out.pid_source);
      case 8: return reader.boolean(field, depth + 1, out.pid_exempt);
      case 9: return reader.string(field, depth + 1, out.valid_from);
      case 10: return reader.optional_string(field, depth + 1, out.valid_until);
      case 11: return reader.optional_string(field, depth + 1, out.publikationsdatum);
      default: return reader.optional_string(field, depth + 1, out.track);
    }
  });
}

Step read_ahb_record(Reader& reader, ondemand::value& root, model::AhbProfile& out) {
  constexpr std::size_t depth = 0;
  return reader.record(root, depth, ahb_shape, [&](std::size_t index, ondemand::value& field) {
    switch (index) {
      case 0: return reader.string(field, depth + 1, out.message_type);
      case 1: return reader.string(field, depth + 1, out.release);
      case 2: return reader.u32(field, depth + 1, out.schema_version);
      case 3: return reader.string(field, depth + 1, out.ahb_version);
      case 4: return read_source(reader, field, depth + 1, out.source);
      case 5:
        return records(reader, field, depth + 1, out.anwendungsfaelle, read_anwendungsfall);
      case 6: return reader.text_map(field, depth + 1, out.conditions);
      default: return reader.text_map(field, depth + 1, out.packages);
    }
  });
}

}  // namespace edi_energy::profile::json::reading
