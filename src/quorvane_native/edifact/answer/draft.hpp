// An answer put together anew from segments of the completed answer and of its request, and the
// column's verdict on it, with each fault told to the Vorgang it falls in and the segment it
// falls on. Leaving out and putting back in an answer are decided on such drafts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/profile/structure.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"

namespace quorvane_native::edifact::answer {

struct Draft {
  // Every segment up to its UNT, which `message` writes counting them.
  std::vector<std::string_view> texts;
  std::vector<std::size_t> vorgang;  // of each segment, from 1; 0 outside every Vorgang
  std::vector<std::size_t> origin;   // the caller's number for each segment
  std::string reference;             // the UNT's
  std::size_t vorgaenge = 0;
  // About how many faults the draft's verdict will hold: it is judged in as many batches from the
  // start as the findings cap asks for.
  std::size_t expected_faults = 0;

  void add(std::string_view text, std::size_t in_vorgang, std::size_t from) {
    texts.push_back(text);
    vorgang.push_back(in_vorgang);
    origin.push_back(from);
  }
  std::string message() const;
};

struct Judged {
  Judged() = default;
  // A copy's faults would point into the original's verdicts. Moving a deque hands over its blocks
  // and leaves its elements where they are, so a moved Judged's faults stay good.
  Judged(const Judged&) = delete;
  Judged& operator=(const Judged&) = delete;
  Judged(Judged&&) = default;
  Judged& operator=(Judged&&) = default;

  std::deque<ColumnVerdict> verdicts;  // one per batch of Vorgänge judged; the faults point into them
  // Per Vorgang (from 1): its faults, each with the draft segment it falls on or was judged in.
  struct Fault {
    const Rejection* rejection;
    std::optional<std::size_t> at;
  };
  std::vector<std::vector<Fault>> faults;
  bool faulted_message = false;  // a fault outside every Vorgang, or no message at all
  bool unread = false;           // a batch that did not parse, so that none of its faults are known

  bool faulted() const;
  bool faulted(std::size_t vorgang) const { return vorgang < faults.size() && !faults[vorgang].empty(); }
};

// A verdict keeps only so many findings: the draft is judged in batches of its Vorgänge, each with
// the head as a message of its own, so that every Vorgang's faults are heard. A draft without a
// Vorgang is judged whole, its faults the message's.
Judged judge(const Draft& draft, const ColumnRef& column, std::uint32_t answer_pid);

// The segment node a fault finds missing.
std::optional<edi_energy::profile::structure::NodeIndex> missing_node(const ColumnRef& column,
                                                                      const Rejection& rejection);

}  // namespace quorvane_native::edifact::answer
