#include "quorvane_native/edifact/plain_builds.hpp"

#include <fmt/format.h>

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "edi_energy/builders/quotes.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/plain_build_steps.hpp"
#include "quorvane_native/edifact/quotes_line_item.hpp"
#include "quorvane_native/pids/release_resolution.hpp"
#include "quorvane_native/py/convert.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact {

namespace {

using edi_energy::builders::quotes::bindungsfrist_unit_separator;
using edi_energy::message_type::MessageType;

// The fixed article number, left-filled to 14 characters and followed by "01".
constexpr std::string_view ARTICLE_IDENTIFIER = "0999100000000001";

// Count, separator, period code; a unit outside the three is refused, since a date in its place
// would read as no Bindungsfrist at all.
py::Expected<std::string> bindungsfrist_text(const std::pair<std::string, std::string>& bindungsfrist) {
  std::string unit = bindungsfrist.second;
  for (char& c : unit) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  std::string_view code;
  if (unit == "monat") {
    code = "802";
  } else if (unit == "woche") {
    code = "803";
  } else if (unit == "tag") {
    code = "804";
  } else {
    return py::value_error(fmt::format(
        "bindungsfrist unit must be \"monat\", \"woche\" or \"tag\", got {} — the AHB expects a duration, and a "
        "date there is read as no Bindungsfrist at all",
        support::debug_quote(unit)));
  }
  std::string text = bindungsfrist.first;
  text += bindungsfrist_unit_separator;
  text += code;
  return text;
}

}  // namespace

py::Result build_quotes(py::Args args) {
  auto pruefidentifikator = py::to_u32(args[0]);
  if (!pruefidentifikator) return py::propagate(pruefidentifikator);
  auto sender = py::to_str(args[1]);
  if (!sender) return py::propagate(sender);
  auto receiver = py::to_str(args[2]);
  if (!receiver) return py::propagate(receiver);
  auto location = py::to_optional_str(args[3]);
  if (!location) return py::propagate(location);
  auto bindungsfrist = py::to_optional(args[4], to_pair);
  if (!bindungsfrist) return py::propagate(bindungsfrist);
  auto product = py::to_optional_str(args[5]);
  if (!product) return py::propagate(product);
  auto contact = py::to_optional(args[7], to_pair);
  if (!contact) return py::propagate(contact);
  auto price = py::to_optional_str(args[6]);
  if (!price) return py::propagate(price);
  auto on = py::to_optional_str(args[8]);
  if (!on) return py::propagate(on);
  auto release_text = py::to_optional_str(args[9]);
  if (!release_text) return py::propagate(release_text);
  auto document_code = py::to_optional_str(args[10]);
  if (!document_code) return py::propagate(document_code);
  auto references = py::to_list_or_empty(args[12], py::from::str_pair);
  if (!references) return py::propagate(references);
  auto document_id = py::to_optional_str(args[11]);
  if (!document_id) return py::propagate(document_id);
  auto currency = py::to_optional_str(args[13]);
  if (!currency) return py::propagate(currency);
  auto message_ref = py::to_str(args[14]);
  if (!message_ref) return py::propagate(message_ref);
  auto document_date_text = py::to_optional_str(args[15]);
  if (!document_date_text) return py::propagate(document_date_text);

  auto release = pids::resolve_release(MessageType::Quotes, view_of(*release_text), view_of(*on), std::nullopt);
  if (!release) return py::propagate(release);

  const auto column = column_of(MessageType::Quotes, *release, *pruefidentifikator);
  if (column) {
    const std::optional<std::string> reference = *message_ref;
    if (auto given = refuse_empty_texts({{"location", &*location}, {"product", &*product}, {"price", &*price},
                                         {"document_code", &*document_code}, {"document_id", &*document_id},
                                         {"currency", &*currency}, {"message_ref", &reference}});
        !given) {
      return py::propagate(given);
    }
    if (*bindungsfrist) {
      if (auto given = refuse_empty_members("bindungsfrist", {{"count", (*bindungsfrist)->first}}); !given) {
        return py::propagate(given);
      }
    }
    if (*contact) {
      const auto& [name, communication] = **contact;
      auto given = refuse_empty_members("contact", {{"name", name}, {"communication", communication}});
      if (!given) return py::propagate(given);
    }
    if (auto given = refuse_empty_pairs("references", *references, "qualifier", "value"); !given) {
      return py::propagate(given);
    }
  }
  auto builder = edi_energy::builders::quotes::QuotesBuilder(*release)
                     .sender(std::move(*sender))
                     .receiver(std::move(*receiver))
                     .pruefidentifikator(*pruefidentifikator)
                     .message_reference(*message_ref);
  // LOC+172 stands in the Liefer-/Bezugsort group, which NAD+DP opens.
  if (*location) builder = std::move(builder).location(std::move(**location)).delivery_point(true);
  if (*bindungsfrist) {
    auto text = bindungsfrist_text(**bindungsfrist);
    if (!text) return py::propagate(text);
    builder = std::move(builder).bindungsfrist(std::move(*text));
  }
  // Without a column the line item keeps the layout of a product's, so a price is never lost.
  QuotesLineItem line_item{"Z67", true};
  if (column && (*product || *price)) {
    auto placed = quotes_line_item(*column, fmt::format("QUOTES {} ({})", *pruefidentifikator, release->text()),
                                   product->has_value(), price->has_value());
    if (!placed) return py::propagate(placed);
    line_item = std::move(*placed);
  }
  if (*product || *price) builder = std::move(builder).line_item_code(std::move(line_item.code));
  if (*product) builder = std::move(builder).product(std::move(**product));
  if (*price && line_item.article_price) {
    builder = std::move(builder)
                  .artikel_identifier(std::string(ARTICLE_IDENTIFIER))
                  .price({std::move(**price), "Z01", "H87"});
  } else if (*price) {
    // A line item named by its article number has no Artikel-ID to price: the PRI carries the
    // amount, and completion adds the basis and unit the column asks for.
    builder = std::move(builder).single_price(std::move(**price));
  }
  if (*contact) builder = std::move(builder).contact({std::move((*contact)->first), std::move((*contact)->second)});
  if (!*document_code) *document_code = column_bgm_code(MessageType::Quotes, *release, *pruefidentifikator);
  if (*document_code) builder = std::move(builder).document_code(std::move(**document_code));
  if (*document_id) builder = std::move(builder).document_id(std::move(**document_id));
  if (*currency) builder = std::move(builder).currency(std::move(**currency));
  for (auto& [qualifier, value] : *references) builder = std::move(builder).reference(std::move(qualifier), std::move(value));
  auto document_date = document_date_for(view_of(*document_date_text), view_of(*on));
  if (!document_date) return py::propagate(document_date);
  if (*document_date) builder = std::move(builder).document_date(std::move(**document_date));

  constexpr std::array<Rename, 3> renames{{
      {"message_reference", "message_ref"}, {"prices[]", "price"}, {"single_price", "price"}}};
  return complete_written(std::move(builder).written(), args, renames, MessageType::Quotes, *release,
                          *pruefidentifikator);
}

}  // namespace quorvane_native::edifact
