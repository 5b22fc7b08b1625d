#include "rubo4e/identifiers/resource_id_kind.hpp"

#include <algorithm>

#include "rubo4e/identifiers/ascii_ids.hpp"
#include "rubo4e/identifiers/checksum.hpp"
#include "support/internal_fault.hpp"

namespace rubo4e::identifiers::ascii_ids {
namespace {

const ResourceIdKindEntry& entry(ResourceIdKind kind) {
  // The table holds every kind; the enumerators are its indices.
  const auto index = static_cast<std::size_t>(kind);
  if (index >= resource_id_kinds.size()) throw support::InternalFault("resource-ID kind out of range");
  return resource_id_kinds[index];
}

static_assert(std::ranges::all_of(resource_id_kinds, [](const ResourceIdKindEntry& e) {
  return &resource_id_kinds[static_cast<std::size_t>(e.kind)] == &e;
}));
static_assert(resource_id_kinds[0].codetyp == NeloId::codetyp && resource_id_kinds[1].codetyp == NebeId::codetyp &&
              resource_id_kinds[2].codetyp == CrId::codetyp && resource_id_kinds[3].codetyp == SgId::codetyp &&
              resource_id_kinds[4].codetyp == SrId::codetyp && resource_id_kinds[5].codetyp == TrId::codetyp &&
              resource_id_kinds[6].codetyp == paket_codetyp);

}  // namespace

std::optional<ResourceIdKind> resource_id_kind_from_name(std::string_view kind_name) {
  const auto found = std::ranges::find(resource_id_kinds, kind_name, &ResourceIdKindEntry::name);
  if (found == resource_id_kinds.end()) return std::nullopt;
  return found->kind;
}

std::string_view name(ResourceIdKind kind) { return entry(kind).name; }
std::string_view codetyp(ResourceIdKind kind) { return entry(kind).codetyp; }

// Every typed identifier applies the Codetyp scheme with its own prefix, so checking with the
// kind's Codetyp gives the same answer as going through the type.
std::expected<void, IdentifierError> validate_resource_id(ResourceIdKind kind, std::string_view text) {
  return checksum::validate_ascii_id(text, codetyp(kind));
}

std::expected<std::string, IdentifierError> resource_id_from_base(ResourceIdKind kind, std::string_view base) {
  return checksum::compute_ascii_id_from_base(base, codetyp(kind));
}

}  // namespace rubo4e::identifiers::ascii_ids
