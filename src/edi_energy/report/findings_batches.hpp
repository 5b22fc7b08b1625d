// Judging the Vorgänge of a large message in batches, so that the findings cap hides none of
// their findings.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>

#include "edi_energy/report/findings_cap.hpp"

namespace edi_energy::report {

// Vorgänge [first, last) of a message, counted from 0, judged together.
struct Batch {
  std::size_t first = 0;
  std::size_t last = 0;

  bool operator==(const Batch&) const = default;
};

template <class Verdict>
struct Heard {
  Verdict verdict;
  bool cut_short = false;  // the cap left findings out
};

// Well within the cap, so that a batch planned from a fair guess is seldom judged twice.
inline constexpr std::size_t FINDINGS_PER_BATCH = KEPT_FINDINGS / 2;

namespace detail {

template <class Judge, class Keep>
void hear_batch(Batch batch, Judge& judge, Keep& keep) {
  auto heard = judge(batch);
  if (heard.cut_short && batch.last - batch.first > 1) {
    const std::size_t middle = batch.first + (batch.last - batch.first) / 2;
    hear_batch(Batch{batch.first, middle}, judge, keep);
    hear_batch(Batch{middle, batch.last}, judge, keep);
    return;
  }
  keep(batch, std::move(heard.verdict));
}

}  // namespace detail

// Judges a message's `vorgaenge`, which draw about `expected_findings` in all, in as many batches
// from the start as that asks for; a batch whose verdict is cut short is judged again in halves.
// `judge(batch)` gives a Heard; `keep(batch, verdict)` takes, in order, each verdict that stands.
// A Vorgang alone keeps its verdict even cut short, having no smaller part; a message without a
// Vorgang is judged as one empty batch.
template <class Judge, class Keep>
void judge_in_batches(std::size_t vorgaenge, std::size_t expected_findings, Judge&& judge, Keep&& keep) {
  const std::size_t batches = std::clamp<std::size_t>(expected_findings / FINDINGS_PER_BATCH + 1, 1,
                                                       std::max<std::size_t>(vorgaenge, 1));
  for (std::size_t at = 0; at < batches; ++at) {
    detail::hear_batch(Batch{vorgaenge * at / batches, vorgaenge * (at + 1) / batches}, judge, keep);
  }
}

}  // namespace edi_energy::report
