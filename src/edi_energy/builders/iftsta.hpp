// The IFTSTA builder: one status message of the WiM processes, UNH to UNT.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "edi_energy/builders/agency.hpp"
#include "edi_energy/builders/typestate.hpp"
#include "edi_energy/builders/party_typestate.hpp"
#include "edi_energy/error.hpp"
#include "edi_energy/release.hpp"

namespace edi_energy::builders::iftsta {

struct IftstaBuilderInner {
  std::string message_reference = "1";
  std::string document_code = "Z03";
  std::optional<std::string> sender;
  std::optional<std::string> receiver;
  std::optional<std::string> document_id;    // BGM DE 1004; the message reference when absent
  std::optional<std::string> document_date;  // DTM+137; the current UTC time when absent
  std::optional<std::string> status_category;
  std::optional<std::string> status;
  std::optional<std::string> status_reason;
  std::optional<std::string> status_reason_code_list;
  std::optional<std::string> location;
  std::optional<std::string> ave_reference;
  std::optional<std::string> dtm_76_date;  // written as given, format 102
  std::optional<std::string> vorgangsnummer;
  std::optional<std::string> order_reference;
  std::optional<std::string> vertragsende;
  // EQD DE 8053: when present the status is one of an Equipment group (SG4, Summenzeitreihen):
  // EQD, RFF+Z13, the location and the STS follow the parties, and nothing of the CNI group is
  // written (the Python build refuses the values that would belong there).
  std::optional<std::string> equipment_qualifier;
  std::optional<std::uint32_t> pruefidentifikator;
  release::Release release;
  AgencyKind sender_agency = AgencyKind::Automatic;
  AgencyKind receiver_agency = AgencyKind::Automatic;
};

// The message of `inner`, UNH to UNT.
Result<Written> write_segments(const IftstaBuilderInner& inner);

template <class SenderState = Unset, class ReceiverState = Unset>
class IftstaBuilder : public PartyTypestate<IftstaBuilder, IftstaBuilderInner, SenderState, ReceiverState> {
  using Base = PartyTypestate<IftstaBuilder, IftstaBuilderInner, SenderState, ReceiverState>;
  using Inner = IftstaBuilderInner;

 public:
  explicit IftstaBuilder(release::Release release)
    requires std::same_as<SenderState, Unset> && std::same_as<ReceiverState, Unset>
      : Base(Base::defaults(std::move(release))) {}

  IftstaBuilder message_reference(std::string text) && { return this->set(&Inner::message_reference, std::move(text)); }
  IftstaBuilder document_code(std::string text) && { return this->set(&Inner::document_code, std::move(text)); }
  IftstaBuilder document_id(std::string text) && { return this->set(&Inner::document_id, std::move(text)); }
  IftstaBuilder document_date(std::string text) && { return this->set(&Inner::document_date, std::move(text)); }
  IftstaBuilder status_category(std::string text) && { return this->set(&Inner::status_category, std::move(text)); }
  IftstaBuilder status(std::string text) && { return this->set(&Inner::status, std::move(text)); }
  IftstaBuilder status_reason(std::string text) && { return this->set(&Inner::status_reason, std::move(text)); }
  IftstaBuilder status_reason_code_list(std::string text) && {
    return this->set(&Inner::status_reason_code_list, std::move(text));
  }
  IftstaBuilder location(std::string text) && { return this->set(&Inner::location, std::move(text)); }
  IftstaBuilder ave_reference(std::string text) && { return this->set(&Inner::ave_reference, std::move(text)); }
  IftstaBuilder dtm_76_date(std::string text) && { return this->set(&Inner::dtm_76_date, std::move(text)); }
  IftstaBuilder vorgangsnummer(std::string text) && { return this->set(&Inner::vorgangsnummer, std::move(text)); }
  IftstaBuilder order_reference(std::string text) && { return this->set(&Inner::order_reference, std::move(text)); }
  IftstaBuilder vertragsende(std::string text) && { return this->set(&Inner::vertragsende, std::move(text)); }
  IftstaBuilder equipment_qualifier(std::string text) && {
    return this->set(&Inner::equipment_qualifier, std::move(text));
  }
  IftstaBuilder pruefidentifikator(std::uint32_t number) && { return this->set(&Inner::pruefidentifikator, number); }

 private:
  template <template <class, class> class, class, class, class>
  friend class builders::PartyTypestate;
  explicit IftstaBuilder(Inner inner) : Base(std::move(inner)) {}
};

}  // namespace edi_energy::builders::iftsta
