// What every build function shares after it has written its own segments: completion of the
// message to the AHB column of its Prüfidentifikator, the column's questions a builder asks
// (document code, listed data elements), the document date and the ISO 8859-1 check.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "edi_energy/message_type.hpp"
#include "edi_energy/profile/profile.hpp"
#include "edi_energy/release.hpp"
#include "quorvane_native/edifact/segment_writers.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

// The profile and Anwendungsfall that completion fills a message of the type, release and
// Prüfidentifikator to.
struct ColumnRef {
  const edi_energy::profile::Profile* profile;
  const edi_energy::profile::model::Anwendungsfall* anwendungsfall;
};

// None when no profile of the type carries exactly this release or it does not know the
// Prüfidentifikator.
std::optional<ColumnRef> column_of(edi_energy::message_type::MessageType type,
                                   const edi_energy::release::Release& release, std::uint32_t pruefidentifikator);

// The message completed by the column's generator, or `bytes` unchanged when no profile of the
// type carries exactly this release. `writers` names the arguments that wrote the builder's
// segments, for the verdict of a build that asks for one. `chosen_by` names the argument that chose the
// Prüfidentifikator: a profile of the release without an Anwendungsfall for it is then a
// ValueError naming that argument and the release. Without `chosen_by` (the message's own
// content chose it) such a message is returned unchanged. ValueError when the given values make
// a segment longer than a segment may be; RuntimeError "{type} completion failed: {}" when a
// written segment has no place in the column.
py::Expected<std::string> complete_to_column(std::string bytes, edi_energy::message_type::MessageType type,
                                             const edi_energy::release::Release& release,
                                             std::uint32_t pruefidentifikator, SegmentWriters writers,
                                             std::optional<std::string_view> chosen_by = "pruefidentifikator");

// The BGM DE 1001 code the column prescribes, if it names one.
std::optional<std::string> column_bgm_code(edi_energy::message_type::MessageType type,
                                           const edi_energy::release::Release& release,
                                           std::uint32_t pruefidentifikator);

// Whether the column has a rule for data element `de` in a segment tagged `tag`; an unknown
// column lists everything.
bool column_lists_de(edi_energy::message_type::MessageType type, const edi_energy::release::Release& release,
                     std::uint32_t pruefidentifikator, std::string_view tag, std::string_view de);

// A UTILMD answer status: the EBD survives only where the column lists STS DE 1131.
std::pair<std::string, std::optional<std::string>> antwort_status(std::string code, std::optional<std::string> ebd,
                                                                  const edi_energy::release::Release& release,
                                                                  std::uint32_t pruefidentifikator);

// `document_date` as given, else `on` as CCYYMMDD, else nothing.
py::Expected<std::optional<std::string>> document_date_for(std::optional<std::string_view> document_date,
                                                           std::optional<std::string_view> on);

// ValueError naming `field` when `text` has a character outside ISO 8859-1.
py::Status ensure_latin1(std::string_view field, std::string_view text);

}  // namespace quorvane_native::edifact
