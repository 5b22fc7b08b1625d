// Completes every Anwendungsfall of every built-in profile and validates the result against its
// own column: prints, per profile and per message type, the share of columns whose completed
// message has no error finding, and the commonest reasons (rule id and text pattern) for the
// rest. Three starts: an empty message, and the header segments a message builder writes (UNH,
// BGM, DTM+137, NAD+MS, NAD+MR, UNT) once with GS1 and once with BDEW party IDs.
//
//   convergence_survey [--top N] [--failing] [--pid P]...
//
// --failing lists the columns of each profile that do not validate clean (a star marks those
// whose completion stopped at the round limit, or settled where further rounds would only have
// repeated the message up to it).
// --pid prints the completed message and its error findings for every column with that
// Prüfidentifikator.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "edi_energy/agency_code.hpp"
#include "edi_energy/catalogue.hpp"
#include "edi_energy/profile/profile.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "edifact/model/segment_builder.hpp"
#include "edifact/report/severity.hpp"
#include "support/diag.hpp"

namespace {

namespace model = edi_energy::profile::model;
using edi_energy::profile::Profile;
using edifact::model::Segment;
using edifact::model::SegmentBuilder;

using Parties = edi_energy::profile::skeleton::SkeletonParties;

// The parties decide the agency code a builder writes after them: BDEW codes (99...) "293",
// GS1 numbers "9", DVGW codes (98...) "332". Gas columns get DVGW codes in every start.
const Parties bdew_parties{"9900000000003", "9900000000027"};
const Parties gs1_parties{"4012345000009", "4012345000016"};
const Parties gas_parties{"9800000000006", "9870000000001"};

struct Start {
  const char* title;
  bool seeded;
  const Parties* electricity;
};

constexpr Start starts[] = {
    {"empty message", false, &bdew_parties},
    {"builder header (UNH, BGM, DTM+137, NAD+MS, NAD+MR, UNT), GS1 party IDs", true, &gs1_parties},
    {"builder header (UNH, BGM, DTM+137, NAD+MS, NAD+MR, UNT), BDEW party IDs", true, &bdew_parties},
};

std::string column_label(const Profile& profile, const model::Anwendungsfall& anwendungsfall) {
  if (anwendungsfall.pid) return std::to_string(*anwendungsfall.pid);
  const auto& all = profile.ahb().anwendungsfaelle;
  for (std::size_t at = 0; at < all.size(); ++at) {
    if (&all[at] == &anwendungsfall) return fmt::format("col{}", at + 1);
  }
  return "col1";
}

std::optional<std::uint32_t> validation_pid(const model::Anwendungsfall& anwendungsfall) {
  if (anwendungsfall.pid && *anwendungsfall.pid >= 10000 && *anwendungsfall.pid <= 99999) return anwendungsfall.pid;
  return std::nullopt;
}

const model::SegmentNode* first_definition(const Profile& profile, std::string_view tag) {
  for (const auto& def : profile.structure().segment_defs) {
    if (def.tag == tag) return &def;
  }
  return nullptr;
}

std::string first_mig_code(const model::Element& element) {
  return element.codes.empty() ? std::string() : element.codes.front().code;
}

// The document code a builder would write: the column's first BGM code, else the MIG's.
std::string document_code(const Profile& profile, const model::Anwendungsfall& anwendungsfall) {
  const model::SegmentNode* bgm = first_definition(profile, "BGM");
  if (bgm == nullptr) return "E01";
  for (const auto& rule : anwendungsfall.elements) {
    if (rule.nr != bgm->nr || rule.de != "1001") continue;
    for (const auto& operand : rule.operands) {
      if (operand.code) return *operand.code;
    }
  }
  if (!bgm->elements.empty() && !bgm->elements.front().components.empty()) {
    return first_mig_code(bgm->elements.front().components.front());
  }
  return "E01";
}

// The first segment definition with this tag whose first data element admits the qualifier.
const model::SegmentNode* qualified_definition(const Profile& profile, std::string_view tag, std::string_view qualifier) {
  for (const auto& def : profile.structure().segment_defs) {
    if (def.tag != tag || def.elements.empty()) continue;
    const model::Element& first = def.elements.front();
    const auto& codes = first.components.empty() ? first.codes : first.components.front().codes;
    if (std::ranges::any_of(codes, [qualifier](const model::Code& code) { return code.code == qualifier; })) return &def;
  }
  return nullptr;
}

// UNH, BGM, DTM+137, NAD+MS, NAD+MR, UNT as a builder writes them before completion: each only
// where the layout has a place for it, the two parties in layout order.
std::vector<Segment> builder_header(const Profile& profile, const model::Anwendungsfall& anwendungsfall,
                                    const Parties& parties) {
  std::vector<Segment> seeds;
  SegmentBuilder unh("UNH");
  unh.element().component("1").element();
  if (const model::SegmentNode* def = first_definition(profile, "UNH"); def != nullptr && def->elements.size() > 1) {
    for (const model::Element& component : def->elements[1].components) {
      if (component.id == "0065") {
        unh.component(profile.mig().message_type);
      } else if (component.id == "0057") {
        unh.component(profile.mig().release);
      } else {
        unh.component(first_mig_code(component));
      }
    }
  }
  seeds.push_back(unh.build());
  if (first_definition(profile, "BGM") != nullptr) {
    seeds.push_back(SegmentBuilder("BGM").element().component(document_code(profile, anwendungsfall))
                        .element().component("DOC0001").build());
  }
  if (qualified_definition(profile, "DTM", "137") != nullptr) {
    seeds.push_back(
        SegmentBuilder("DTM").element().component("137").component("202610010000+00").component("303").build());
  }
  const auto party = [](std::string_view qualifier, const std::string& id) {
    return SegmentBuilder("NAD").element().component(qualifier).element().component(id).component("")
        .component(edi_energy::agency_code::code(edi_energy::agency_code::for_mp_id(id))).build();
  };
  const model::SegmentNode* ms = qualified_definition(profile, "NAD", "MS");
  const model::SegmentNode* mr = qualified_definition(profile, "NAD", "MR");
  if (ms != nullptr && mr != nullptr && mr < ms) {
    seeds.push_back(party("MR", parties.receiver));
    seeds.push_back(party("MS", parties.sender));
  } else {
    if (ms != nullptr) seeds.push_back(party("MS", parties.sender));
    if (mr != nullptr) seeds.push_back(party("MR", parties.receiver));
  }
  seeds.push_back(SegmentBuilder("UNT").element().component(std::to_string(seeds.size() + 1)).element().component("1").build());
  return seeds;
}

// The rule id and the text of a finding with the column label and quoted values taken out.
std::string reason_of(const edifact::report::ValidationIssue& finding, std::string_view label) {
  const auto generalise = [label](std::string text) {
    for (std::size_t at = text.find(label); !label.empty() && at != std::string::npos; at = text.find(label, at)) {
      text.replace(at, label.size(), "{col}");
    }
    std::string out;
    bool quoted = false;
    for (const char c : text) {
      if (c == '"') {
        if (!quoted) out += "\"…\"";
        quoted = !quoted;
      } else if (!quoted) {
        out += c;
      }
    }
    return out;
  };
  std::string text = generalise(finding.message);
  if (const auto dash = text.find(" — "); dash != std::string::npos && dash > 40) text.resize(dash);
  if (text.size() > 110) text = text.substr(0, 107) + "...";
  return generalise(finding.rule_id.value_or("?")) + "  " + text;
}

struct Outcome {
  std::string end;  // how the rounds ended: "clean", "no progress", "round limit", "settled"
  std::size_t rounds = 0;
  bool clean = false;
  bool refused = false;
  std::set<std::string> reasons;
  std::vector<Segment> message;
  std::vector<edifact::report::ValidationIssue> errors;
};

Outcome complete(const Profile& profile, const model::Anwendungsfall& anwendungsfall, const Parties& parties,
                 const std::vector<Segment>* seeds) {
  Outcome outcome;
  const auto label = column_label(profile, anwendungsfall);
  const auto previous = support::diag::set_sink([&outcome](const support::diag::Event& event) {
    if (event.message != "completion finished") return;
    for (const auto& field : event.fields) {
      if (field.name == "end") outcome.end = field.value;
      if (field.name == "rounds") outcome.rounds = std::strtoul(field.value.c_str(), nullptr, 10);
    }
  });
  auto completed = seeds == nullptr ? profile.generate(std::nullopt, anwendungsfall, parties)
                                    : profile.generate(std::span(*seeds), anwendungsfall, parties);
  support::diag::set_sink(previous);
  if (!completed) {
    outcome.refused = true;
    outcome.reasons.insert("refused: " + completed.error().message());
    return outcome;
  }
  outcome.message = std::move(*completed);
  for (auto& finding : edi_energy::profile::validate::validate(profile, outcome.message, validation_pid(anwendungsfall))) {
    if (!edifact::report::counts_as_error(finding.severity)) continue;
    outcome.reasons.insert(reason_of(finding, label));
    outcome.errors.push_back(std::move(finding));
  }
  outcome.clean = outcome.errors.empty();
  return outcome;
}

std::string render(const std::vector<Segment>& segments) {
  std::string text;
  for (const auto& segment : segments) {
    text += segment.tag();
    for (const auto element : segment.elements()) {
      text += '+';
      bool first = true;
      for (const auto component : element.components()) {
        if (!first) text += ':';
        text += component.text;
        first = false;
      }
    }
    text += "'\n";
  }
  return text;
}

struct Tally {
  std::size_t columns = 0;
  std::size_t clean = 0;
  std::map<std::string, std::size_t> reasons;  // reason to the number of columns it spoils
  std::map<std::string, std::size_t> ends;
  std::size_t most_rounds = 0;

  void add(const Outcome& outcome) {
    ++columns;
    if (!outcome.end.empty()) ++ends[outcome.end];
    most_rounds = std::max(most_rounds, outcome.rounds);
    if (outcome.clean) ++clean;
    for (const auto& reason : outcome.reasons) ++reasons[reason];
  }
};

std::string share(const Tally& tally) {
  const double percent = tally.columns == 0 ? 0.0 : 100.0 * static_cast<double>(tally.clean) / static_cast<double>(tally.columns);
  std::string ends;
  for (const auto& [end, count] : tally.ends) ends += fmt::format("{}{} {}", ends.empty() ? "" : ", ", end, count);
  return fmt::format("{:4}/{:<4} {:5.1f}%   [{}; at most {} rounds]", tally.clean, tally.columns, percent, ends,
                     tally.most_rounds);
}

void print_reasons(const Tally& tally, std::size_t top) {
  std::vector<std::pair<std::size_t, std::string>> ranked;
  for (const auto& [reason, count] : tally.reasons) ranked.emplace_back(count, reason);
  std::ranges::sort(ranked, [](const auto& a, const auto& b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });
  for (std::size_t at = 0; at < ranked.size() && at < top; ++at) {
    std::printf("      %4zu  %s\n", ranked[at].first, ranked[at].second.c_str());
  }
}

// "UTILMD_FV20261001_GAS" gives "UTILMD GAS", "MSCONS_FV20260401" gives "MSCONS".
std::string message_type_of(std::string_view profile_name) {
  std::string type(profile_name.substr(0, profile_name.find('_')));
  if (profile_name.ends_with("_GAS")) type += " GAS";
  return type;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t top = 6;
  std::set<std::uint32_t> detail_pids;
  bool list_failing = false;
  for (int at = 1; at < argc; ++at) {
    const std::string_view arg = argv[at];
    if (arg == "--top" && at + 1 < argc) {
      top = std::strtoul(argv[++at], nullptr, 10);
    } else if (arg == "--failing") {
      list_failing = true;
    } else if (arg == "--pid" && at + 1 < argc) {
      detail_pids.insert(static_cast<std::uint32_t>(std::strtoul(argv[++at], nullptr, 10)));
    } else {
      std::fprintf(stderr, "usage: convergence_survey [--top N] [--failing] [--pid P]...\n");
      return 2;
    }
  }

  std::vector<const Profile*> profiles;
  edi_energy::register_profiles(profiles);
  const auto pairs = edi_energy::catalogue::builtin_pairs();

  for (const Start& start : starts) {
    const bool seeded = start.seeded;
    std::printf("== start: %s\n", start.title);
    std::map<std::string, Tally> by_type;
    Tally all;
    for (std::size_t at = 0; at < profiles.size(); ++at) {
      const Profile& profile = *profiles[at];
      const std::string name(at < pairs.size() ? pairs[at].name : profile.mig().message_type);
      Tally tally;
      std::string failing;
      for (const auto& anwendungsfall : profile.ahb().anwendungsfaelle) {
        const Parties& parties = name.ends_with("_GAS") ? gas_parties : *start.electricity;
        const auto seeds = builder_header(profile, anwendungsfall, parties);
        const Outcome outcome = complete(profile, anwendungsfall, parties, seeded ? &seeds : nullptr);
        tally.add(outcome);
        by_type[message_type_of(name)].add(outcome);
        all.add(outcome);
        if (!outcome.clean) {
          failing += " " + column_label(profile, anwendungsfall) + (outcome.end == "round limit" || outcome.end == "settled" ? "*" : "");
        }
        if (anwendungsfall.pid && detail_pids.contains(*anwendungsfall.pid)) {
          std::printf("-- %s %u (%s)%s\n%s", name.c_str(), *anwendungsfall.pid, seeded ? "seeded" : "empty",
                      outcome.clean ? " clean" : "", render(outcome.message).c_str());
          for (const auto& reason : outcome.reasons) std::printf("   ! %s\n", reason.c_str());
        }
      }
      std::printf("  %-24s %s%s\n", name.c_str(), share(tally).c_str(), list_failing ? failing.c_str() : "");
    }
    std::printf("  per message type:\n");
    for (const auto& [type, tally] : by_type) {
      std::printf("  %-24s %s\n", type.c_str(), share(tally).c_str());
      print_reasons(tally, top);
    }
    std::printf("  %-24s %s\n\n", "all", share(all).c_str());
  }
  return 0;
}
