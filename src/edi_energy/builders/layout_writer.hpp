// The message writer behind the IFTSTA, REMADV, ORDERS, ORDRSP and QUOTES layouts: one call
// per segment, the first failure kept and everything after it skipped, so that a layout reads
// as its list of segments and still ends at its first failing one. Adds the segment forms those
// layouts share.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "edi_energy/builders/agency.hpp"
#include "edi_energy/builders/message_writer.hpp"
#include "edi_energy/error.hpp"
#include "edi_energy/release.hpp"

namespace edi_energy::builders {

class LayoutWriter {
 public:
  // Starts the message with UNH+reference+type:D:directory:UN:release.
  LayoutWriter(std::string_view message_reference, std::string_view message_type, std::string_view directory,
               const release::Release& release);

  // The field the next segment comes from, or (with `element`) one of its data elements.
  void by(std::string field);
  void by(std::size_t element, std::string field);

  void simple(std::string_view tag, std::initializer_list<std::string_view> elements);
  void composites(std::string_view tag, std::initializer_list<std::initializer_list<std::string_view>> elements);

  // NAD+qualifier+id::agency from the field `field`, the agency chosen by `kind` from the ID;
  // nothing where no ID is given.
  void party(std::string_view qualifier, const std::optional<std::string>& id, AgencyKind kind, std::string field);
  // DTM+qualifier:value:format.
  void date(std::string_view qualifier, std::string_view value, std::string_view format);
  // DTM+qualifier:value:303, the value given a zone offset where it has none.
  void date_303(std::string_view qualifier, std::string_view value);
  // RFF+qualifier:value.
  void reference(std::string_view qualifier, std::string_view value);
  // AJT+code, and the Entscheidungsbaum as a second element unless it is absent or empty: an
  // empty trailing element would only say that DE 1082 is there and blank.
  void adjustment(std::string_view code, const std::optional<std::string>& ebd);

  // Closes the message with UNT and the message reference; the first failure if there was one.
  Result<Written> finish(std::string_view message_reference) &&;

 private:
  void keep(Result<void> written);

  std::optional<MessageWriter> writer_;  // absent when UNH could not be written
  std::optional<Error> failure_;
};

}  // namespace edi_energy::builders
