// Builds one APERAK, the application acknowledgement of a received message: positive ("312")
// or carrying an error block (ERC, its text and, for the AHB error codes, where the fault was).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "edi_energy/builders/agency.hpp"
#include "edi_energy/builders/typestate.hpp"
#include "edi_energy/builders/written.hpp"
#include "edi_energy/error.hpp"
#include "edi_energy/release.hpp"

namespace edi_energy::builders::aperak {

struct AperakBuilderInner {
  release::Release release;
  std::string message_reference = "1";
  std::optional<std::string> sender;
  std::optional<std::string> receiver;
  AgencyKind sender_agency = AgencyKind::Automatic;
  AgencyKind receiver_agency = AgencyKind::Automatic;
  std::optional<std::string> document_code;       // else "313" with an error code, "312" without
  std::optional<std::string> pruefidentifikator;  // decimal text; BGM DE 1004
  std::optional<std::string> referenced_message;  // RFF+ACE, and RFF+ACW in the error block
  // SG2 and SG5 RFF+AGO, the referenced message's document number; else the referenced message
  std::optional<std::string> ago_reference;
  std::optional<std::string> reference_date;      // DTM+171; else the document date
  std::optional<std::string> error_code;
  std::optional<std::string> error_text;          // FTX+ABO
  std::optional<std::string> location_statement;  // FTX+Z02
  std::optional<std::string> document_date;       // DTM+137; else the current UTC time
  // Whether the error block carries RFF+ACW: only where the release's MIG has a place for it.
  bool writes_acw = true;
};

// The error codes whose block must say where in the message the fault lies (FTX+Z02).
bool requires_ortsangabe(std::string_view error_code);

// UNH to UNT of the message the fields describe.
Result<std::string> serialize(const AperakBuilderInner& inner);
// The message with the sources of its segments.
Result<Written> write(const AperakBuilderInner& inner);

template <class SenderState = Unset, class ReceiverState = Unset>
class AperakBuilder {
 public:
  explicit AperakBuilder(release::Release release)
    requires(std::same_as<SenderState, Unset> && std::same_as<ReceiverState, Unset>)
  {
    inner_.release = std::move(release);
  }

  AperakBuilder<Set, ReceiverState> sender(std::string id) && {
    inner_.sender = std::move(id);
    return AperakBuilder<Set, ReceiverState>(std::move(inner_));
  }
  AperakBuilder<SenderState, Set> receiver(std::string id) && {
    inner_.receiver = std::move(id);
    return AperakBuilder<SenderState, Set>(std::move(inner_));
  }

  AperakBuilder sender_agency(AgencyKind kind) && { return with(&AperakBuilderInner::sender_agency, kind); }
  AperakBuilder receiver_agency(AgencyKind kind) && { return with(&AperakBuilderInner::receiver_agency, kind); }
  AperakBuilder message_ref(std::string text) && {
    return with(&AperakBuilderInner::message_reference, std::move(text));
  }
  AperakBuilder document_code(std::string code) && {
    return with(&AperakBuilderInner::document_code, std::move(code));
  }
  AperakBuilder pruefidentifikator(std::uint32_t pruefidentifikator) && {
    return with(&AperakBuilderInner::pruefidentifikator, std::to_string(pruefidentifikator));
  }
  AperakBuilder referenced_message(std::string reference) && {
    return with(&AperakBuilderInner::referenced_message, std::move(reference));
  }
  AperakBuilder ago_reference(std::string reference) && {
    return with(&AperakBuilderInner::ago_reference, std::move(reference));
  }
  AperakBuilder reference_date(std::string date) && {
    return with(&AperakBuilderInner::reference_date, std::move(date));
  }
  AperakBuilder error_code(std::string code) && { return with(&AperakBuilderInner::error_code, std::move(code)); }
  AperakBuilder error_text(std::string text) && { return with(&AperakBuilderInner::error_text, std::move(text)); }
  AperakBuilder location_statement(std::string text) && {
    return with(&AperakBuilderInner::location_statement, std::move(text));
  }
  AperakBuilder document_date(std::string date) && {
    return with(&AperakBuilderInner::document_date, std::move(date));
  }
  AperakBuilder writes_acw(bool writes) && { return with(&AperakBuilderInner::writes_acw, writes); }

  const AperakBuilderInner& inner() const { return inner_; }

  Result<std::string> serialize() &&
    requires BothSet<SenderState, ReceiverState>
  {
    const AperakBuilderInner inner = std::move(inner_);
    return aperak::serialize(inner);
  }
  Result<Written> written() &&
    requires BothSet<SenderState, ReceiverState>
  {
    const AperakBuilderInner inner = std::move(inner_);
    return aperak::write(inner);
  }

 private:
  template <class, class>
  friend class AperakBuilder;

  explicit AperakBuilder(AperakBuilderInner inner) : inner_(std::move(inner)) {}

  template <class Field, class Value>
  AperakBuilder with(Field AperakBuilderInner::*field, Value value) {
    inner_.*field = std::move(value);
    return AperakBuilder(std::move(inner_));
  }

  AperakBuilderInner inner_;
};

}  // namespace edi_energy::builders::aperak
