#include <tagtrack/features/segment_numbers.h>

#include <algorithm>
#include <set>

namespace tagtrack {

numbered_polygon number_segments(const std::vector<point3>& points,
                                 const numbered_polygon* previous) {
  const std::size_t n = points.size();
  numbered_polygon out{points, std::vector<int>(n, -1)};
  std::vector<int>& chosen = out.numbers;
  if (previous == nullptr) {
    for (std::size_t k = 0; k < n; ++k) chosen[k] = static_cast<int>(k);
    return out;
  }
  const std::vector<point3>& old = previous->points;
  const std::vector<int>& old_numbers = previous->numbers;
  const std::size_t m = std::min(old.size(), old_numbers.size());
  int next = 0;
  for (int number : old_numbers) next = std::max(next, number + 1);
  std::set<int> taken;
  // How segment k relates to old segment i: 2 both ends, 1 its start, 0 its end.
  const auto claim = [&](std::size_t k, int how) {
    const point3& a = points[k];
    const point3& b = points[(k + 1) % n];
    for (std::size_t i = 0; i < m; ++i) {
      const bool start = a == old[i], end = b == old[(i + 1) % m];
      const bool fits = how == 2 ? start && end : how == 1 ? start : end;
      if (fits && taken.count(old_numbers[i]) == 0) {
        chosen[k] = old_numbers[i];
        taken.insert(old_numbers[i]);
        return;
      }
    }
  };
  for (int how : {2, 1, 0}) {
    for (std::size_t k = 0; k < n; ++k) {
      if (chosen[k] < 0) claim(k, how);
    }
  }
  for (std::size_t k = 0; k < n; ++k) {
    if (chosen[k] >= 0) continue;
    const int positional = n == m ? old_numbers[k] : -1;
    if (positional >= 0 && taken.count(positional) == 0) {
      chosen[k] = positional;
      taken.insert(positional);
    } else {
      chosen[k] = next++;
    }
  }
  return out;
}

}  // namespace tagtrack
