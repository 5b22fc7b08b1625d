#include "quorvane_native/edifact/sample_lokationen.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "edi_energy/lokation_reference.hpp"
#include "edi_energy/message_type.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"

namespace quorvane_native::edifact {

namespace {

// The message of the cut's head and of its segments [first, last) that `gone` leaves, its UNT
// counting them.
std::string message_of(const VorgangCut& cut, const std::vector<bool>& gone, std::size_t first, std::size_t last) {
  std::string written;
  std::size_t count = 0;
  const auto add = [&](std::size_t at) {
    if (gone[at]) return;
    written += cut.segments[at].text;
    ++count;
  };
  for (std::size_t at = 0; at < cut.ides.front(); ++at) add(at);
  for (std::size_t at = first; at < last; ++at) add(at);
  written += fmt::format("UNT+{}+{}'", count + 1, cut.segments.back().value);
  return written;
}

// Whether the column finds no fault at all in `message`.
bool accepted(const std::string& message, const ColumnRef& column, std::uint32_t pruefidentifikator) {
  ColumnVerdict verdict;
  return judge_message(verdict, column, edi_energy::message_type::MessageType::Utilmd, pruefidentifikator, message) &&
         verdict.rejections.empty();
}

// The sample LOCs completion wrote beside the IDs the caller gave a Vorgang, and the references
// to a Lokation nobody gave (a Tranche's data), in order.
std::vector<std::size_t> samples_of(const VorgangCut& cut, const std::vector<std::vector<std::string>>& given) {
  std::vector<std::size_t> samples;
  for (std::size_t vorgang = 1; vorgang <= cut.vorgaenge(); ++vorgang) {
    const std::vector<std::string>& ids = given[vorgang - 1];
    if (ids.empty()) continue;
    const auto [first, last] = cut.range(vorgang);
    for (std::size_t at = first; at < last; ++at) {
      const CutSegment& segment = cut.segments[at];
      if (std::ranges::find(ids, segment.value) != ids.end()) continue;
      if ((segment.tag() == "LOC" && segment.depth == 0) ||
          (segment.tag() == "RFF" && segment.depth == 1 && edi_energy::lokation_reference::lokation_shaped(segment.value))) {
        samples.push_back(at);
      }
    }
  }
  return samples;
}

// What leaving out the sample at `sample` takes: a reference's whole group, or a LOC with the
// references that name it, which would point at nothing.
std::vector<std::size_t> going_with(const VorgangCut& cut, std::size_t sample) {
  const auto [first, last] = cut.range(cut.segments[sample].vorgang);
  std::vector<std::size_t> going;
  const auto take_unit = [&](std::size_t head) {
    for (std::size_t at = head; at < unit_end(cut, head, last); ++at) going.push_back(at);
  };
  if (cut.segments[sample].tag() == "RFF") {
    std::size_t head = sample;
    while (head > first && cut.segments[head].depth != 0) --head;
    take_unit(head);
    return going;
  }
  for (std::size_t at = first; at < last; ++at) {
    const CutSegment& segment = cut.segments[at];
    if (at == sample || (segment.tag() == "RFF" && segment.value == cut.segments[sample].value)) take_unit(at);
  }
  return going;
}

// A Vorgang's kind: its segments, its number and the IDs the caller gave it aside (each by its
// place among them and its shape). Vorgänge of one kind hold their samples at the same places,
// and their column decides them alike.
std::string kind_of(const VorgangCut& cut, std::size_t vorgang, const std::vector<std::string>& ids) {
  std::string kind;
  const auto [first, last] = cut.range(vorgang);
  for (std::size_t at = first + 1; at < last; ++at) {
    std::string_view text = cut.segments[at].text;
    for (;;) {
      std::size_t found = std::string_view::npos;
      std::size_t which = 0;
      for (std::size_t id = 0; id < ids.size(); ++id) {
        const std::size_t here = ids[id].empty() ? std::string_view::npos : text.find(ids[id]);
        if (here < found) {
          found = here;
          which = id;
        }
      }
      if (found == std::string_view::npos) break;
      kind += text.substr(0, found);
      kind += fmt::format("\x01{}:{}\x01", which, static_cast<int>(edi_energy::lokation_reference::shape_of(ids[which])));
      text.remove_prefix(found + ids[which].size());
    }
    kind += text;
  }
  return kind;
}

// Leaves out each sample in turn where `accepts(gone, sample)` still holds without it; whether
// any went.
template <class Accepts>
bool leave_out(const VorgangCut& cut, const std::vector<std::size_t>& samples, std::vector<bool>& gone,
               Accepts&& accepts) {
  bool any = false;
  for (const std::size_t sample : samples) {
    std::vector<std::size_t> newly;
    for (const std::size_t at : going_with(cut, sample)) {
      if (!gone[at]) newly.push_back(at);
    }
    // Gone with an earlier sample already: the message stands as the column accepted it.
    if (newly.empty()) continue;
    for (const std::size_t at : newly) gone[at] = true;
    if (accepts(gone, sample)) {
      any = true;
    } else {
      for (const std::size_t at : newly) gone[at] = false;
    }
  }
  return any;
}

}  // namespace

std::string without_sample_lokationen(std::string completed, const std::vector<std::vector<std::string>>& given,
                                      const ColumnRef& column, std::uint32_t pruefidentifikator,
                                      std::optional<bool> accepted_as_is) {
  const auto cut = cut_vorgaenge(completed);
  if (!cut || cut->vorgaenge() != given.size()) return completed;
  const std::vector<std::size_t> samples = samples_of(*cut, given);
  if (samples.empty()) return completed;
  const std::size_t end = cut->segments.size() - 1;
  const std::vector<bool> none(cut->segments.size(), false);
  const auto whole_accepted = [&](const std::vector<bool>& gone, std::size_t) {
    return accepted(message_of(*cut, gone, cut->ides.front(), end), column, pruefidentifikator);
  };
  if (!(accepted_as_is ? *accepted_as_is : whole_accepted(none, 0))) return completed;
  // Each Vorgang's verdict is its own: judged beside the head alone, a sample costs the same
  // however many Vorgänge the message holds, and only the first Vorgang of each kind is judged.
  std::vector<std::size_t> leader(cut->vorgaenge() + 1, 0);
  {
    std::map<std::string, std::size_t, std::less<>> first_of_kind;
    for (std::size_t vorgang = 1; vorgang <= cut->vorgaenge(); ++vorgang) {
      leader[vorgang] = first_of_kind.try_emplace(kind_of(*cut, vorgang, given[vorgang - 1]), vorgang).first->second;
    }
  }
  std::map<std::size_t, bool> decided;  // per sample of a leading Vorgang: whether it went
  std::vector<bool> gone = none;
  const bool any = leave_out(*cut, samples, gone, [&](const std::vector<bool>& trial, std::size_t sample) {
    const std::size_t vorgang = cut->segments[sample].vorgang;
    const auto [first, last] = cut->range(vorgang);
    if (leader[vorgang] != vorgang) {
      const std::size_t led = cut->range(leader[vorgang]).first + (sample - first);
      if (const auto found = decided.find(led); found != decided.end()) return found->second;
    }
    const bool went = accepted(message_of(*cut, trial, first, last), column, pruefidentifikator);
    decided.emplace(sample, went);
    return went;
  });
  if (!any) return completed;
  // A rule over the whole message could still refuse what each Vorgang's verdict let go: then
  // each sample is judged in the whole message.
  if (!whole_accepted(gone, 0)) {
    gone = none;
    if (!leave_out(*cut, samples, gone, whole_accepted)) return completed;
  }
  return message_of(*cut, gone, cut->ides.front(), end);
}

}  // namespace quorvane_native::edifact
