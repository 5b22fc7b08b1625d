#include "edi_energy/builders/utilmd.hpp"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include <fmt/format.h>

#include "edi_energy/builders/message_writer.hpp"
#include "edi_energy/builders/read_back.hpp"
#include "edi_energy/builders/timestamps.hpp"
#include "edi_energy/builders/utilmd_sg8.hpp"

namespace edi_energy::builders::utilmd {

std::string_view date_format(std::string_view qualifier) {
  if (qualifier == "154") return "102";
  if (qualifier == "Z10") return "106";
  return "303";
}

namespace {

// C080 holds five name parts and the name format code.
constexpr std::size_t MAX_NAME_PARTS = 5;

// The five name parts, padded with empty ones, then the name format code.
Components name_components(const std::vector<std::string>& name_parts, const std::string& name_format) {
  Components components(name_parts.begin(), name_parts.end());
  components.resize(MAX_NAME_PARTS);
  components.push_back(name_format);
  return components;
}

// A sixth name part has no place in C080; dropping it would lose part of a name unseen.
Result<void> check_name_parts(const std::vector<UtilmdTransactionSpec>& transactions) {
  const auto refuse = [](std::string_view qualifier, std::size_t count) {
    return std::unexpected(Error::edifact_serialize(
        fmt::format("NAD+{} has {} name parts, but its party name holds at most {}", qualifier, count,
                    MAX_NAME_PARTS)));
  };
  for (const auto& transaction : transactions) {
    for (const auto& party : transaction.name_parties) {
      if (party.name_parts.size() > MAX_NAME_PARTS) return refuse(party.qualifier, party.name_parts.size());
    }
    for (const auto& party : transaction.address_parties) {
      if (party.name_parts.size() > MAX_NAME_PARTS) return refuse(party.qualifier, party.name_parts.size());
    }
  }
  return {};
}

// The path of a Vorgang's field, as the sources name it.
std::string field_of(std::size_t at, std::string_view field) { return fmt::format("transactions[{}].{}", at, field); }

std::string item_of(std::size_t at, std::string_view list, std::size_t nth) {
  return fmt::format("transactions[{}].{}[{}]", at, list, nth);
}

Result<void> write_party(MessageWriter& writer, std::string_view qualifier, std::string_view party_id,
                         AgencyKind kind) {
  return writer.composites("NAD", {{qualifier}, {party_id, "", agency_for(kind, party_id)}});
}

Result<void> write_statuses(MessageWriter& writer, const UtilmdTransactionSpec& transaction, std::size_t at) {
  if (const auto& grund = transaction.transaktionsgrund) {
    writer.by(field_of(at, "transaktionsgrund"));
    writer.by(3, field_of(at, "transaktionsgrund.ergaenzung"));
    writer.by(4, field_of(at, "transaktionsgrund.befristung"));
    std::vector<std::string_view> elements{"7", "", grund->grund};
    const bool has_ergaenzung = grund->ergaenzung && !grund->ergaenzung->empty();
    if (has_ergaenzung || grund->befristung) {
      elements.push_back(grund->ergaenzung ? std::string_view(*grund->ergaenzung) : std::string_view());
    }
    if (grund->befristung) elements.push_back(*grund->befristung);
    if (auto written = writer.simple("STS", elements); !written) return written;
  }
  if (const auto& antwort = transaction.antwort) {
    writer.by(field_of(at, "antwort"));
    // The Codeliste is given apart from the code it stands beside.
    if (antwort->codeliste) writer.by(2, 1, field_of(at, "antwort.codeliste"));
    auto written = antwort->codeliste ? writer.composites("STS", {{"E01"}, {}, {antwort->code, *antwort->codeliste}})
                                      : writer.composites("STS", {{"E01"}, {}, {antwort->code}});
    if (!written) return written;
  }
  if (const auto& answer = transaction.third_party_answer) {
    writer.by(field_of(at, "third_party_answer"));
    const std::string_view status = answer->c ? std::string_view(*answer->c) : std::string_view();
    auto written = answer->d ? writer.composites("STS", {{"Z35"}, {status}, {answer->a, answer->b}, {*answer->d}})
                             : writer.composites("STS", {{"Z35"}, {status}, {answer->a, answer->b}});
    if (!written) return written;
  }
  return {};
}

Result<void> write_references(MessageWriter& writer, const UtilmdTransactionSpec& transaction,
                              const std::optional<std::string>& pid_reference, std::size_t at) {
  if (pid_reference) {
    if (auto written = writer.composites("RFF", {{"Z13", *pid_reference}}); !written) return written;
  }
  if (transaction.tn_reference) {
    writer.by(field_of(at, "tn_reference"));
    if (auto written = writer.composites("RFF", {{"TN", *transaction.tn_reference}}); !written) return written;
  }
  for (std::size_t nth = 0; nth < transaction.references.size(); ++nth) {
    const auto& [qualifier, value] = transaction.references[nth];
    // The caller's own Z13 would repeat the one just written.
    if (pid_reference && qualifier == "Z13" && value == *pid_reference) continue;
    writer.by(item_of(at, "references", nth));
    if (auto written = writer.composites("RFF", {{qualifier, value}}); !written) return written;
  }
  for (std::size_t nth = 0; nth < transaction.dated_references.size(); ++nth) {
    const auto& dated = transaction.dated_references[nth];
    writer.by(item_of(at, "dated_references", nth));
    if (auto written = writer.composites("RFF", {{dated.qualifier, dated.value}}); !written) return written;
    writer.by(item_of(at, "dated_references", nth));
    auto written = writer.composites("DTM", {{dated.date_qualifier, dated.date_value, dated.date_format}});
    if (!written) return written;
  }
  return {};
}

Result<void> write_parties(MessageWriter& writer, const UtilmdTransactionSpec& transaction, std::size_t at) {
  for (std::size_t nth = 0; nth < transaction.name_parties.size(); ++nth) {
    const auto& party = transaction.name_parties[nth];
    writer.by(item_of(at, "name_parties", nth));
    const std::array<Components, 4> elements{Components{party.qualifier}, Components{}, Components{},
                                             name_components(party.name_parts, party.name_format)};
    if (auto written = writer.composites("NAD", elements); !written) return written;
  }
  for (std::size_t nth = 0; nth < transaction.address_parties.size(); ++nth) {
    const auto& party = transaction.address_parties[nth];
    writer.by(item_of(at, "address_parties", nth));
    const std::array<Components, 9> elements{
        Components{party.qualifier}, Components{}, Components{}, name_components(party.name_parts, party.name_format),
        Components{party.street},    Components{party.city},     Components{}, Components{party.postal_code},
        Components{party.country}};
    if (auto written = writer.composites("NAD", elements); !written) return written;
  }
  for (std::size_t nth = 0; nth < transaction.id_parties.size(); ++nth) {
    const auto& [qualifier, party_id] = transaction.id_parties[nth];
    writer.by(item_of(at, "id_parties", nth));
    if (auto written = write_party(writer, qualifier, party_id, AgencyKind::Automatic); !written) return written;
  }
  return {};
}

Result<void> write_transaction(MessageWriter& writer, const UtilmdTransactionSpec& transaction,
                               const std::optional<std::string>& pid_reference, const Sg8Ranks& ranks,
                               std::size_t at) {
  writer.by(field_of(at, "vorgangsnummer"));
  if (auto written = writer.simple("IDE", {transaction.ide_qualifier, transaction.vorgangsnummer}); !written) {
    return written;
  }
  if (const auto& description = transaction.item_description) {
    writer.by(field_of(at, "item_description"));
    if (auto written = writer.simple("IMD", {"", description->first, description->second}); !written) return written;
  }
  for (std::size_t nth = 0; nth < transaction.dates.size(); ++nth) {
    const auto& [qualifier, value, given_format] = transaction.dates[nth];
    writer.by(item_of(at, "dates", nth));
    const std::string_view format = given_format ? std::string_view(*given_format) : date_format(qualifier);
    const std::string written_value = format == "303" ? ccyymmddhhmm_utc(value) : value;
    if (auto written = writer.composites("DTM", {{qualifier, written_value, format}}); !written) return written;
  }
  if (auto written = write_statuses(writer, transaction, at); !written) return written;
  for (std::size_t nth = 0; nth < transaction.free_texts.size(); ++nth) {
    const auto& [qualifier, text] = transaction.free_texts[nth];
    writer.by(item_of(at, "free_texts", nth));
    if (auto written = writer.simple("FTX", {qualifier, "", "", text}); !written) return written;
  }
  if (const auto& agreement = transaction.agreement) {
    writer.by(field_of(at, "agreement"));
    if (auto written = writer.composites("AGR", {{agreement->first, agreement->second}}); !written) return written;
  }
  for (std::size_t nth = 0; nth < transaction.locations.size(); ++nth) {
    const auto& [qualifier, id] = transaction.locations[nth];
    writer.by(item_of(at, "locations", nth));
    if (auto written = writer.simple("LOC", {qualifier, id}); !written) return written;
  }
  if (auto written = write_references(writer, transaction, pid_reference, at); !written) return written;
  if (auto written = emit_sg8(writer, transaction, ranks, at); !written) return written;
  return write_parties(writer, transaction, at);
}

// BGM to the last Vorgang.
Result<void> write_body(MessageWriter& writer, const UtilmdBuilderInner& inner) {
  const std::string& document_number = inner.document_number ? *inner.document_number : inner.message_reference;
  writer.by(0, "document_code");
  writer.by(1, inner.document_number ? "document_number" : "message_reference");
  if (auto written = writer.simple("BGM", {inner.document_code, document_number}); !written) return written;
  const std::string document_date = ccyymmddhhmm_utc(date_or_now(inner.document_date));
  writer.by("document_date");
  if (auto written = writer.composites("DTM", {{"137", document_date, "303"}}); !written) return written;
  if (inner.validity_start) {
    writer.by("validity_start");
    if (auto written = writer.composites("DTM", {{"157", *inner.validity_start, "610"}}); !written) return written;
  }
  for (std::size_t nth = 0; nth < inner.references.size(); ++nth) {
    const auto& [qualifier, value] = inner.references[nth];
    writer.by(fmt::format("references[{}]", nth));
    if (auto written = writer.composites("RFF", {{qualifier, value}}); !written) return written;
  }
  if (inner.sender) {
    writer.by("sender");
    if (auto written = write_party(writer, "MS", *inner.sender, inner.sender_agency); !written) return written;
  }
  if (inner.receiver) {
    writer.by("receiver");
    if (auto written = write_party(writer, "MR", *inner.receiver, inner.receiver_agency); !written) return written;
  }

  // With a Z01 Vorgang in the message, only Z01 Vorgänge carry the Prüfidentifikator.
  const bool z01_only = std::ranges::any_of(inner.transactions, [](const auto& t) { return t.ide_qualifier == "Z01"; });
  std::optional<std::string> pid_text;
  if (inner.pruefidentifikator && inner.vorgang_pid_reference) {
    pid_text = fmt::format("{:05}", *inner.pruefidentifikator);
  }
  const Sg8Ranks ranks = sg8_ranks(inner.release);
  for (std::size_t at = 0; at < inner.transactions.size(); ++at) {
    const auto& transaction = inner.transactions[at];
    const bool admitted = !z01_only || transaction.ide_qualifier == "Z01";
    if (auto written = write_transaction(writer, transaction, admitted ? pid_text : std::nullopt, ranks, at);
        !written) {
      return written;
    }
  }
  return {};
}

}  // namespace

Result<Written> write_utilmd(const UtilmdBuilderInner& inner) {
  if (auto checked = check_name_parts(inner.transactions); !checked) return std::unexpected(std::move(checked.error()));
  auto writer = MessageWriter::open(inner.message_reference, "UTILMD", "11A", inner.release.text());
  if (!writer) return std::unexpected(std::move(writer.error()));
  if (auto written = write_body(*writer, inner); !written) return std::unexpected(std::move(written.error()));
  return std::move(*writer).finish(inner.message_reference);
}

Result<messages::utilmd::UtilmdMessage> build_utilmd(UtilmdBuilderInner inner) {
  auto bytes = bytes_of(write_utilmd(inner));
  if (!bytes) return std::unexpected(std::move(bytes.error()));
  auto segments = bytes_to_segments(*bytes);
  if (!segments) return std::unexpected(std::move(segments.error()));
  return messages::utilmd::UtilmdMessage::from_parts(std::move(*segments), std::move(inner.message_reference),
                                                     std::string(inner.release.text()), inner.pruefidentifikator);
}

}  // namespace edi_energy::builders::utilmd
