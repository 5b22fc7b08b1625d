#include "edi_energy/profile/profile.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include <fmt/format.h>

#include "edi_energy/profile/conditions/pattern_placement.hpp"
#include "edi_energy/profile/document_date.hpp"

namespace edi_energy::profile {
namespace {

std::expected<std::chrono::year_month_day, error::ProfileError> validity_date(std::string_view field,
                                                                             std::string_view text) {
  auto date = parse_document_date(text);
  if (!date) return std::unexpected(error::ProfileError::invalid_field(field, std::string(text), std::move(date.error())));
  return *date;
}

PidIndex pid_index_of(const model::AhbProfile& ahb) {
  PidIndex index;
  for (std::size_t position = 0; position < ahb.anwendungsfaelle.size(); ++position) {
    if (const auto& pid = ahb.anwendungsfaelle[position].pid) index.insert_or_assign(*pid, position);
  }
  return index;
}

}  // namespace

std::expected<Profile, error::ProfileError> Profile::create(model::MigProfile mig, model::AhbProfile ahb) {
  if (mig.message_type != ahb.message_type || mig.release != ahb.release) {
    return std::unexpected(error::ProfileError::invalid_field(
        "release", fmt::format("{} {} / {} {}", mig.message_type, mig.release, ahb.message_type, ahb.release),
        "mig.json and ahb.json describe different documents"));
  }
  const auto message_type = message_type::from_unh_code(mig.message_type);
  if (!message_type) {
    return std::unexpected(
        error::ProfileError::invalid_field("message_type", mig.message_type, "not an EDI@Energy message type"));
  }
  const auto valid_from = validity_date("valid_from", mig.valid_from);
  if (!valid_from) return std::unexpected(valid_from.error());
  std::optional<std::chrono::year_month_day> valid_until;
  if (mig.valid_until) {
    const auto date = validity_date("valid_until", *mig.valid_until);
    if (!date) return std::unexpected(date.error());
    valid_until = *date;
  }

  Profile profile;
  profile.structure_ = structure::Structure::compile(mig);
  profile.pid_index_ = pid_index_of(ahb);
  profile.group_schema_ = &leak_group_schema::build(profile.structure_);
  profile.release_ = release::Release(mig.release);
  profile.valid_from_ = *valid_from;
  profile.valid_until_ = valid_until;
  profile.message_type_ = *message_type;
  profile.mig_ = std::move(mig);
  profile.ahb_ = std::move(ahb);
  profile.columns_ = std::make_unique<ColumnCell[]>(profile.ahb_.anwendungsfaelle.size());
  return profile;
}

std::expected<Profile, error::ProfileError> Profile::from_json(std::string_view mig, std::string_view ahb) {
  auto documents = json::read_pair(mig, ahb);
  if (!documents) return std::unexpected(std::move(documents.error()));
  return create(std::move(documents->mig), std::move(documents->ahb));
}

std::expected<Profile, error::ProfileError> Profile::from_json(json::PaddedText mig, json::PaddedText ahb) {
  auto documents = json::read_pair(mig, ahb);
  if (!documents) return std::unexpected(std::move(documents.error()));
  return create(std::move(documents->mig), std::move(documents->ahb));
}

const conditions::ReadConditions& Profile::read_conditions() const {
  std::call_once(read_conditions_->once, [this] {
    read_conditions_->value = conditions::read_conditions(ahb_.conditions);
    conditions::place_readings(read_conditions_->value, conditions::segment_codes(structure_.segment_defs, ahb_));
  });
  return read_conditions_->value;
}

const validate::ParsedPakete& Profile::parsed_pakete() const {
  std::call_once(pakete_->once, [this] { pakete_->value = validate::parse_pakete(ahb_.packages); });
  return pakete_->value;
}

std::optional<std::size_t> Profile::column_index(const model::Anwendungsfall& anwendungsfall) const {
  const auto& all = ahb_.anwendungsfaelle;
  // Compared as addresses only: pointer arithmetic across unrelated objects is undefined.
  const auto found = std::ranges::find_if(all, [&](const model::Anwendungsfall& a) { return &a == &anwendungsfall; });
  if (found == all.end()) return std::nullopt;
  return static_cast<std::size_t>(found - all.begin());
}

const validate::Column* Profile::column(const model::Anwendungsfall& anwendungsfall) const {
  const auto index = column_index(anwendungsfall);
  if (!index) return nullptr;
  ColumnCell& cell = columns_[*index];
  std::call_once(cell.once, [&] { cell.value.emplace(anwendungsfall, &structure_, &read_conditions()); });
  return &*cell.value;
}

const model::Anwendungsfall* Profile::anwendungsfall(std::uint32_t pruefidentifikator) const {
  auto found = pid_index_.find(pruefidentifikator);
  return found == pid_index_.end() ? nullptr : &ahb_.anwendungsfaelle[found->second];
}

}  // namespace edi_energy::profile
