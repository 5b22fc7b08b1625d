// Where checks append their findings: a list that keeps at most a fixed number of them and counts
// the rest by severity, so that a message of thousands of faulty segments cannot make its
// findings outgrow its bytes while the counts behind the verdict stay exact.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "edifact/report/issue.hpp"
#include "edifact/report/severity.hpp"

namespace edifact::report {

struct SeverityCounts {
  std::array<std::size_t, 4> by_severity{};  // indexed by Severity

  void add(Severity severity) { ++by_severity[static_cast<std::size_t>(severity)]; }
  std::size_t of(Severity severity) const { return by_severity[static_cast<std::size_t>(severity)]; }
  std::size_t errors() const { return of(Severity::Critical) + of(Severity::Error); }
  std::size_t total() const;
  std::optional<Severity> most_severe() const;

  friend bool operator==(const SeverityCounts&, const SeverityCounts&) = default;
};

// How many more findings one run may keep, and the count of those that found no room; shared by
// every check and every list of the run.
struct FindingBudget {
  std::size_t room;
  SeverityCounts left_out;
};

// A handle to a list of findings, passed by value. Made from a bare vector it keeps everything;
// with a budget it keeps what the budget has room for and counts the rest.
class FindingSink {
 public:
  FindingSink(std::vector<ValidationIssue>& kept) : kept_(&kept) {}  // NOLINT: a vector is a sink
  FindingSink(std::vector<ValidationIssue>& kept, FindingBudget& budget) : kept_(&kept), budget_(&budget) {}

  void push_back(ValidationIssue&& issue) const;
  template <class... Args>
  void emplace_back(Args&&... args) const {
    push_back(ValidationIssue(std::forward<Args>(args)...));
  }
  // For a finding the verdict is read from (such as the note that no column was applied): kept
  // whatever the budget says.
  void keep(ValidationIssue&& issue) const { kept_->push_back(std::move(issue)); }

 private:
  std::vector<ValidationIssue>* kept_;
  FindingBudget* budget_ = nullptr;
};

}  // namespace edifact::report
