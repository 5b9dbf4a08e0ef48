// The step between an axis's ticks, shared by the chart windows and the
// letters' trend line so both count the same way.
#pragma once

#include <cmath>

namespace charts {

// The least of 1, 2 or 5 times a power of ten that is at least `rough`
// (> 0): numbers a reader takes in at a glance.
inline double RoundAxisStep(double rough) {
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (const double m : {1.0, 2.0, 5.0})
    if (m * power >= rough) return m * power;
  return 10 * power;
}

}  // namespace charts
