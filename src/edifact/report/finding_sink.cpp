#include "edifact/report/finding_sink.hpp"

#include <numeric>
#include <utility>

namespace edifact::report {

std::size_t SeverityCounts::total() const {
  return std::accumulate(by_severity.begin(), by_severity.end(), std::size_t{0});
}

std::optional<Severity> SeverityCounts::most_severe() const {
  for (std::size_t index = 0; index < by_severity.size(); ++index) {
    if (by_severity[index] != 0) return static_cast<Severity>(index);
  }
  return std::nullopt;
}

void FindingSink::push_back(ValidationIssue&& issue) const {
  if (budget_ != nullptr) {
    if (budget_->room == 0) {
      budget_->left_out.add(issue.severity);
      return;
    }
    --budget_->room;
  }
  kept_->push_back(std::move(issue));
}

}  // namespace edifact::report
