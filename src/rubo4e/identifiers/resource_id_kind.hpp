// The resource-identifier kinds by name ("nelo", "cr", "paket", …), so that callers that hold
// a kind as text can check and complete identifiers of any of them.
#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "rubo4e/error.hpp"

namespace rubo4e::identifiers::ascii_ids {

using rubo4e::error::IdentifierError;

enum class ResourceIdKind : std::uint8_t { Nelo, Nebe, Cr, Sg, Sr, Tr, Paket };

struct ResourceIdKindEntry {
  ResourceIdKind kind;
  std::string_view name;
  std::string_view codetyp;
};

// In the order in which kinds are listed to users.
inline constexpr std::array<ResourceIdKindEntry, 7> resource_id_kinds{{
    {ResourceIdKind::Nelo, "nelo", "E"},
    {ResourceIdKind::Nebe, "nebe", "F"},
    {ResourceIdKind::Cr, "cr", "A"},
    {ResourceIdKind::Sg, "sg", "B"},
    {ResourceIdKind::Sr, "sr", "C"},
    {ResourceIdKind::Tr, "tr", "D"},
    {ResourceIdKind::Paket, "paket", "P9"},
}};

// Exact lower-case names only.
std::optional<ResourceIdKind> resource_id_kind_from_name(std::string_view name);
std::string_view name(ResourceIdKind kind);
std::string_view codetyp(ResourceIdKind kind);

std::expected<void, IdentifierError> validate_resource_id(ResourceIdKind kind, std::string_view text);
std::expected<std::string, IdentifierError> resource_id_from_base(ResourceIdKind kind, std::string_view base);

}  // namespace rubo4e::identifiers::ascii_ids
