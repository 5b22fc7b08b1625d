// Reads a Wiederholbarkeit text word by word against the few sentence shapes the AHBs use for a
// bound; any word the shape does not account for leaves the text unread.
#include "edi_energy/profile/conditions/repeat_limit.hpp"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "edi_energy/profile/conditions/text_tokens.hpp"
#include "edi_energy/profile/unicode_text.hpp"
#include "support/decimal.hpp"

namespace edi_energy::profile::conditions {
namespace {

namespace ut = unicode_text;

bool is_upper_ascii(char c) { return c >= 'A' && c <= 'Z'; }

// Whether the text before a full stop ends with an abbreviation ("Segment bzw. Segmentgruppe",
// "max. zweimal").
bool abbreviated(std::string_view before) {
  static constexpr std::array<std::string_view, 6> abbreviations{"bzw", "max", "mind", "ggf", "vgl", "ca"};
  const std::size_t space = before.find_last_of(' ');
  const std::string_view word = space == std::string_view::npos ? before : before.substr(space + 1);
  return std::ranges::find(abbreviations, word) != abbreviations.end();
}

// The first sentence, when every further one only adds what the segments must carry ("Dabei
// muss …"); nothing otherwise.
std::optional<std::string_view> bounding_sentence(std::string_view text) {
  text = ut::trim_white(text);
  for (std::size_t at = text.find(". "); at != std::string_view::npos; at = text.find(". ", at + 1)) {
    std::string_view rest = ut::trim_white_start(text.substr(at + 1));
    if (rest.empty() || !is_upper_ascii(rest.front()) || abbreviated(text.substr(0, at))) continue;
    if (!rest.starts_with("Dabei ")) return std::nullopt;
    text = text.substr(0, at);
    break;
  }
  while (text.ends_with('.')) text.remove_suffix(1);
  return text;
}

// The words outside brackets, with patterns broken after "/" joined again ("SEQ+Z01/ Z80");
// nothing for brackets that do not close.
std::optional<std::vector<std::string>> plain_words(std::string_view sentence) {
  std::string outside;
  int depth = 0;
  for (const char c : sentence) {
    if (c == '(') {
      ++depth;
      outside.push_back(' ');
    } else if (c == ')') {
      if (--depth < 0) return std::nullopt;
    } else if (depth == 0) {
      outside.push_back(c);
    }
  }
  if (depth != 0) return std::nullopt;
  std::vector<std::string> words;
  bool open = false;
  for (const std::string_view word : ut::split_white(outside)) {
    if (open) {
      words.back() += word;
    } else {
      words.emplace_back(word);
    }
    open = word.ends_with('/');
  }
  return words;
}

class Reader {
 public:
  explicit Reader(std::vector<std::string> words) : words_(std::move(words)) {
    lowered_.reserve(words_.size());
    for (const std::string& word : words_) lowered_.push_back(ut::to_lower(word));
  }

  bool done() const { return at_ == words_.size(); }
  bool take(std::string_view lowered) {
    if (at_ >= words_.size() || lowered_[at_] != lowered) return false;
    ++at_;
    return true;
  }
  bool take_all(std::initializer_list<std::string_view> lowered) {
    const std::size_t start = at_;
    for (const std::string_view word : lowered) {
      if (!take(word)) {
        at_ = start;
        return false;
      }
    }
    return true;
  }
  std::optional<std::string> group() {
    if (at_ >= words_.size()) return std::nullopt;
    auto name = group_name(words_[at_]);
    if (name) ++at_;
    return name;
  }
  std::optional<SegmentPattern> pattern() {
    if (at_ >= words_.size() || !is_segment_token(words_[at_])) return std::nullopt;
    auto parsed = SegmentPattern::parse(words_[at_]);
    if (parsed) ++at_;
    return parsed;
  }
  // "genau einmal", "max. zweimal", "bis zu drei Mal", "zweimal", "höchstens 5-mal".
  std::optional<std::size_t> count() {
    const std::size_t start = at_;
    if (!take("genau") && !take("maximal") && !take("max.") && !take("h\u00F6chstens") && !take("nur")) {
      take_all({"bis", "zu"});
    }
    if (const auto n = count_words()) return n;
    at_ = start;
    return std::nullopt;
  }

 private:
  std::optional<std::size_t> count_words() {
    static constexpr std::array<std::pair<std::string_view, std::size_t>, 5> numbers{
        {{"ein", 1}, {"zwei", 2}, {"drei", 3}, {"vier", 4}, {"f\u00FCnf", 5}}};
    if (at_ >= words_.size()) return std::nullopt;
    std::string_view word = lowered_[at_];
    const bool separate = at_ + 1 < words_.size() && lowered_[at_ + 1] == "mal";
    if (!separate) {
      if (!word.ends_with("mal")) return std::nullopt;
      word.remove_suffix(3);
      if (word.ends_with('-')) word.remove_suffix(1);
    }
    std::optional<std::size_t> n;
    for (const auto& [name, value] : numbers) {
      if (word == name) n = value;
    }
    if (!n) n = support::parse_decimal<std::size_t>(word);
    if (!n || *n == 0) return std::nullopt;
    at_ += separate ? 2 : 1;
    return n;
  }

  std::vector<std::string> words_;
  std::vector<std::string> lowered_;
  std::size_t at_ = 0;
};

// After "je": "UNH", or a group with the segment its instances begin with.
bool read_scope(Reader& reader, RepeatLimit& limit) {
  if (reader.take("unh")) {
    limit.scope = RepeatLimit::Scope::Message;
    return true;
  }
  auto group = reader.group();
  if (!group) return false;
  limit.scope = RepeatLimit::Scope::Group;
  limit.scope_group = std::move(*group);
  limit.scope_trigger = reader.pattern();
  return true;
}

// "die SG27 LIN+Z64", "die SG29 PIA", "die SG27".
bool read_target(Reader& reader, RepeatLimit& limit) {
  if (!reader.take("die") && !reader.take("das") && !reader.take("der")) return false;
  limit.target_group = reader.group();
  limit.target_pattern = reader.pattern();
  if (!limit.target_group && !limit.target_pattern) return false;
  limit.target = limit.target_pattern && !limit.target_group ? RepeatLimit::Target::Segment
                                                              : RepeatLimit::Target::Either;
  return true;
}

}  // namespace

std::optional<RepeatLimit> RepeatLimit::parse(std::string_view text) {
  const auto sentence = bounding_sentence(text);
  if (!sentence) return std::nullopt;
  auto words = plain_words(*sentence);
  if (!words || words->empty()) return std::nullopt;
  Reader reader(std::move(*words));
  RepeatLimit limit;
  std::optional<std::size_t> count;
  if (reader.take("pro")) {
    // "Pro Nachricht|<scope> ist die <target> <count> anzugeben"
    if (reader.take("nachricht")) {
      limit.scope = Scope::Message;
    } else {
      auto group = reader.group();
      if (!group) return std::nullopt;
      limit.scope = Scope::Group;
      limit.scope_group = std::move(*group);
      limit.scope_trigger = reader.pattern();
    }
    if (!reader.take("ist") || !read_target(reader, limit)) return std::nullopt;
    count = reader.count();
  } else if (reader.take("je")) {
    // "Je <scope> [ist] <count> [die Segmentgruppe | das Segment] anzugeben"
    if (!read_scope(reader, limit)) return std::nullopt;
    reader.take("ist");
    count = reader.count();
    if (reader.take_all({"die", "segmentgruppe"})) {
      limit.target = Target::Group;
    } else if (reader.take_all({"das", "segment"})) {
      limit.target = Target::Segment;
    }
  } else {
    // "Segment bzw. Segmentgruppe | Segmentgruppe | Segment ist <count> [je <scope>] anzugeben"
    if (reader.take_all({"segment", "bzw.", "segmentgruppe", "ist"})) {
      limit.target = Target::Either;
    } else if (reader.take_all({"segmentgruppe", "ist"})) {
      limit.target = Target::Group;
    } else if (reader.take_all({"segment", "ist"})) {
      limit.target = Target::Segment;
    } else {
      return std::nullopt;
    }
    count = reader.count();
    if (reader.take("je") && !read_scope(reader, limit)) return std::nullopt;
  }
  if (!count || !reader.take("anzugeben") || !reader.done()) return std::nullopt;
  limit.limit = *count;
  return limit;
}

}  // namespace edi_energy::profile::conditions
