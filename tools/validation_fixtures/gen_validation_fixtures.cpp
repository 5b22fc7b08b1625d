// Completes one message per requested column with the profile generator and prints it as an
// interchange, one segment a line, with the findings the pipeline still has on the given date
// (on stderr). Usage: gen_validation_fixtures TYPE RELEASE PID DATE [MESSAGES]
//   gen_validation_fixtures UTILMD S2.1 55001 2025-11-01 > utilmd_55001.edi
// A PID "#n" takes the n-th Anwendungsfall (0-based), for columns without a Prüfidentifikator.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include <fmt/format.h>

#include "edi_energy/any_message.hpp"
#include "edi_energy/message_type.hpp"
#include "edi_energy/platform/platform.hpp"
#include "edi_energy/registry/shared_registry.hpp"
#include "edifact/write/writer.hpp"
#include "support/decimal.hpp"

namespace {

constexpr std::string_view SENDER = "9900000000003";
constexpr std::string_view RECEIVER = "9900000000010";

int fail(std::string_view text) {
  std::cerr << text << '\n';
  return 2;
}

// One segment a line: the readers accept line breaks after a terminator.
std::string one_segment_a_line(std::string_view edifact) {
  std::string out;
  for (char c : edifact) {
    out.push_back(c);
    if (c == '\'' && !(out.size() >= 2 && out[out.size() - 2] == '?')) out.push_back('\n');
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) return fail("usage: gen_validation_fixtures TYPE RELEASE PID DATE [MESSAGES]");
  const auto type = edi_energy::message_type::from_unh_code(argv[1]);
  if (!type) return fail("unknown message type");
  const edi_energy::release::Release release{std::string_view(argv[2])};
  const std::string_view column(argv[3]);
  const bool by_position = column.starts_with('#');
  const auto pid = support::parse_decimal<std::uint32_t>(by_position ? column.substr(1) : column);
  int year = 0;
  unsigned month = 0, day = 0;
  if (!pid || std::sscanf(argv[4], "%d-%u-%u", &year, &month, &day) != 3) return fail("bad PID or date");
  const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(month), std::chrono::day(day)};
  const std::size_t messages = argc > 5 ? std::strtoul(argv[5], nullptr, 10) : 1;

  const auto registry = edi_energy::registry::REGISTRY.get();
  auto profile = registry->profile_on(*type, release, date);
  if (!profile) return fail(profile.error().message());
  const auto& all = (*profile)->ahb().anwendungsfaelle;
  const auto* anwendungsfall = by_position ? (*pid < all.size() ? &all[*pid] : nullptr) : (*profile)->anwendungsfall(*pid);
  if (anwendungsfall == nullptr) return fail("no such Anwendungsfall");
  const auto segments = (*profile)->generate(std::nullopt, *anwendungsfall,
                                             {std::string(SENDER), std::string(RECEIVER)});
  auto body = edifact::segments_to_bytes(segments);
  if (!body) return fail(body.error().message());

  std::string interchange = fmt::format("UNB+UNOC:3+{}:500+{}:500+251101:1200+REF1'", SENDER, RECEIVER);
  for (std::size_t index = 0; index < messages; ++index) {
    std::string message = *body;
    // Each message its own reference in UNH and UNT.
    const std::string reference = fmt::format("M{}", index + 1);
    if (const auto unh = message.find("UNH+"); unh != std::string::npos) {
      const auto end = message.find('+', unh + 4);
      message.replace(unh + 4, end - unh - 4, reference);
    }
    if (const auto unt = message.rfind("UNT+"); unt != std::string::npos) {
      const auto plus = message.find('+', unt + 4);
      const auto end = message.find('\'', plus);
      message.replace(plus + 1, end - plus - 1, reference);
    }
    interchange += message;
  }
  interchange += fmt::format("UNZ+{}+REF1'", messages);

  const auto platform = edi_energy::platform::Platform::with_all_profiles();
  auto parsed = platform.parse_interchange_full(interchange);
  if (!parsed) return fail(parsed.error().message());
  for (const auto& envelope : parsed->messages) {
    auto report = envelope.message.validate_on_date(date);
    if (!report) return fail(report.error().message());
    for (const auto* list : {&report->errors, &report->warnings}) {
      for (const auto& issue : *list) std::cerr << issue.rule_id.value_or("-") << ": " << issue.message << '\n';
    }
    std::cerr << report->summary() << '\n';
    break;
  }
  std::cout << one_segment_a_line(interchange);
  return 0;
}
