#include <tagtrack/features/segment_numbers.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>

namespace tagtrack {

namespace {

// The unit direction of segment k of a closed polygon; zero for a segment of no length.
std::array<double, 3> direction(const std::vector<point3>& points, std::size_t count,
                                std::size_t k) {
  const point3& a = points[k];
  const point3& b = points[(k + 1) % count];
  const double d[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
  const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  if (length == 0) return {0, 0, 0};
  return {d[0] / length, d[1] / length, d[2] / length};
}

// Two segments count as the same side turned no further than this (about 18 degrees).
constexpr double same_direction = 0.95;

// Between two segments that kept their numbers, the old polygon had a run of segments and the new
// one has a run of its own: points were inserted, removed or moved there. An old segment of the
// run stays in the run when a new segment of it points the same way (the best such, and only one
// new segment per old one): a bevel cut into a corner leaves the side beside it its number though
// both of the side's end points moved.
void keep_through_gaps(const std::vector<point3>& points, const std::vector<point3>& old,
                       const std::vector<int>& old_numbers, std::size_t m, std::vector<int>& chosen,
                       std::set<int>& taken) {
  const std::size_t n = points.size();
  std::vector<long> old_of(n, -1);  // the old position whose number segment k took
  for (std::size_t k = 0; k < n; ++k) {
    for (std::size_t i = 0; i < m && chosen[k] >= 0; ++i) {
      if (old_numbers[i] == chosen[k]) old_of[k] = static_cast<long>(i);
    }
  }
  for (std::size_t from = 0; from < n; ++from) {
    if (old_of[from] < 0 || old_of[(from + 1) % n] >= 0) continue;
    std::vector<std::size_t> fresh;  // the new run after `from`, up to the next kept segment
    std::size_t to = (from + 1) % n;
    for (; old_of[to] < 0; to = (to + 1) % n) fresh.push_back(to);
    // The old run from after `from`'s old segment up to `to`'s.
    const auto first = static_cast<std::size_t>(old_of[from]);
    const auto last = static_cast<std::size_t>(old_of[to]);
    for (std::size_t i = (first + 1) % m; i != last; i = (i + 1) % m) {
      if (taken.count(old_numbers[i]) != 0) continue;
      const auto was = direction(old, m, i);
      double best = same_direction;
      long pick = -1;
      for (const std::size_t k : fresh) {
        if (chosen[k] >= 0) continue;
        const auto now = direction(points, n, k);
        const double cosine = was[0] * now[0] + was[1] * now[1] + was[2] * now[2];
        if (cosine > best) {
          best = cosine;
          pick = static_cast<long>(k);
        }
      }
      if (pick >= 0) {
        chosen[static_cast<std::size_t>(pick)] = old_numbers[i];
        taken.insert(old_numbers[i]);
      }
    }
  }
}

}  // namespace

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
  if (n != m) keep_through_gaps(points, old, old_numbers, m, chosen, taken);
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
