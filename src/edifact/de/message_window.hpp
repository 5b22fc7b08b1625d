// Message windows: the segments of one message, UNH to UNT, with the message type and
// association assigned code read from its UNH, and the cutting of an interchange into them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/error.hpp"
#include "edifact/model/segment.hpp"

namespace edifact::de {

// The type and code are copies, so replacing the window's UNH cannot leave them dangling.
struct MessageWindow {
  std::vector<model::Segment> segments;
  std::optional<std::string> message_type;      // S009 DE 0065, "UTILMD"
  std::optional<std::string> association_code;  // S009 DE 0057, "S2.1"

  // Reads the type and code when the first segment is a UNH; accepts any list.
  static MessageWindow from_segments(std::vector<model::Segment> segments);
};

// Cuts an interchange's segments into message windows. Segments outside a message (UNB, UNG,
// UNE, UNZ, strays) are dropped. A UNH inside an open message and an open message at the end
// are reported once; after that, and after the last window, `next` yields nothing.
class MessageWindows {
 public:
  explicit MessageWindows(std::vector<model::Segment> segments);

  // The next window or error; empty at the end.
  std::optional<Result<MessageWindow>> next();

 private:
  std::vector<model::Segment> segments_;
  std::size_t position_ = 0;
  std::vector<model::Segment> open_message_;
  bool message_open_ = false;
  bool ended_ = false;
};

}  // namespace edifact::de
