// The eleven-character resource identifiers with a Codetyp prefix: Netzlokation, Netzelement
// and the Redispatch resources (controllable, steuerbare and technische Ressource, Steuergruppe).
#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "rubo4e/error.hpp"
#include "rubo4e/identifiers/checksum.hpp"

namespace rubo4e::identifiers::ascii_ids {

using rubo4e::error::IdentifierError;

template <typename Traits>
class CodetypId {
 public:
  static constexpr std::string_view codetyp = Traits::codetyp;

  static std::expected<CodetypId, IdentifierError> create(std::string_view text) {
    if (auto valid = checksum::validate_ascii_id(text, codetyp); !valid) return std::unexpected(std::move(valid.error()));
    return CodetypId(std::string(text));
  }

  // The ten-character base with its check digit appended.
  static std::expected<CodetypId, IdentifierError> from_base(std::string_view base) {
    auto identifier = checksum::compute_ascii_id_from_base(base, codetyp);
    if (!identifier) return std::unexpected(std::move(identifier.error()));
    return CodetypId(std::move(*identifier));
  }

  const std::string& as_str() const { return text_; }

  bool operator==(const CodetypId&) const = default;

 private:
  explicit CodetypId(std::string text) : text_(std::move(text)) {}
  std::string text_;
};

struct CrTraits { static constexpr std::string_view codetyp = "A"; };
struct SgTraits { static constexpr std::string_view codetyp = "B"; };
struct SrTraits { static constexpr std::string_view codetyp = "C"; };
struct TrTraits { static constexpr std::string_view codetyp = "D"; };
struct NeloTraits { static constexpr std::string_view codetyp = "E"; };
struct NebeTraits { static constexpr std::string_view codetyp = "F"; };

using CrId = CodetypId<CrTraits>;
using SgId = CodetypId<SgTraits>;
using SrId = CodetypId<SrTraits>;
using TrId = CodetypId<TrTraits>;
using NeloId = CodetypId<NeloTraits>;
using NebeId = CodetypId<NebeTraits>;

// Pakete have no type of their own; they are checked with this Codetyp directly.
inline constexpr std::string_view paket_codetyp = "P9";

}  // namespace rubo4e::identifiers::ascii_ids
