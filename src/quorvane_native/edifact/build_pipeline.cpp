#include "quorvane_native/edifact/build_pipeline.hpp"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <span>
#include <vector>

#include "edi_energy/profile/profile.hpp"
#include "edifact/parse/from_bytes.hpp"
#include "edifact/write/writer.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"
#include "quorvane_native/edifact/date_argument.hpp"
#include "quorvane_native/edifact/segment_room.hpp"
#include "quorvane_native/fristen/time_text.hpp"
#include "quorvane_native/pids/release_resolution.hpp"
#include "support/debug_quote.hpp"
#include "support/utf8.hpp"

namespace quorvane_native::edifact {

namespace {

using edi_energy::message_type::MessageType;
using edi_energy::profile::Profile;
using edi_energy::profile::model::Anwendungsfall;

constexpr std::string_view DEFAULT_SENDER = "9900357000004";
constexpr std::string_view DEFAULT_RECEIVER = "4012345000023";

using Column = ColumnRef;

}  // namespace

// The first registered profile of the type with exactly this release text; no fallback to
// another release, so that an explicit `release=` is honoured as written.
std::optional<ColumnRef> column_of(MessageType type, const edi_energy::release::Release& release,
                                   std::uint32_t pruefidentifikator) {
  const auto registry = pids::shared_registry();
  for (const Profile* profile : registry->profiles()) {
    if (profile->message_type() != type || profile->release().text() != release.text()) continue;
    const Anwendungsfall* anwendungsfall = profile->anwendungsfall(pruefidentifikator);
    if (anwendungsfall == nullptr) return std::nullopt;
    return Column{profile, anwendungsfall};
  }
  return std::nullopt;
}

namespace {

bool release_is_compiled(MessageType type, const edi_energy::release::Release& release) {
  return std::ranges::any_of(pids::shared_registry()->profiles(), [&](const Profile* profile) {
    return profile->message_type() == type && profile->release().text() == release.text();
  });
}

// Where the Prüfidentifikator belongs instead, so that a PID of another message type or track
// is recognised as such.
std::string no_anwendungsfall(std::string_view argument, MessageType type, const edi_energy::release::Release& release,
                              std::uint32_t pruefidentifikator) {
  std::vector<std::string> carriers;
  for (const Profile* profile : pids::shared_registry()->profiles()) {
    if (!profile->pid_index().contains(pruefidentifikator)) continue;
    std::string carrier = fmt::format("{} {}", edi_energy::message_type::unh_code(profile->message_type()),
                                      profile->release().text());
    if (std::ranges::find(carriers, carrier) == carriers.end()) carriers.push_back(std::move(carrier));
  }
  const std::string where = carriers.empty() ? std::string("no compiled profile has it")
                                             : fmt::format("it is one of {}", fmt::join(carriers, ", "));
  return fmt::format("{} {} is no Anwendungsfall of {} {} — {}", argument, pruefidentifikator,
                     edi_energy::message_type::unh_code(type), release.text(), where);
}

// The ID of the first NAD with this qualifier; an empty ID counts as given.
std::string party(std::span<const ::edifact::model::Segment> segments, std::string_view qualifier,
                  std::string_view fallback) {
  for (const auto& segment : segments) {
    if (segment.tag() != "NAD") continue;
    const auto elements = segment.elements();
    if (elements.size() == 0 || elements[0].components().size() == 0 ||
        elements[0].components()[0].text != qualifier) {
      continue;
    }
    if (elements.size() < 2 || elements[1].components().size() == 0) break;
    return std::string(elements[1].components()[0].text);
  }
  return std::string(fallback);
}

}  // namespace

py::Expected<std::string> complete_to_column(std::string bytes, MessageType type,
                                             const edi_energy::release::Release& release,
                                             std::uint32_t pruefidentifikator, SegmentWriters writers,
                                             std::optional<std::string_view> chosen_by) {
  const auto column = column_of(type, release, pruefidentifikator);
  if (!column) {
    // A message without its Anwendungsfall validates without AHB rules, so it would pass as clean.
    if (chosen_by && release_is_compiled(type, release)) {
      return py::value_error(no_anwendungsfall(*chosen_by, type, release, pruefidentifikator));
    }
    return bytes;
  }
  const std::string_view type_code = edi_energy::message_type::unh_code(type);

  ColumnVerdict* verdict = VerdictScope::current();
  // The verdict is of the message returned: an earlier completion of the same build (a sample
  // built to take a value from) has no say, and its segments are numbered otherwise.
  if (verdict) {
    *verdict = ColumnVerdict{};
    verdict->writers = std::move(writers);
  }
  std::vector<::edifact::model::Segment> seeds;
  std::vector<std::size_t> starts;  // of each seed in `bytes`, so that a verdict can tell what the builder wrote
  {
    auto segments = ::edifact::from_bytes_with_config(bytes, ::edifact::ParserConfig{});
    while (auto item = segments.next()) {
      if (!*item) {
        const auto& error = item->error();
        // Only the given values make a segment this long: the caller's to shorten.
        if (error.kind == ::edifact::error::EdifactError::Kind::SegmentTooLong) {
          const std::string_view tag = std::string_view(bytes).substr(std::min(error.offset, bytes.size()), 3);
          return py::value_error(fmt::format("{}: the values written into segment {} make it longer than the {} "
                                             "bytes an EDIFACT segment may hold",
                                             type_code, tag, segment_room));
        }
        return py::runtime_error(fmt::format("{} re-parse failed: {}", type_code, error.message()));
      }
      // Borrowing `bytes`, which outlives every segment made from them here.
      if (verdict) starts.push_back((**item).span().start);
      seeds.push_back(std::move(**item));
    }
  }
  const edi_energy::profile::skeleton::SkeletonParties parties{party(seeds, "MS", DEFAULT_SENDER),
                                                               party(seeds, "MR", DEFAULT_RECEIVER)};
  const auto completed = column->profile->generate(std::span<const ::edifact::model::Segment>(seeds),
                                                   *column->anwendungsfall, parties);
  // A builder's segment that the column has no place for is refused, never dropped.
  if (!completed) {
    if (verdict) {
      name_column(*verdict, *column, type, pruefidentifikator);
      verdict->ref = *column;
      verdict->unplaced = completed.error().message();
      verdict->unplaced_segment = completed.error().segment_index;
    }
    return py::runtime_error(fmt::format("{} completion failed: {}", type_code, completed.error().message()));
  }
  // The seeds' own list goes: the completed message holds what it took of them.
  std::vector<::edifact::model::Segment>().swap(seeds);
  std::vector<::edifact::model::Segment> segments = std::move(*completed);
  if (verdict) {
    segments = judge_completed(*verdict, *column, type, pruefidentifikator, std::move(segments), bytes, starts);
  }
  auto written = ::edifact::segments_to_bytes(segments);
  if (!written) return py::runtime_error(fmt::format("{} serialize failed: {}", type_code, written.error().message()));
  return std::move(*written);
}

std::optional<std::string> column_bgm_code(MessageType type, const edi_energy::release::Release& release,
                                           std::uint32_t pruefidentifikator) {
  const auto column = column_of(type, release, pruefidentifikator);
  if (!column) return std::nullopt;
  for (const auto& node : column->profile->structure().nodes) {
    const auto* segment = node.segment();
    if (segment == nullptr || segment->tag != "BGM") continue;
    for (const auto& rule : column->anwendungsfall->elements) {
      if (rule.nr != segment->nr || rule.de != "1001") continue;
      for (const auto& operand : rule.operands) {
        if (operand.code) return *operand.code;
      }
      return std::nullopt;
    }
    return std::nullopt;
  }
  return std::nullopt;
}

bool column_lists_de(MessageType type, const edi_energy::release::Release& release, std::uint32_t pruefidentifikator,
                     std::string_view tag, std::string_view de) {
  const auto column = column_of(type, release, pruefidentifikator);
  if (!column) return true;
  for (const auto& node : column->profile->structure().nodes) {
    const auto* segment = node.segment();
    if (segment == nullptr || segment->tag != tag) continue;
    for (const auto& rule : column->anwendungsfall->elements) {
      if (rule.nr == segment->nr && rule.de == de) return true;
    }
  }
  return false;
}

std::pair<std::string, std::optional<std::string>> antwort_status(std::string code, std::optional<std::string> ebd,
                                                                  const edi_energy::release::Release& release,
                                                                  std::uint32_t pruefidentifikator) {
  if (ebd && column_lists_de(MessageType::Utilmd, release, pruefidentifikator, "STS", "1131")) {
    return {std::move(code), std::move(ebd)};
  }
  return {std::move(code), std::nullopt};
}

py::Expected<std::optional<std::string>> document_date_for(std::optional<std::string_view> document_date,
                                                           std::optional<std::string_view> on) {
  if (document_date) {
    if (auto given = require_date("document_date", *document_date); !given) return py::propagate(given);
    return std::string(*document_date);
  }
  if (!on) return std::nullopt;
  auto date = fristen::parse_date(*on);
  if (!date) return py::propagate(date);
  // A year before 0000 has no CCYY.
  if (auto writable = fristen::fmt_date(*date, fristen::Given{"on", *on}); !writable) return py::propagate(writable);
  return fmt::format("{:04}{:02}{:02}", static_cast<int>(date->year()), static_cast<unsigned>(date->month()),
                     static_cast<unsigned>(date->day()));
}

py::Status ensure_latin1(std::string_view field, std::string_view text) {
  std::size_t index = 0;
  for (std::size_t offset = 0; offset < text.size(); ++index) {
    // Most of a message is ASCII: only the rest needs decoding.
    if (static_cast<unsigned char>(text[offset]) < 0x80) {
      ++offset;
      continue;
    }
    const auto decoded = support::utf8::decode(text.substr(offset));
    // Texts from Python are valid UTF-8; a stray byte is no character this check can name.
    if (!decoded) return {};
    if (decoded->scalar > 0xFF) {
      return py::value_error(fmt::format(
          "{} contains {} (U+{:04X}) at character {}, which the              interchange charset cannot "
          "carry: a BDEW interchange declares              UNB+UNOC:3, i.e. ISO 8859-1. German prose taken "
          "from a BDEW document              often needs rewriting for the wire — the em-dash, the "
          "typographic              quotes and the ellipsis are all outside it.",
          field, support::debug_quote(decoded->scalar), static_cast<std::uint32_t>(decoded->scalar), index));
    }
    offset += decoded->length;
  }
  return {};
}

}  // namespace quorvane_native::edifact
