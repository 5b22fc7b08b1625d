#include "edi_energy/catalogue.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <mutex>

#include <fmt/format.h>

#include "support/internal_fault.hpp"

namespace edi_energy {
namespace {

// The documents are read once, while the statics are built; afterwards their pages need not stay
// resident. They lie in the module's read-only data, so the kernel would load them again from the
// module's file should anything read them later. Only whole pages inside the documents are given up.
void release_document_pages(std::span<const ProfileDocumentPair> pairs) {
  std::uintptr_t first = UINTPTR_MAX;
  std::uintptr_t last = 0;
  for (const ProfileDocumentPair& pair : pairs) {
    for (std::string_view text : {pair.mig.text, pair.ahb.text}) {
      first = std::min(first, reinterpret_cast<std::uintptr_t>(text.data()));
      last = std::max(last, reinterpret_cast<std::uintptr_t>(text.data() + text.size()));
    }
  }
  const long page_size = sysconf(_SC_PAGESIZE);
  if (page_size <= 0 || first >= last) return;
  const auto page = static_cast<std::uintptr_t>(page_size);
  const std::uintptr_t begin = (first + page - 1) / page * page;
  const std::uintptr_t end = last / page * page;
  // Advice only: a refusal leaves the pages where they are.
  if (begin < end) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
}

}  // namespace

namespace catalogue {

std::function<profile::Profile()> loader(const ProfileDocumentPair& pair) {
  return [&pair]() -> profile::Profile {
    auto built = profile::Profile::from_json(pair.mig, pair.ahb);
    if (!built) throw support::InternalFault(fmt::format("{}: {}", pair.failure_text, built.error().debug_form()));
    return std::move(*built);
  };
}

void register_catalogue(ProfileCatalogue catalogue, std::vector<const profile::Profile*>& profiles) {
  profiles.reserve(profiles.size() + catalogue.size());
  for (support::Lazy<profile::Profile>* entry : catalogue) profiles.push_back(&entry->get());
}

}  // namespace catalogue

void register_profiles(std::vector<const profile::Profile*>& profiles) {
  catalogue::register_catalogue(catalogue::builtin_catalogue(), profiles);
  static std::once_flag documents_released;
  std::call_once(documents_released, [] { release_document_pages(catalogue::builtin_pairs()); });
}

}  // namespace edi_energy
