// Views of a segment (tag, elements, component texts, verbatim bytes) live no longer than its
// document, and a temporary segment may hold the document's last reference: taking a view of
// one must not compile, taking one of a named segment must. Checked as the file compiles.
#include "edifact/error.hpp"
#include "edifact/model/owned_element.hpp"
#include "edifact/model/segment.hpp"

namespace {

using edifact::model::OwnedElement;
using edifact::model::Segment;
using edifact::model::WrittenDelimiters;

// `S` is how the segment is reached: `const Segment&` is a named one, `Segment` and
// `const Segment` are temporaries.
template <class S>
concept TagView = requires(S&& segment) { static_cast<S&&>(segment).tag(); };
template <class S>
concept ElementsView = requires(S&& segment) { static_cast<S&&>(segment).elements(); };
template <class S>
concept ComponentView = requires(S&& segment) { static_cast<S&&>(segment).required_component(0, 0); };
template <class S>
concept ComponentTextView = requires(S&& segment) { static_cast<S&&>(segment).component_text(0, 0); };
template <class S>
concept VerbatimView = requires(S&& segment, const WrittenDelimiters& delimiters) {
  static_cast<S&&>(segment).verbatim(delimiters);
};
// The misuse that read freed memory: iterating the elements of a rewritten segment in place.
template <class S>
concept RewrittenElementsView = requires(S&& segment, const OwnedElement& element) {
  static_cast<S&&>(segment).with_element(1, element).elements();
};

template <class S>
constexpr bool any_view =
    TagView<S> || ElementsView<S> || ComponentView<S> || ComponentTextView<S> || VerbatimView<S>;
template <class S>
constexpr bool every_view =
    TagView<S> && ElementsView<S> && ComponentView<S> && ComponentTextView<S> && VerbatimView<S>;

static_assert(every_view<const Segment&> && every_view<Segment&>);
static_assert(!any_view<Segment> && !any_view<const Segment>);
static_assert(!RewrittenElementsView<const Segment&>);
// What does not touch the document stays usable on a temporary.
static_assert(requires(Segment&& segment) {
  static_cast<Segment&&>(segment).span();
  static_cast<Segment&&>(segment).size_bound();
  static_cast<Segment&&>(segment).into_owned();
});

}  // namespace
