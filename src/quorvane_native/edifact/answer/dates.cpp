#include "quorvane_native/edifact/answer/dates.hpp"

#include <fmt/format.h>

#include <algorithm>

#include "edi_energy/builders/utilmd.hpp"
#include "quorvane_native/edifact/answer/echo.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "quorvane_native/edifact/date_argument.hpp"
#include "quorvane_native/edifact/dtm_in_utc.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact::answer {

namespace {

// The formats the column's rules name for the Vorgang's own DTM of `qualifier`, in their order.
std::vector<std::string> place_formats(const ColumnRef& column, std::string_view qualifier) {
  const auto node = vorgang_date_node(column, qualifier);
  return node ? column_codes(column, nr_of(column, *node), "2379").codes : std::vector<std::string>{};
}

// Whether `segment` is the request's own `date`, as the request wrote it or as the same instant in +00.
bool requests_own(const CutSegment& segment, const RequestDate& date) {
  const auto dtm = dtm_text(segment.text);
  if (!dtm || dtm->format != date.format) return false;
  if (dtm->value == date.value) return true;
  const auto utc = date.format == "303" ? dtm_in_utc(date.value) : std::nullopt;
  return utc && *utc == dtm->value;
}

}  // namespace

std::optional<std::string> unconfirmed_date(const VorgangCut& answer, const AnswerPlan& plan,
                                            const StringPairs& process_dates, std::string_view column,
                                            std::uint64_t message_index) {
  for (const CutSegment& segment : answer.segments) {
    const std::size_t vorgang = segment.vorgang;
    const std::string_view qualifier = segment.qualifier();
    if (segment.tag() != "DTM" || (qualifier != "92" && qualifier != "93")) continue;
    if (vorgang == 0 || vorgang > plan.vorgaenge.size()) continue;
    if (std::ranges::any_of(process_dates, [&](const auto& given) { return given.first == qualifier; })) continue;
    const EchoVorgang& echoes = plan.vorgaenge[vorgang - 1];
    if (confirms_date(echoes, qualifier)) continue;
    const auto written = std::ranges::find_if(plan.request_dates, [&](const RequestDate& date) {
      return date.vorgang == vorgang && date.qualifier == qualifier;
    });
    // The request's own date, carried beside what its column admits it with.
    if (written != plan.request_dates.end() && requests_own(segment, *written)) continue;
    const std::string why =
        written == plan.request_dates.end()
            ? std::string("which the request does not give")
            : fmt::format("which the request gives as {} (format {}), a value the column of {} does not take",
                          support::debug_quote(written->value), written->format, column);
    return fmt::format("received: message {}, Vorgang {}: the answer must confirm DTM+{}, {}; give the date as "
                       "process_dates=[(\"{}\", \"CCYYMMDDHHMM+00\")]",
                       message_index, support::debug_quote(echoes.vorgangsnummer), qualifier, why, qualifier);
  }
  return std::nullopt;
}

py::Expected<std::vector<std::string>> process_date_formats(const StringPairs& process_dates,
                                                            const std::optional<ColumnRef>& column) {
  std::vector<std::string> chosen;
  for (const auto& [qualifier, value] : process_dates) {
    std::vector<std::string> formats = column ? place_formats(*column, qualifier) : std::vector<std::string>{};
    if (formats.empty()) formats.emplace_back(edi_energy::builders::utilmd::date_format(qualifier));
    auto format = format_of_date(fmt::format("process_dates[{}]", qualifier), value, formats);
    if (!format) return py::propagate(format);
    chosen.push_back(std::move(*format));
  }
  return chosen;
}

}  // namespace quorvane_native::edifact::answer
