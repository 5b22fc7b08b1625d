#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edi_energy/catalogue.hpp"
#include "edi_energy/catalogue/statics.hpp"
#include "edi_energy/profile/json.hpp"
#include "support/internal_fault.hpp"
#include "support/lazy.hpp"

namespace {

using edi_energy::ProfileDocumentPair;
using edi_energy::message_type::MessageType;
using edi_energy::profile::Profile;
using Static = support::Lazy<Profile>;
namespace json = edi_energy::profile::json;

constexpr std::chrono::year_month_day day(int year, unsigned month, unsigned on) {
  return std::chrono::year_month_day{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{on}};
}

std::vector<const Profile*> registered() {
  std::vector<const Profile*> profiles;
  edi_energy::register_profiles(profiles);
  return profiles;
}

struct CatalogueRow {
  std::string_view name;
  MessageType message_type;
  std::string_view release;
  std::string_view ahb_version;
  std::chrono::year_month_day valid_from;
  std::optional<std::chrono::year_month_day> valid_until;
  std::optional<std::string_view> track;
  std::string_view pid_source;
  std::size_t anwendungsfaelle;
};

constexpr auto open_end = std::nullopt;
constexpr auto sep30 = day(2026, 9, 30);

// In registration order.
const CatalogueRow catalogue_rows[] = {
    {"APERAK_FV20251001", MessageType::Aperak, "2.1i", "1.0", day(2025, 10, 1), sep30, {}, "bgm_de1004", 2},
    {"APERAK_FV20261001", MessageType::Aperak, "2.2", "1.1", day(2026, 10, 1), open_end, {}, "bgm_de1004", 2},
    {"COMDIS_FV20260401", MessageType::Comdis, "1.0g", "1.0h", day(2026, 4, 1), open_end, {}, "rff_z13", 2},
    {"CONTRL_FV20260101", MessageType::Contrl, "2.0b", "1.0", day(2026, 1, 1), open_end, {}, "bgm_de1004", 3},
    {"IFTSTA_FV20251001", MessageType::Iftsta, "2.0g", "2.0h", day(2025, 10, 1), sep30, {}, "rff_z13", 35},
    {"IFTSTA_FV20261001", MessageType::Iftsta, "2.1", "2.1", day(2026, 10, 1), open_end, {}, "rff_z13", 32},
    {"INSRPT_FV20260101", MessageType::Insrpt, "1.1a", "1.1g", day(2026, 1, 1), open_end, {}, "rff_z13", 8},
    {"INVOIC_FV20260401", MessageType::Invoic, "2.8e", "1.0a", day(2026, 4, 1), sep30, {}, "rff_z13", 11},
    {"INVOIC_FV20261001", MessageType::Invoic, "2.8e", "1.0b", day(2026, 10, 1), open_end, {}, "rff_z13", 11},
    {"MSCONS_FV20260401", MessageType::Mscons, "2.4c", "3.1g", day(2026, 4, 1), sep30, {}, "rff_z13", 25},
    {"MSCONS_FV20261001", MessageType::Mscons, "2.5", "3.2", day(2026, 10, 1), open_end, {}, "rff_z13", 25},
    {"ORDCHG_FV20250401", MessageType::Ordchg, "1.1", "1.0a", day(2025, 4, 1), sep30, {}, "rff_z13", 3},
    {"ORDCHG_FV20261001", MessageType::Ordchg, "1.2", "1.1", day(2026, 10, 1), open_end, {}, "rff_z13", 3},
    {"ORDERS_FV20260401", MessageType::Orders, "1.4b", "1.1a", day(2026, 4, 1), sep30, {}, "rff_z13", 50},
    {"ORDERS_FV20261001", MessageType::Orders, "1.4c", "1.1b", day(2026, 10, 1), open_end, {}, "rff_z13", 44},
    {"ORDRSP_FV20260401", MessageType::Ordrsp, "1.4b", "1.1a", day(2026, 4, 1), sep30, {}, "rff_z13", 40},
    {"ORDRSP_FV20261001", MessageType::Ordrsp, "1.4c", "1.1b", day(2026, 10, 1), open_end, {}, "rff_z13", 39},
    {"PARTIN_FV20260401", MessageType::Partin, "1.0f", "1.0f", day(2026, 4, 1), sep30, {}, "rff_z13", 14},
    {"PARTIN_FV20261001", MessageType::Partin, "1.1", "1.1", day(2026, 10, 1), open_end, {}, "rff_z13", 14},
    {"PRICAT_FV20251001", MessageType::Pricat, "2.0e", "2.0f", day(2025, 10, 1), sep30, {}, "rff_z13", 3},
    {"PRICAT_FV20261001", MessageType::Pricat, "2.1", "2.1", day(2026, 10, 1), open_end, {}, "rff_z13", 3},
    {"QUOTES_FV20251001", MessageType::Quotes, "1.3b", "1.1", day(2025, 10, 1), sep30, {}, "rff_z13", 5},
    {"QUOTES_FV20261001", MessageType::Quotes, "1.3c", "1.1a", day(2026, 10, 1), open_end, {}, "rff_z13", 5},
    {"REMADV_FV20260401", MessageType::Remadv, "2.9e", "1.0a", day(2026, 4, 1), open_end, {}, "rff_z13", 4},
    {"REQOTE_FV20251001", MessageType::Reqote, "1.3c", "1.1", day(2025, 10, 1), sep30, {}, "rff_z13", 5},
    {"REQOTE_FV20261001", MessageType::Reqote, "1.3c", "1.2", day(2026, 10, 1), open_end, {}, "rff_z13", 5},
    {"UTILMD_FV20251001", MessageType::Utilmd, "S2.1", "2.1", day(2025, 10, 1), sep30, "Strom", "rff_z13", 187},
    {"UTILMD_FV20260401_GAS", MessageType::Utilmd, "G1.1", "1.1", day(2026, 4, 1), sep30, "Gas", "rff_z13", 94},
    {"UTILMD_FV20261001", MessageType::Utilmd, "S2.2", "2.2", day(2026, 10, 1), open_end, "Strom", "rff_z13", 189},
    {"UTILMD_FV20261001_GAS", MessageType::Utilmd, "G1.2", "1.2", day(2026, 10, 1), open_end, "Gas", "rff_z13", 89},
    {"UTILTS_FV20250401", MessageType::Utilts, "1.1e", "1.0", day(2025, 4, 1), sep30, {}, "rff_z13", 8},
    {"UTILTS_FV20261001", MessageType::Utilts, "1.1e", "1.1", day(2026, 10, 1), open_end, {}, "rff_z13", 8},
};

class CatalogueRowTest : public testing::TestWithParam<std::size_t> {};

TEST_P(CatalogueRowTest, RegisteredProfileCarriesTheHeaderOfItsDocuments) {
  const std::size_t position = GetParam();
  const CatalogueRow& row = catalogue_rows[position];
  const auto profiles = registered();
  ASSERT_EQ(profiles.size(), std::size(catalogue_rows));
  ASSERT_EQ(edi_energy::catalogue::builtin_pairs().size(), std::size(catalogue_rows));
  EXPECT_EQ(edi_energy::catalogue::builtin_pairs()[position].name, row.name);

  const Profile& profile = *profiles[position];
  EXPECT_EQ(profile.message_type(), row.message_type);
  EXPECT_EQ(profile.release().text(), row.release);
  EXPECT_EQ(profile.ahb().release, row.release);
  EXPECT_EQ(profile.mig().ahb_version, row.ahb_version);
  EXPECT_EQ(profile.valid_from(), row.valid_from);
  EXPECT_EQ(profile.valid_until(), row.valid_until);
  EXPECT_EQ(profile.mig().track, row.track ? std::optional<std::string>(*row.track) : std::nullopt);
  EXPECT_EQ(profile.mig().pid_source, std::string(row.pid_source));
  EXPECT_EQ(profile.ahb().anwendungsfaelle.size(), row.anwendungsfaelle);

  const ProfileDocumentPair& pair = edi_energy::catalogue::builtin_pairs()[position];
  std::string lower_name(row.name);
  std::ranges::transform(lower_name, lower_name.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
  EXPECT_EQ(pair.failure_text, "the committed profile " + lower_name.replace(lower_name.find('_'), 1, "/") + " loads");
  // The reader relies on the padding to read in place; it must be real bytes after each text.
  for (const json::PaddedText document : {pair.mig, pair.ahb}) {
    ASSERT_GE(document.text.size(), 2u);
    EXPECT_EQ(document.text.front(), '{');
    EXPECT_EQ(document.text.substr(document.text.size() - 2), "}\n");
    const std::string_view padding(document.text.data() + document.text.size(), json::document_padding + 1);
    EXPECT_EQ(padding, std::string(json::document_padding + 1, '\0'));
  }
}

INSTANTIATE_TEST_SUITE_P(BuiltIn, CatalogueRowTest, testing::Range<std::size_t>(0, std::size(catalogue_rows)),
                         [](const testing::TestParamInfo<std::size_t>& info) {
                           return std::string(catalogue_rows[info.param].name);
                         });

TEST(Catalogue, NamedStaticsAreTheRegisteredProfiles) {
  const auto profiles = registered();
  const std::pair<Static*, std::size_t> named[] = {{&edi_energy::APERAK_FV20251001, 0},
                                                   {&edi_energy::MSCONS_FV20260401, 9},
                                                   {&edi_energy::UTILMD_FV20261001_GAS, 29},
                                                   {&edi_energy::UTILTS_FV20261001, 31}};
  for (const auto& [cell, position] : named) {
    EXPECT_TRUE(cell->is_built()) << position;
    EXPECT_EQ(&cell->get(), profiles.at(position)) << position;
  }
}

TEST(Catalogue, EveryCallAppendsTheSameProfilesInTheSameOrder) {
  const auto first = registered();
  std::vector<const Profile*> held{first.back(), nullptr};
  edi_energy::register_profiles(held);
  std::vector<const Profile*> expected{first.back(), nullptr};
  expected.insert(expected.end(), first.begin(), first.end());
  EXPECT_EQ(held, expected);
}

// A text with the reader's padding behind it, as the embedded documents have.
struct PaddedCopy {
  explicit PaddedCopy(std::string_view text) : storage(std::string(text) + std::string(json::document_padding, '\0')) {}
  json::PaddedText padded() const { return {std::string_view(storage).substr(0, storage.size() - json::document_padding)}; }
  std::string storage;
};

struct BrokenPairCase {
  std::string_view label;
  // Builds the broken pair's documents from a good MIG and AHB.
  std::string (*mig)(std::string_view good);
  std::string (*ahb)(std::string_view good);
};

std::string unchanged(std::string_view good) { return std::string(good); }
std::string truncated(std::string_view good) { return std::string(good.substr(0, good.size() / 2)); }
std::string other_release(std::string_view good) {
  std::string text(good);
  const std::string from = R"("release": "2.4c")";
  const auto at = text.find(from);
  return at == std::string::npos ? text : text.replace(at, from.size(), R"("release": "2.5")");
}

const BrokenPairCase broken_pair_cases[] = {
    {"MigDoesNotRead", truncated, unchanged},
    {"AhbDoesNotRead", unchanged, truncated},
    {"DocumentsDisagree", unchanged, other_release},
};

class CataloguePoisoningTest : public testing::TestWithParam<BrokenPairCase> {};

// The middle of three statics stands in for MSCONS_FV20260401 with a broken pair.
TEST_P(CataloguePoisoningTest, BrokenPairPoisonsItsStaticAndStopsEveryLaterRegistration) {
  const auto builtin = edi_energy::catalogue::builtin_pairs();
  const ProfileDocumentPair& mscons = builtin[9];
  ASSERT_EQ(mscons.name, "MSCONS_FV20260401");
  const PaddedCopy mig(GetParam().mig(mscons.mig.text));
  const PaddedCopy ahb(GetParam().ahb(mscons.ahb.text));
  const ProfileDocumentPair broken{mscons.name, mscons.failure_text, mig.padded(), ahb.padded()};

  const auto reason = Profile::from_json(mig.padded(), ahb.padded());
  ASSERT_FALSE(reason.has_value());
  const std::string expected = "the committed profile mscons/fv20260401 loads: " + reason.error().debug_form();

  Static before(edi_energy::catalogue::loader(builtin[0]));
  Static failing(edi_energy::catalogue::loader(broken));
  Static after(edi_energy::catalogue::loader(builtin[10]));
  const std::array<Static*, 3> statics{&before, &failing, &after};

  std::vector<const Profile*> profiles;
  try {
    edi_energy::catalogue::register_catalogue(statics, profiles);
    FAIL() << "a broken pair registered";
  } catch (const support::InternalFault& fault) {
    EXPECT_EQ(fault.what(), expected);
  }
  EXPECT_TRUE(before.is_built());
  EXPECT_FALSE(failing.is_built());
  EXPECT_FALSE(after.is_built());

  for (int attempt = 0; attempt < 2; ++attempt) {
    std::vector<const Profile*> again;
    try {
      edi_energy::catalogue::register_catalogue(statics, again);
      FAIL() << "a poisoned static registered";
    } catch (const support::InternalFault& fault) {
      EXPECT_STREQ(fault.what(), "Lazy instance has previously been poisoned");
    }
    EXPECT_FALSE(after.is_built());
  }
}

INSTANTIATE_TEST_SUITE_P(BrokenPairs, CataloguePoisoningTest, testing::ValuesIn(broken_pair_cases),
                         [](const testing::TestParamInfo<BrokenPairCase>& info) {
                           return std::string(info.param.label);
                         });

}  // namespace
