// The typestate of every message builder: one marker per party, sender first, so that a message
// without sender and receiver cannot be written. A builder is a class template over the two
// markers; its party setters return it with their marker `Set`, and its writing operation is
// constrained with `BothSet`.
#pragma once

#include <concepts>

namespace edi_energy::builders {

struct Unset {};
struct Set {};

template <class Sender, class Receiver>
concept BothSet = std::same_as<Sender, Set> && std::same_as<Receiver, Set>;

}  // namespace edi_energy::builders
