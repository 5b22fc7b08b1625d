#include "quorvane_native/edifact/build_check.hpp"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edi_energy/report/findings_cap.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"
#include "quorvane_native/edifact/input_classes.hpp"

namespace quorvane_native::edifact {

namespace {

bool is_item_list(PyObject* object) {
  if (PyList_Check(object)) return true;
  // A tuple of texts is one value (a status pair); a tuple of pairs or instances lists items.
  return PyTuple_Check(object) && PyTuple_Size(object) > 0 && !PyUnicode_Check(PyTuple_GetItem(object, 0));
}

// A list of the items of `list` without those in [from, to), or with item `from` replaced by
// `replacement` when one is given.
py::Result list_without(PyObject* list, Py_ssize_t from, Py_ssize_t to, PyObject* replacement = nullptr) {
  const Py_ssize_t count = PySequence_Size(list);
  if (count < 0) return py::raised();
  py::Object copy(PyList_New(0));
  if (!copy) return py::raised();
  for (Py_ssize_t index = 0; index < count; ++index) {
    py::Object item(PySequence_GetItem(list, index));
    if (!item) return py::raised();
    PyObject* kept = index < from || index >= to ? item.get() : replacement;
    if (kept != nullptr && PyList_Append(copy.get(), kept) < 0) return py::raised();
  }
  return copy;
}

using FaultCounts = std::map<std::string, std::size_t, std::less<>>;

FaultCounts counts_of(const ColumnVerdict& verdict) {
  FaultCounts counts;
  for (const auto& rejection : verdict.rejections) ++counts[rejection.key];
  return counts;
}

// One build with values left out: whether it built, and which of the first build's faults it no
// longer has, in the order the column reported them (the count of a fault's key drops when an
// instance at fault is gone).
struct Trial {
  bool built = false;
  std::vector<const Rejection*> gone;
};

// A value named at fault, and the column's finding it takes away.
struct Named {
  std::string label;
  std::string finding;
};

class LeaveOutSearch {
 public:
  // `targets`: the faults of the verdict a value left out may take away.
  LeaveOutSearch(py::Result (*body)(py::Args), py::Args args, const ColumnVerdict& verdict,
                 std::vector<const Rejection*> targets)
      : body_(body), args_(args), verdict_(verdict), faults_(counts_of(verdict)), targets_(std::move(targets)) {
    for (std::size_t index = 0; index < args.size(); ++index) slots_.push_back(args[index].object);
  }

  // The first argument in order whose items, values or self take a fault away when left out.
  py::Expected<std::optional<Named>> run() {
    for (std::size_t slot = 0; slot < args_.size(); ++slot) {
      const py::Arg arg = args_[slot];
      if (arg.omitted() || !arg.parameter->has_default || arg.object == Py_None) continue;
      if (chooses_column(arg.name())) continue;
      auto whole = attempt(slot, nullptr);
      if (!whole) return py::propagate(whole);
      // An item or value within the argument is named before the argument; an argument whose
      // absence makes the build fail for another reason still has its items looked at.
      if (is_item_list(arg.object)) {
        auto named = within_list(slot, takes_away(*whole));
        if (!named || *named) return named;
      }
      if (takes_away(*whole)) return named_by(std::string(arg.name()), *whole);
    }
    return std::nullopt;
  }

 private:
  // The call with slot `slot` holding `value` (null: left out).
  py::Expected<Trial> attempt(std::size_t slot, PyObject* value) {
    std::vector<PyObject*> slots = slots_;
    slots[slot] = value;
    ColumnVerdict without;
    const VerdictScope scope(without);
    // A call the build refuses for another reason says nothing about the fault.
    if (!body_(py::Args(std::span<PyObject* const>(slots), args_.signature()))) return Trial{};
    Trial trial{.built = true, .gone = {}};
    const FaultCounts remaining = counts_of(without);
    for (const Rejection* rejection : targets_) {
      const auto left = remaining.find(rejection->key);
      if (left == remaining.end() || left->second < faults_.at(rejection->key)) trial.gone.push_back(rejection);
    }
    return trial;
  }

  py::Expected<Trial> attempt_without(std::size_t slot, Py_ssize_t from, Py_ssize_t to,
                                      PyObject* replacement = nullptr) {
    auto list = list_without(slots_[slot], from, to, replacement);
    if (!list) return py::propagate(list);
    return attempt(slot, list->get());
  }

  // Completion that found no place for a segment is gone as soon as the call builds.
  bool takes_away(const Trial& trial) const {
    return trial.built && (verdict_.unplaced.has_value() || !trial.gone.empty());
  }

  Named named_by(std::string label, const Trial& trial) const {
    return Named{std::move(label), verdict_.unplaced ? *verdict_.unplaced : trial.gone.front()->text};
  }

  // Halves the list down to its first item at fault: a half whose absence takes a fault away holds
  // one. Where that is known of a range (`at_fault`: of the whole list), a left half that builds and
  // takes nothing away leaves the right half without a build of its own.
  py::Expected<std::optional<Named>> within_list(std::size_t slot, bool at_fault) {
    const Py_ssize_t count = PySequence_Size(slots_[slot]);
    if (count < 0) return py::raised();
    if (count == 0) return std::nullopt;
    Py_ssize_t from = 0;
    Py_ssize_t to = count;
    std::optional<Trial> known;  // the build without exactly [from, to), when one was made
    while (to - from > 1) {
      const Py_ssize_t middle = from + (to - from) / 2;
      auto left = attempt_without(slot, from, middle);
      if (!left) return py::propagate(left);
      if (takes_away(*left)) {
        to = middle;
        at_fault = true;
        known = std::move(*left);
        continue;
      }
      known.reset();
      if (at_fault && left->built) {
        from = middle;
        continue;
      }
      auto right = attempt_without(slot, middle, to);
      if (!right) return py::propagate(right);
      if (!takes_away(*right)) return std::nullopt;
      from = middle;
      at_fault = true;
      known = std::move(*right);
    }
    return within_item(slot, from, std::move(known));
  }

  // The item's own values first, then the item; a required value of it (a Vorgangsnummer) cannot
  // be left out and is named when the faulty data element holds exactly its text.
  py::Expected<std::optional<Named>> within_item(std::size_t slot, Py_ssize_t at, std::optional<Trial> known) {
    const std::string_view name = args_[slot].name();
    py::Object item(PySequence_GetItem(slots_[slot], at));
    if (!item) return py::raised();
    auto copies = without_each_value(item.get());
    if (!copies) return py::propagate(copies);
    for (auto& [field, copy] : *copies) {
      auto trial = attempt_without(slot, at, at + 1, copy.get());
      if (!trial) return py::propagate(trial);
      if (takes_away(*trial)) return named_by(fmt::format("{}[{}].{}", name, at, field), *trial);
    }
    if (!known) {
      auto trial = attempt_without(slot, at, at + 1);
      if (!trial) return py::propagate(trial);
      known = std::move(*trial);
    }
    if (!takes_away(*known)) return std::nullopt;
    auto required = required_texts(item.get());
    if (!required) return py::propagate(required);
    for (const auto& [field, text] : *required) {
      for (const Rejection* rejection : known->gone) {
        if (rejection->value == text) return Named{fmt::format("{}[{}].{}", name, at, field), rejection->text};
      }
    }
    return named_by(fmt::format("{}[{}]", name, at), *known);
  }

  py::Result (*body_)(py::Args);
  py::Args args_;
  const ColumnVerdict& verdict_;
  const FaultCounts faults_;
  const std::vector<const Rejection*> targets_;
  std::vector<PyObject*> slots_;
};

py::Failure refused(std::string_view label, const ColumnVerdict& verdict, std::string_view fault) {
  return py::value_error(fmt::format("{}: the column of {} does not admit what it writes — {}", label,
                                     verdict.column, fault));
}

// The parties' agencies (DE 3055) as the kinds of ID they issue.
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> agencies{{
    {"293", "BDEW IDs (agency 293)"},
    {"332", "DVGW IDs (agency 332)"},
    {"9", "GS1 IDs (agency 9)"},
    {"305", "EIC codes (agency 305)"},
}};

// The kinds of party ID that both the MIG and the column's rules admit in NAD `nr`.
std::vector<std::string_view> admitted_agencies(const ColumnRef& column, std::string_view nr) {
  std::vector<std::string_view> kinds;
  for (const auto& node : column.profile->structure().nodes) {
    const auto* segment = node.segment();
    if (segment == nullptr || segment->nr != nr) continue;
    const ColumnCodes codes = column_codes(column, nr, "3055");
    for (const auto& [code, kind] : agencies) {
      if (lists_code(column.profile->structure().segment_defs[segment->def].elements, "3055", code) && admits_code(codes, std::string(code))) kinds.push_back(kind);
    }
    break;
  }
  return kinds;
}

// A party's ID of a kind the column does not take is refused saying which kinds it takes.
py::Failure refused_writer(std::string_view label, const ColumnVerdict& verdict, const Rejection& rejection) {
  const auto agency = std::ranges::find(agencies, rejection.value.value_or(""),
                                        &std::pair<std::string_view, std::string_view>::first);
  const bool party = label == "sender" || label == "receiver" || label == "received";
  if (party && agency != agencies.end() && verdict.ref) {
    const auto kinds = admitted_agencies(*verdict.ref, rejection.nr);
    if (!kinds.empty()) {
      return py::value_error(fmt::format("{}: the column of {} admits only {} for {}, not {} — {}", label,
                                         verdict.column, fmt::join(kinds, " or "),
                                         label == "received" ? "the parties" : "the party", agency->second,
                                         rejection.text));
    }
  }
  return refused(label, verdict, rejection.text);
}

// The cap's notice that findings were left out: no fault of its own.
bool cap_notice(const Rejection& rejection) { return rejection.rule == edi_energy::report::FINDINGS_LEFT_OUT_RULE; }

// Whether every fault left is one of the column itself: the same fault comes back when every
// optional argument is left out, so no value given causes it (a published contradiction).
py::Expected<bool> the_columns_own(py::Result (*body)(py::Args), py::Args args, const ColumnVerdict& verdict) {
  std::vector<PyObject*> slots;
  for (std::size_t index = 0; index < args.size(); ++index) {
    const py::Arg arg = args[index];
    slots.push_back(arg.parameter->has_default && !chooses_column(arg.name()) ? nullptr : arg.object);
  }
  ColumnVerdict bare;
  {
    const VerdictScope scope(bare);
    // A call refused without its optional arguments says nothing of the column.
    if (!body(py::Args(std::span<PyObject* const>(slots), args.signature()))) return false;
  }
  // Where a fault stands differs with the Vorgänge given; what it is about does not.
  const auto kind = [](const Rejection& rejection) { return std::pair(rejection.rule, rejection.nr); };
  std::set<std::pair<std::string, std::string>> left;
  for (const auto& rejection : bare.rejections) left.insert(kind(rejection));
  return std::ranges::all_of(verdict.rejections, [&](const Rejection& rejection) {
    return cap_notice(rejection) || left.contains(kind(rejection));
  });
}

// A message its column rejects is never handed out: what no argument is named for, completion
// could not mend.
py::Result unmet(py::Result (*body)(py::Args), py::Args args, const ColumnVerdict& verdict, py::Result built) {
  auto own = the_columns_own(body, args, verdict);
  if (!own) return py::propagate(own);
  if (*own) return built;
  const auto first = std::ranges::find_if_not(verdict.rejections, cap_notice);
  return py::value_error(fmt::format("{}: completion found no message the column accepts with these arguments — {}",
                                     verdict.column, first == verdict.rejections.end() ? "" : first->text));
}

}  // namespace

std::optional<py::Failure> argument_fault(const ColumnVerdict& verdict, std::string_view argument) {
  const auto of = [&](const std::optional<std::string>& name) { return name && name->starts_with(argument); };
  if (verdict.unplaced && verdict.unplaced_segment) {
    if (auto name = writer_of(verdict.writers, *verdict.unplaced_segment, std::nullopt); of(name)) {
      return refused(*name, verdict, *verdict.unplaced);
    }
  }
  for (const auto& rejection : verdict.rejections) {
    if (rejection.writer.kind != Writer::Kind::builder) continue;
    auto name = writer_of(verdict.writers, rejection.writer.segment, rejection.writer.element,
                          rejection.writer.component);
    if (of(name)) return refused_writer(*name, verdict, rejection);
  }
  return std::nullopt;
}

py::Result accepted_by_column(py::Result (*body)(py::Args), py::Args args) {
  ColumnVerdict verdict;
  py::Result built = [&] {
    const VerdictScope scope(verdict);
    return body(args);
  }();
  const bool unplaced = !built && verdict.unplaced;
  if (built && verdict.rejections.empty() && verdict.refusal) return py::Failure(std::move(*verdict.refusal));
  if (built ? verdict.rejections.empty() : !unplaced) return built;
  // A segment with no place, else the first fault in a value an argument wrote, names it.
  if (auto fault = argument_fault(verdict, "")) return std::move(*fault);

  // What completion wrote is completion's to mend, never an argument's; the cap's notice is no
  // fault of its own.
  std::vector<const Rejection*> targets;
  for (const auto& rejection : verdict.rejections) {
    switch (rejection.writer.kind) {
      case Writer::Kind::builder:
        targets.push_back(&rejection);
        break;
      case Writer::Kind::unknown:
        if (cap_notice(rejection)) break;
        targets.push_back(&rejection);
        break;
      case Writer::Kind::completion:
        break;
    }
  }
  if (built && targets.empty()) return unmet(body, args, verdict, std::move(built));

  auto named = LeaveOutSearch(body, args, verdict, std::move(targets)).run();
  if (!named) return py::propagate(named);
  if (*named) return refused((*named)->label, verdict, (*named)->finding);
  if (built) return unmet(body, args, verdict, std::move(built));
  return built;
}

}  // namespace quorvane_native::edifact
