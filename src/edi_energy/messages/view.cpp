#include "edi_energy/messages/view.hpp"

#include "edi_energy/messages/segments/lookup.hpp"

namespace edi_energy::messages {

CommonView read_common(segments::Segments segments) {
  CommonView view;
  for (const auto& segment : segments) {
    if (segment.tag() != "BGM") continue;
    if ((view.bgm = segments::read_or_drop<segments::Bgm>(segment))) break;
  }
  view.dtms = segments::collect_dtm(segments);
  view.nad_ms = segments::find_nad(segments, "MS");
  view.nad_mr = segments::find_nad(segments, "MR");
  return view;
}

}  // namespace edi_energy::messages
