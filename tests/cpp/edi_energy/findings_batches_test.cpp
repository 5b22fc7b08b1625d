#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <ostream>
#include <string>
#include <vector>

#include "edi_energy/report/findings_batches.hpp"
#include "edi_energy/report/findings_cap.hpp"

namespace {

using edi_energy::report::Batch;
using edi_energy::report::Heard;
using edi_energy::report::judge_in_batches;
using edi_energy::report::KEPT_FINDINGS;

struct Hearing {
  std::vector<Batch> judged;
  std::vector<Batch> kept;
  std::vector<std::size_t> kept_findings;  // of each kept verdict, all it drew
};

// Vorgang i draws findings[i]; a verdict holding more than the cap is cut short.
Hearing hear(const std::vector<std::size_t>& findings, std::size_t expected) {
  Hearing hearing;
  judge_in_batches(
      findings.size(), expected,
      [&](Batch batch) {
        hearing.judged.push_back(batch);
        const std::size_t drawn = std::accumulate(findings.begin() + static_cast<std::ptrdiff_t>(batch.first),
                                                  findings.begin() + static_cast<std::ptrdiff_t>(batch.last),
                                                  std::size_t{0});
        return Heard<std::size_t>{drawn, drawn > KEPT_FINDINGS};
      },
      [&](Batch batch, std::size_t drawn) {
        hearing.kept.push_back(batch);
        hearing.kept_findings.push_back(drawn);
      });
  return hearing;
}

struct BatchCase {
  std::string name;
  std::vector<std::size_t> findings;
  std::size_t expected;
  bool told;  // the guess holds: no batch should need judging twice

  friend void PrintTo(const BatchCase& c, std::ostream* os) { *os << c.name; }
};

class FindingsBatches : public testing::TestWithParam<BatchCase> {};

TEST_P(FindingsBatches, EveryVorgangIsHeardOnceAndWhole) {
  const BatchCase& c = GetParam();
  const Hearing judged = hear(c.findings, c.expected);
  ASSERT_FALSE(judged.kept.empty());
  // The kept verdicts cover the Vorgänge in order, each once.
  EXPECT_EQ(judged.kept.front().first, 0U);
  EXPECT_EQ(judged.kept.back().last, c.findings.size());
  for (std::size_t at = 1; at < judged.kept.size(); ++at) {
    EXPECT_EQ(judged.kept[at].first, judged.kept[at - 1].last) << at;
  }
  // Only a Vorgang alone may keep a verdict the cap cut short.
  for (std::size_t at = 0; at < judged.kept.size(); ++at) {
    if (judged.kept[at].last - judged.kept[at].first > 1) {
      EXPECT_LE(judged.kept_findings[at], KEPT_FINDINGS) << judged.kept[at].first << ".." << judged.kept[at].last;
    }
  }
  if (c.told) {
    EXPECT_EQ(judged.judged, judged.kept);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Report, FindingsBatches,
    testing::Values(
        // Each Vorgang draws a tenth of the cap: together they draw four caps' worth.
        BatchCase{"told", std::vector<std::size_t>(40, KEPT_FINDINGS / 10), 4 * KEPT_FINDINGS, true},
        BatchCase{"untold", std::vector<std::size_t>(40, KEPT_FINDINGS / 10), 0, false},
        BatchCase{"one_vorgang_over_the_cap", {10, KEPT_FINDINGS + 500, 10, 10}, 0, false},
        BatchCase{"more_expected_than_vorgaenge_hold", {KEPT_FINDINGS, KEPT_FINDINGS}, 100 * KEPT_FINDINGS, true}),
    [](const auto& info) { return info.param.name; });

TEST(FindingsBatches, AMessageWithoutVorgangIsJudgedWhole) {
  const Hearing judged = hear({}, 0);
  EXPECT_EQ(judged.judged, (std::vector<Batch>{{0, 0}}));
  EXPECT_EQ(judged.kept, (std::vector<Batch>{{0, 0}}));
}

}  // namespace
