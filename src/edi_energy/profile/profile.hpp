// One compiled profile: the MIG and AHB documents of one message type and release, checked
// against each other and prepared for segment placement, Prüfidentifikator lookups and
// segment-group trees. Immutable once made.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "edi_energy/error.hpp"
#include "edi_energy/message_type.hpp"
#include "edi_energy/profile/conditions/read_conditions.hpp"
#include "edi_energy/profile/group_schema.hpp"
#include "edi_energy/profile/json.hpp"
#include "edi_energy/profile/model.hpp"
#include "edi_energy/profile/skeleton/completion_error.hpp"
#include "edi_energy/profile/skeleton/parties.hpp"
#include "edi_energy/profile/structure.hpp"
#include "edi_energy/profile/validate/column.hpp"
#include "edi_energy/profile/validate/parsed_pakete.hpp"
#include "edi_energy/release.hpp"

namespace edi_energy::profile {

namespace skeleton {
struct ColumnPins;
}

// Prüfidentifikator to the position of its Anwendungsfall in the AHB's list.
using PidIndex = std::unordered_map<std::uint32_t, std::size_t>;

class Profile {
 public:
  // Fails with an invalid field when the documents describe different message types or
  // releases, the message type is unknown, or a validity date does not parse.
  static std::expected<Profile, error::ProfileError> create(model::MigProfile mig, model::AhbProfile ahb);

  // Reads both documents (the MIG first), then `create`.
  static std::expected<Profile, error::ProfileError> from_json(std::string_view mig, std::string_view ahb);
  static std::expected<Profile, error::ProfileError> from_json(json::PaddedText mig, json::PaddedText ahb);

  // Copies would duplicate whole documents; a profile is made once and shared by reference.
  Profile(const Profile&) = delete;
  Profile& operator=(const Profile&) = delete;
  Profile(Profile&&) = default;
  Profile& operator=(Profile&&) = default;
  ~Profile() = default;

  // The Anwendungsfall of a Prüfidentifikator; the last one in the AHB when several carry it.
  const model::Anwendungsfall* anwendungsfall(std::uint32_t pruefidentifikator) const;

  // Completes `seeds` (or an empty message) to the column: the output of the last of at most 24
  // rounds of generating and validating. Fails, naming the first such seed, when a seed segment
  // has no place in the structure, rather than return a message without it.
  std::expected<std::vector<edifact::model::Segment>, skeleton::CompletionError> generate(
      std::optional<std::span<const edifact::model::Segment>> seeds, const model::Anwendungsfall& anwendungsfall,
      const skeleton::SkeletonParties& parties) const;

  const model::MigProfile& mig() const { return mig_; }
  const model::AhbProfile& ahb() const { return ahb_; }
  const structure::Structure& structure() const { return structure_; }
  const release::Release& release() const { return release_; }
  const PidIndex& pid_index() const { return pid_index_; }
  // The AHB's condition texts, read on the first call (most profiles of a process are never
  // validated against), so that validations never read a text again; their segment patterns
  // are placed on the MIG.
  const conditions::ReadConditions& read_conditions() const;
  // The AHB's Paket expressions, parsed on the first call.
  const validate::ParsedPakete& parsed_pakete() const;
  // The column of one of this profile's Anwendungsfälle, prepared on its first call; nothing
  // for an Anwendungsfall that is not one of this profile's.
  const validate::Column* column(const model::Anwendungsfall& anwendungsfall) const;
  // The column's Paket pins for completion, likewise.
  const skeleton::ColumnPins* column_pins(const model::Anwendungsfall& anwendungsfall) const;
  // Lives for the rest of the process, beyond the profile.
  const GroupSchema& group_schema() const { return *group_schema_; }
  std::chrono::year_month_day valid_from() const { return valid_from_; }
  std::optional<std::chrono::year_month_day> valid_until() const { return valid_until_; }
  message_type::MessageType message_type() const { return message_type_; }

 private:
  Profile() = default;

  model::MigProfile mig_;
  model::AhbProfile ahb_;
  structure::Structure structure_;
  release::Release release_;
  PidIndex pid_index_;
  struct ReadConditionsCell {
    std::once_flag once;
    conditions::ReadConditions value;
  };
  struct PaketeCell {
    std::once_flag once;
    validate::ParsedPakete value;
  };
  struct ColumnCell {
    std::once_flag once;
    std::optional<validate::Column> value;
    std::once_flag pins_once;
    std::shared_ptr<const skeleton::ColumnPins> pins;  // shared, so that the type may stay incomplete here
  };
  // The position of `anwendungsfall` in the AHB's list; nothing when it is not one of them.
  std::optional<std::size_t> column_index(const model::Anwendungsfall& anwendungsfall) const;
  // On the heap, so that the profile stays movable.
  std::unique_ptr<ReadConditionsCell> read_conditions_ = std::make_unique<ReadConditionsCell>();
  std::unique_ptr<PaketeCell> pakete_ = std::make_unique<PaketeCell>();
  std::unique_ptr<ColumnCell[]> columns_;  // one per Anwendungsfall
  const GroupSchema* group_schema_ = nullptr;
  std::chrono::year_month_day valid_from_{};
  std::optional<std::chrono::year_month_day> valid_until_;
  message_type::MessageType message_type_ = message_type::MessageType::Utilmd;
};

}  // namespace edi_energy::profile
