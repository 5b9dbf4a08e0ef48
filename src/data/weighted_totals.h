// The weighted totals of the subjects, defined once: the import's statistics
// table, the comprehensive statistics and the settings' full-mark summary
// all use these.
#pragma once

#include <optional>
#include <string>

#include "data/app_state.h"
#include "engine/database.h"

namespace data {

// "IIf(IsNull(s), 0, s)*w+..." over the subjects, the main ones only when
// `main_only`, with w = TotalWeightPct / 100 in its shortest form; empty
// when there is no such subject.
std::string WeightedTotalExpression(const SubjectLines& lines, bool main_only);

// The weight of subject i (0-based) as that expression writes it.
std::string WeightText(const SubjectLines& lines, int i);

// The full mark of that total: the sum of FullMark × TotalWeightPct / 100.
// A subject whose product leaves the 16-bit range the weights are stored in
// is left out, as it always was.
double WeightedFullMark(const SubjectLines& lines, bool main_only);

// The highest and the lowest value of an expression over 成绩表, as values
// and as the texts a grid cell would show.
struct HighestLowest {
  double highest = 0;
  double lowest = 0;
  std::string highest_text;
  std::string lowest_text;
};
// nullopt when 成绩表 has no such row. `positive_only` leaves out the rows
// where the expression is 0 or less (students absent from every subject).
// Throws engine::Error when the query fails.
std::optional<HighestLowest> ReadHighestLowest(engine::Database& db, const std::string& expression,
                                               bool positive_only);

}  // namespace data
