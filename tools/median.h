// The median of timings the command reports (the upper one of an even count); 0 for none.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace tagtrack_tool {

inline double median(std::vector<double> values) {
  if (values.empty()) return 0;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

}  // namespace tagtrack_tool
