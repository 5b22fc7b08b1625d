// Fuzzes the road validate_edifact takes: any bytes are routed by their first bytes, parsed by
// the platform and every message validated on one of a few dates; each step gives a value or an
// error, and the reports keep what they promise.
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "edi_energy/platform/input_route.hpp"
#include "edi_energy/platform/platform.hpp"
#include "edi_energy/registry/shared_registry.hpp"
#include "edi_energy/report/classification.hpp"

namespace {

namespace platform = edi_energy::platform;
using std::chrono::year_month_day;

void require(bool holds) {
  if (!holds) std::abort();
}

const platform::Platform& shared_platform() {
  static const platform::Platform made(edi_energy::registry::REGISTRY.get());
  return made;
}

// Before, inside and after the format versions of the built-in profiles.
constexpr std::array<year_month_day, 4> DATES{
    year_month_day{std::chrono::year{2025}, std::chrono::month{3}, std::chrono::day{1}},
    year_month_day{std::chrono::year{2025}, std::chrono::month{11}, std::chrono::day{1}},
    year_month_day{std::chrono::year{2026}, std::chrono::month{5}, std::chrono::day{1}},
    year_month_day{std::chrono::year{2026}, std::chrono::month{11}, std::chrono::day{1}},
};

void validate(const edi_energy::any_message::AnyMessage& message, year_month_day on) {
  auto report = message.validate_on_date(on);
  if (!report) {
    require(!report.error().message().empty());
    return;
  }
  require(!message.is_unknown() || report->errors.size() == 1);
  require(!report->pruefidentifikator || (*report->pruefidentifikator >= 10000 && *report->pruefidentifikator <= 99999));
  for (const auto& issue : report->errors) {
    require(edifact::report::counts_as_error(issue.severity));
    (void)edi_energy::report::ValidationIssueSummary::from_issue_with_pid(issue, report->pruefidentifikator);
  }
  for (const auto& issue : report->warnings) require(issue.severity == edifact::report::Severity::Warning);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const year_month_day on = DATES[size % DATES.size()];
  if (platform::is_interchange(input)) {
    auto parsed = shared_platform().parse_interchange_full(input);
    if (!parsed) return 0;
    for (const auto& envelope : parsed->messages) validate(envelope.message, on);
    return 0;
  }
  if (platform::count_message_headers(input) > 1) return 0;
  auto message = shared_platform().parse(input);
  if (message) validate(*message, on);
  return 0;
}
