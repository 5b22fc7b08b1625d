#include "edi_energy/profile/conditions/status.hpp"

#include <array>
#include <string>
#include <utility>

#include "edi_energy/profile/unicode_text.hpp"

namespace edi_energy::profile::conditions {
namespace {

constexpr std::array<std::pair<std::string_view, StatusLevel>, 7> status_words{{
    {"Muss", StatusLevel::Muss},
    {"Soll", StatusLevel::Soll},
    {"Kann", StatusLevel::Kann},
    {"X", StatusLevel::X},
    {"M", StatusLevel::M},
    {"S", StatusLevel::S},
    {"K", StatusLevel::K},
}};

}  // namespace

std::optional<Status> Status::parse(std::string_view cell) {
  const std::vector<std::string_view> words = unicode_text::split_white(cell);
  if (words.empty()) return std::nullopt;
  std::optional<StatusLevel> level;
  for (const auto& [word, word_level] : status_words) {
    if (words.front() == word) level = word_level;
  }
  if (!level) return std::nullopt;
  if (words.size() == 1) return Status{*level, std::nullopt};
  std::string condition_text;
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (i > 1) condition_text += ' ';
    condition_text += words[i];
  }
  auto condition = Expr::parse(condition_text);
  if (!condition) return std::nullopt;
  return Status{*level, std::move(*condition)};
}

}  // namespace edi_energy::profile::conditions
