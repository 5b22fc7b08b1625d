#include "edi_energy/builders/aperak.hpp"

#include <algorithm>
#include <array>

#include "edi_energy/builders/message_writer.hpp"
#include "edi_energy/builders/timestamps.hpp"

namespace edi_energy::builders::aperak {

namespace {

constexpr std::array<std::string_view, 6> ortsangabe_codes{"Z29", "Z35", "Z38", "Z39", "Z40", "Z41"};

Result<void> write_nad(MessageWriter& writer, std::string_view qualifier, const std::string& party, AgencyKind kind) {
  return writer.composites("NAD", {{qualifier}, {party, "", agency_for(kind, party)}});
}

// Everything between UNH and UNT.
Result<void> write_body(MessageWriter& writer, const AperakBuilderInner& inner) {
  const std::optional<std::string>& error_code = inner.error_code;
  const std::string_view document_code =
      inner.document_code ? std::string_view(*inner.document_code) : error_code ? "313" : "312";
  // One timestamp for the whole message: a DTM+171 without a date of its own repeats DTM+137
  // rather than going out empty.
  const std::string document_date = date_or_now(inner.document_date);

  writer.by(0, "document_code");
  writer.by(1, inner.pruefidentifikator ? "pruefidentifikator" : "message_reference");
  if (auto done = writer.simple("BGM", {document_code, inner.pruefidentifikator.value_or(inner.message_reference)});
      !done)
    return done;
  writer.by("document_date");
  if (auto done = writer.composites("DTM", {{"137", ccyymmddhhmm_utc(document_date), "303"}}); !done) return done;

  if (const auto& referenced = inner.referenced_message) {
    writer.by("referenced_message");
    if (auto done = writer.composites("RFF", {{"ACE", *referenced}}); !done) return done;
    const std::string reference_date = ccyymmddhhmm_utc(inner.reference_date.value_or(document_date));
    writer.by(inner.reference_date ? "reference_date" : "document_date");
    if (auto done = writer.composites("DTM", {{"171", reference_date, "303"}}); !done) return done;
    // Both releases' columns name the referenced document here, an error or not.
    writer.by(inner.ago_reference ? "ago_reference" : "referenced_message");
    if (auto done = writer.composites("RFF", {{"AGO", inner.ago_reference.value_or(*referenced)}}); !done)
      return done;
  }

  if (inner.sender) {
    writer.by("sender");
    if (auto done = write_nad(writer, "MS", *inner.sender, inner.sender_agency); !done) return done;
  }
  if (inner.receiver) {
    writer.by("receiver");
    if (auto done = write_nad(writer, "MR", *inner.receiver, inner.receiver_agency); !done) return done;
  }

  if (error_code) {
    writer.by("error_code");
    if (auto done = writer.simple("ERC", {*error_code}); !done) return done;
  }
  if (inner.error_text) {
    writer.by("error_text");
    if (auto done = writer.composites("FTX", {{"ABO"}, {}, {}, {*inner.error_text}}); !done) return done;
  }
  if (error_code && inner.referenced_message) {
    const std::string& referenced = *inner.referenced_message;
    if (inner.writes_acw) {
      writer.by("referenced_message");
      if (auto done = writer.composites("RFF", {{"ACW", referenced}}); !done) return done;
    }
    writer.by(inner.ago_reference ? "ago_reference" : "referenced_message");
    if (auto done = writer.composites("RFF", {{"AGO", inner.ago_reference.value_or(referenced)}}); !done)
      return done;
    if (requires_ortsangabe(*error_code)) {
      const std::string& location = inner.location_statement ? *inner.location_statement
                                    : inner.error_text       ? *inner.error_text
                                                             : *error_code;
      writer.by(inner.location_statement ? "location_statement" : inner.error_text ? "error_text" : "error_code");
      if (auto done = writer.composites("FTX", {{"Z02"}, {}, {}, {location}}); !done) return done;
    }
  }
  return {};
}

}  // namespace

bool requires_ortsangabe(std::string_view error_code) {
  return std::ranges::find(ortsangabe_codes, error_code) != ortsangabe_codes.end();
}

Result<std::string> serialize(const AperakBuilderInner& inner) { return bytes_of(write(inner)); }

Result<Written> write(const AperakBuilderInner& inner) {
  auto writer = MessageWriter::open(inner.message_reference, "APERAK", "07B", inner.release.text());
  if (!writer) return std::unexpected(std::move(writer.error()));
  if (auto written = write_body(*writer, inner); !written) return std::unexpected(std::move(written.error()));
  return std::move(*writer).finish(inner.message_reference);
}

}  // namespace edi_energy::builders::aperak
