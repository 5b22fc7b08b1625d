// Builds one CONTRL, the syntax acknowledgement of a received interchange: UNH, one UCI that
// accepts or rejects the interchange, UNT.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "edi_energy/builders/typestate.hpp"
#include "edi_energy/error.hpp"
#include "edi_energy/release.hpp"

namespace edi_energy::builders::contrl {

struct ContrlBuilderInner {
  release::Release release;
  std::string message_reference = "1";
  std::string interchange_reference;  // UNB DE 0020 of the acknowledged interchange
  std::string action_code = "7";      // "7": transmission acknowledged, no syntax errors
  std::optional<std::string> sender;
  std::optional<std::string> receiver;
  std::optional<std::string> syntax_error;
};

// UNH, UCI and UNT of the acknowledgement the fields describe.
Result<std::string> serialize(const ContrlBuilderInner& inner);

template <class SenderState = Unset, class ReceiverState = Unset>
class ContrlBuilder {
 public:
  explicit ContrlBuilder(release::Release release)
    requires(std::same_as<SenderState, Unset> && std::same_as<ReceiverState, Unset>)
  {
    inner_.release = std::move(release);
  }

  ContrlBuilder<Set, ReceiverState> sender(std::string id) && {
    inner_.sender = std::move(id);
    return ContrlBuilder<Set, ReceiverState>(std::move(inner_));
  }
  ContrlBuilder<SenderState, Set> receiver(std::string id) && {
    inner_.receiver = std::move(id);
    return ContrlBuilder<SenderState, Set>(std::move(inner_));
  }

  ContrlBuilder message_ref(std::string text) && {
    return with(&ContrlBuilderInner::message_reference, std::move(text));
  }
  ContrlBuilder interchange_ref(std::string reference) && {
    return with(&ContrlBuilderInner::interchange_reference, std::move(reference));
  }
  ContrlBuilder action_code(std::string code) && { return with(&ContrlBuilderInner::action_code, std::move(code)); }
  ContrlBuilder syntax_error(std::optional<std::string> code) && {
    return with(&ContrlBuilderInner::syntax_error, std::move(code));
  }

  // Rejects this level and every level below it with `syntax_error_code`.
  ContrlBuilder reject(std::string syntax_error_code) && {
    // Moved in rather than assigned from the literal: GCC 12 reports a false -Wrestrict on the
    // latter once this is inlined into a caller.
    inner_.action_code = std::string("4");
    return with(&ContrlBuilderInner::syntax_error, std::optional(std::move(syntax_error_code)));
  }

  const ContrlBuilderInner& inner() const { return inner_; }

  Result<std::string> serialize() &&
    requires BothSet<SenderState, ReceiverState>
  {
    const ContrlBuilderInner inner = std::move(inner_);
    return contrl::serialize(inner);
  }

 private:
  template <class, class>
  friend class ContrlBuilder;

  explicit ContrlBuilder(ContrlBuilderInner inner) : inner_(std::move(inner)) {}

  template <class Field, class Value>
  ContrlBuilder with(Field ContrlBuilderInner::*field, Value value) {
    inner_.*field = std::move(value);
    return ContrlBuilder(std::move(inner_));
  }

  ContrlBuilderInner inner_;
};

}  // namespace edi_energy::builders::contrl
