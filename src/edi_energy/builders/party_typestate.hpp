// The sender/receiver typestate shared by the IFTSTA, REMADV, ORDERS, ORDRSP and QUOTES
// builders: a builder is `Builder<SenderState, ReceiverState>` over its field record `Inner`
// (which has `sender`, `receiver` and their agency kinds), and can be serialized only once both
// parties are Set. A builder befriends this base, which moves the record between states.
#pragma once

#include <concepts>
#include <string>
#include <utility>

#include "edi_energy/builders/agency.hpp"
#include "edi_energy/builders/typestate.hpp"
#include "edi_energy/builders/written.hpp"
#include "edi_energy/error.hpp"
#include "edi_energy/release.hpp"

namespace edi_energy::builders {

template <template <class, class> class Builder, class Inner, class SenderState, class ReceiverState>
class PartyTypestate {
 public:
  Builder<Set, ReceiverState> sender(std::string id) && {
    inner_.sender = std::move(id);
    return Builder<Set, ReceiverState>(std::move(inner_));
  }
  Builder<SenderState, Set> receiver(std::string id) && {
    inner_.receiver = std::move(id);
    return Builder<SenderState, Set>(std::move(inner_));
  }
  Builder<SenderState, ReceiverState> sender_agency(AgencyKind kind) && { return set(&Inner::sender_agency, kind); }
  Builder<SenderState, ReceiverState> receiver_agency(AgencyKind kind) && {
    return set(&Inner::receiver_agency, kind);
  }

  // `write_segments(const Inner&)` is found next to `Inner`.
  Result<std::string> serialize() &&
    requires BothSet<SenderState, ReceiverState>
  {
    return bytes_of(write_segments(inner_));
  }
  // The message with the sources of its segments.
  Result<Written> written() &&
    requires BothSet<SenderState, ReceiverState>
  {
    return write_segments(inner_);
  }

 protected:
  explicit PartyTypestate(Inner inner) : inner_(std::move(inner)) {}

  // The record's defaults with the release a builder writes.
  static Inner defaults(release::Release release) {
    Inner inner;
    inner.release = std::move(release);
    return inner;
  }

  // `field` and `list` point to members of `Inner` or of a record it derives from.
  template <class Member, class Value>
  Builder<SenderState, ReceiverState> set(Member field, Value&& value) {
    inner_.*field = std::forward<Value>(value);
    return Builder<SenderState, ReceiverState>(std::move(inner_));
  }
  template <class Member, class Item>
  Builder<SenderState, ReceiverState> append(Member list, Item&& item) {
    (inner_.*list).push_back(std::forward<Item>(item));
    return Builder<SenderState, ReceiverState>(std::move(inner_));
  }

  Inner inner_;
};

}  // namespace edi_energy::builders
