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

}  // namespace data
