#include "interchange_generator.hpp"

#include <array>
#include <cstdint>
#include <string_view>

namespace bench::input {
namespace {

// splitmix64: tiny, and identical on every standard library, unlike <random>'s distributions.
class Dice {
 public:
  explicit Dice(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  std::size_t below(std::size_t bound) { return static_cast<std::size_t>(next() % bound); }
  bool percent(std::size_t chance) { return below(100) < chance; }
  template <typename T, std::size_t N>
  const T& pick(const std::array<T, N>& options) { return options[below(N)]; }

 private:
  std::uint64_t state_;
};

using namespace std::string_view_literals;

// Texts as the market writes them once escaped: umlauts in UTF-8, and now and then a release
// character before "+", ":", "'" or "?".
constexpr std::array surnames{"Müller"sv, "Schäfer"sv, "Groß"sv, "Köhler"sv, "Weiß"sv,
                              "Hoffmann"sv, "Jäger"sv, "Schröder"sv, "Krüger"sv, "Becker"sv,
                              "Meier ?+ Söhne"sv, "Böhm"sv};
constexpr std::array given_names{"Jürgen"sv, "Sören"sv, "Anna"sv, "Björn"sv, "Käthe"sv,
                                 "Uwe"sv, "Gisela"sv, "Özlem"sv};
constexpr std::array streets{"Hauptstraße"sv, "Am Mühlbach"sv, "Lindenstraße"sv,
                             "Königsallee"sv, "Gartenweg"sv, "Schloßplatz"sv, "Bahnhofstraße"sv};
constexpr std::array cities{"München"sv, "Köln"sv, "Nürnberg"sv, "Düsseldorf"sv, "Lübeck"sv,
                            "Göttingen"sv, "Würzburg"sv, "Essen"sv};
constexpr std::array market_partners{"9900123000002"sv, "9900456000004"sv, "4012345000023"sv,
                                     "9907531000008"sv, "9912345000016"sv};
constexpr std::array utilmd_pids{"55001"sv, "55002"sv, "55003"sv, "55004"sv, "55016"sv,
                                 "55017"sv, "55018"sv};
constexpr std::array aperak_reasons{
    "Zählpunkt ist dem Netzbetreiber nicht bekannt"sv,
    "Marktlokation gehört nicht zum Bilanzierungsgebiet"sv,
    "Prüfidentifikator?: unzulässig für diesen Vorgang"sv,
    "Absender ist nicht berechtigt?, die Nachricht zu senden"sv,
    "Wert ?'Zählerstand?' überschreitet die Plausibilitätsgrenze"sv,
};

// Appends segments with a terminator and a line break, and counts them for the UNT.
class Sink {
 public:
  explicit Sink(std::string& out) : out_(out) {}

  template <typename... Pieces>
  void segment(const Pieces&... pieces) {
    (append(pieces), ...);
    out_ += "'\r\n";
    ++count_;
  }
  std::size_t count() const { return count_; }
  void restart_count() { count_ = 0; }

 private:
  void append(std::string_view text) { out_ += text; }
  void append(std::uint64_t number) { out_ += std::to_string(number); }
  void append(int number) { out_ += std::to_string(number); }

  std::string& out_;
  std::size_t count_ = 0;
};

// A date and time in October or November 2026: format 303 carries the UTC offset, whose "+"
// needs its release character; format 203 has none.
enum class Format { WithOffset, Plain };

std::string stamp(Dice& dice, Format format = Format::WithOffset) {
  const std::size_t day = 1 + dice.below(28);
  const std::size_t month = 10 + dice.below(2);
  const std::size_t quarter = dice.below(96);
  std::string text = "2026";
  auto two = [&text](std::size_t value) {
    text += static_cast<char>('0' + value / 10);
    text += static_cast<char>('0' + value % 10);
  };
  two(month);
  two(day);
  two(quarter / 4);
  two(quarter % 4 * 15);
  if (format == Format::WithOffset) text += "?+00";
  return text;
}

std::string digits(Dice& dice, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += static_cast<char>('0' + dice.below(10));
  return text;
}

std::string quantity(Dice& dice) {
  return std::to_string(dice.below(100000)) + "." + digits(dice, 3);
}

void party(Sink& out, std::string_view qualifier, Dice& dice) {
  out.segment("NAD+", qualifier, "+", dice.pick(market_partners), "::293");
}

void utilmd(Sink& out, Dice& dice, std::uint64_t reference, std::size_t transactions) {
  out.segment("UNH+", reference, "+UTILMD:D:11A:UN:S2.1");
  out.segment("BGM+E01+MSG", reference, "+9");
  out.segment("DTM+137:", stamp(dice), ":303");
  party(out, "MS", dice);
  out.segment("CTA+IC+:", dice.pick(given_names), " ", dice.pick(surnames));
  out.segment("COM+", digits(dice, 11), ":TE");
  party(out, "MR", dice);
  for (std::size_t t = 0; t < transactions; ++t) {
    out.segment("IDE+24+VORGANG", reference, "-", t + 1);
    out.segment("DTM+92:", stamp(dice), ":303");
    if (dice.percent(50)) out.segment("DTM+93:", stamp(dice), ":303");
    out.segment("STS+7++E0", 1 + dice.below(3));
    if (dice.percent(30)) out.segment("FTX+ACB+++Kunde zieht um?: neue Anschrift folgt");
    out.segment("LOC+Z16+", digits(dice, 11));
    out.segment("LOC+172+DE0001", digits(dice, 7), "S00000000000000", digits(dice, 5));
    out.segment("RFF+Z13:", dice.pick(utilmd_pids));
    out.segment("SEQ+Z01");
    out.segment("CCI+Z30++Z07");
    out.segment("CAV+Z74:::Z09");
    out.segment("QTY+Z16:", quantity(dice), ":KWH");
    out.segment("NAD+Z09+++", dice.pick(surnames), ":", dice.pick(given_names), "::::Z01+",
                dice.pick(streets), "::", 1 + dice.below(120), "+", dice.pick(cities), "++",
                digits(dice, 5), "+DE");
  }
  out.segment("UNT+", out.count() + 1, "+", reference);
}

void mscons(Sink& out, Dice& dice, std::uint64_t reference) {
  out.segment("UNH+", reference, "+MSCONS:D:04B:UN:2.4c");
  out.segment("BGM+7+MSCONS", reference, "+9");
  out.segment("DTM+137:", stamp(dice), ":303");
  party(out, "MS", dice);
  party(out, "MR", dice);
  out.segment("UNS+D");
  out.segment("NAD+DP");
  out.segment("LOC+172+DE0001", digits(dice, 7), "S00000000000000", digits(dice, 5));
  out.segment("DTM+163:", stamp(dice), ":303");
  out.segment("DTM+164:", stamp(dice), ":303");
  out.segment("LIN+1");
  out.segment("PIA+5+1-1?:1.29.0:SRW");
  const std::size_t readings = 4 + dice.below(28);
  // Most senders write the intervals of their readings without the offset.
  const bool with_offset = dice.percent(30);
  const Format format = with_offset ? Format::WithOffset : Format::Plain;
  const std::string_view qualifier = with_offset ? ":303" : ":203";
  for (std::size_t r = 0; r < readings; ++r) {
    out.segment("QTY+220:", quantity(dice));
    out.segment("DTM+163:", stamp(dice, format), qualifier);
    out.segment("DTM+164:", stamp(dice, format), qualifier);
  }
  out.segment("UNT+", out.count() + 1, "+", reference);
}

void aperak(Sink& out, Dice& dice, std::uint64_t reference) {
  out.segment("UNH+", reference, "+APERAK:D:07B:UN:2.1h");
  out.segment("BGM+313+APERAK", reference);
  out.segment("DTM+137:", stamp(dice), ":303");
  out.segment("RFF+ACE:MSG", dice.below(1000000));
  out.segment("DTM+171:", stamp(dice), ":303");
  party(out, "MS", dice);
  out.segment("CTA+IC+:", dice.pick(given_names), " ", dice.pick(surnames));
  party(out, "MR", dice);
  out.segment("ERC+Z", 10 + dice.below(30));
  out.segment("FTX+ABO+++", dice.pick(aperak_reasons));
  out.segment("RFF+AGO:VORGANG", dice.below(1000000));
  out.segment("UNT+", out.count() + 1, "+", reference);
}

void open_interchange(Sink& out, std::string_view reference) {
  out.segment("UNB+UNOC:3+9900123000002:500+9900456000004:500+261001:1200+", reference);
}

// The output is reserved up front: growing it would leave freed blocks in the allocator that a
// first parse could then reuse, hiding its real cost.
std::string reserved(std::size_t bytes) {
  std::string text;
  text.reserve(bytes);
  text = "UNA:+.? '\r\n";
  return text;
}

}  // namespace

std::string interchange_of_size(std::size_t target_bytes) {
  std::string text = reserved(target_bytes + 64 * 1024);
  Sink out(text);
  open_interchange(out, "REF00001");
  Dice dice(20261001);
  std::uint64_t messages = 0;
  while (text.size() < target_bytes) {
    out.restart_count();
    ++messages;
    const std::size_t kind = dice.below(10);
    if (kind < 5) {
      utilmd(out, dice, messages, 1 + dice.below(3));
    } else if (kind < 8) {
      mscons(out, dice, messages);
    } else {
      aperak(out, dice, messages);
    }
  }
  out.segment("UNZ+", messages, "+REF00001");
  return text;
}

std::string single_message_interchange() {
  // Optional segments make the size vary with the seed: take the first seed that lands on 1 KB.
  for (std::uint64_t seed = 4711;; ++seed) {
    std::string text = reserved(2048);
    Sink out(text);
    open_interchange(out, "REF00002");
    Dice dice(seed);
    out.restart_count();
    utilmd(out, dice, 1, 2);
    out.segment("UNZ+1+REF00002");
    if (text.size() >= 1000 && text.size() <= 1100) return text;
  }
}

}  // namespace bench::input
