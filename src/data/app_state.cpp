#include "data/app_state.h"

namespace data {

void SubjectLines::Resize(int n) {
  if (n < 0) n = 0;
  for (auto* v : {&FullMark, &ExcellentPct, &GoodPct, &PassPct, &MainFlag, &TotalWeightPct})
    v->assign(n, 0);
  SubjectName.assign(n, std::string());
}

int SubjectLines::IndexOf(const std::string& name) const {
  for (int i = 0; i < Count(); ++i)
    if (SubjectName[i] == name) return i;
  return -1;
}

double LineScore(int full_mark, int pct) {
  return static_cast<double>(static_cast<long long>(full_mark) * pct) / 100.0;
}

}  // namespace data
