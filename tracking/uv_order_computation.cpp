// The uv order of a vertex on a face.
#include <algorithm>
#include <numeric>
#include <vector>

#include <tagtrack/kernel/boundary/queries.h>
#include <tagtrack/recipes/uv_order_data.h>
#include <tagtrack/tracking/internal/entity_lookup.h>

namespace TPI_TAGGING_TRACKING {

namespace {

// In `order` (indices into `values`, sorted by value), the 1-based rank of `self`, and the first
// and last ranks of the run of entries equal to its value within the kernel's resolution.
void ranks(const std::vector<double>& values, const std::vector<std::size_t>& order,
           std::size_t self, std::int32_t& rank, std::int32_t& first, std::int32_t& last) {
  const std::size_t n = order.size();
  for (std::size_t p = 0; p < n; ++p) {
    if (order[p] == self) rank = static_cast<std::int32_t>(p + 1);
  }
  const double own = values[self];
  first = last = 0;
  std::size_t p = 0;
  while (p < n && !TPK::is_equal(values[order[p]], own)) ++p;
  if (p == n) return;
  first = static_cast<std::int32_t>(p + 1);
  while (p < n && TPK::is_equal(values[order[p]], own)) ++p;
  last = static_cast<std::int32_t>(p);
}

std::vector<std::size_t> sorted_by(const std::vector<double>& values) {
  std::vector<std::size_t> order(values.size());
  std::iota(order.begin(), order.end(), 0);
  // Exact comparison of the doubles; ties keep the face's vertex order.
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return values[a] < values[b]; });
  return order;
}

}  // namespace

uv_order_data::uv_order_data(VERTEX* vertex, FACE* face) {
  std::vector<VERTEX*> vertices;
  collect_vertices(TPK::as_entity(face), vertices);
  const auto self_at = std::find(vertices.begin(), vertices.end(), vertex);
  if (vertices.empty() || self_at == vertices.end()) return;
  const auto self = static_cast<std::size_t>(self_at - vertices.begin());
  const std::size_t n = vertices.size();
  m_num_vertices = static_cast<std::int32_t>(n);

  const TPK::surface_const_xs surface(TPK::FACE_const_xs(face).geometry());
  std::vector<double> u(n, 0.0), v(n, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    TPK::position point;
    TPI_QUERY::get_point(vertices[i], point);
    TPK::par_pos uv;
    if (surface.param(point, uv, nullptr)) {
      u[i] = uv.u;
      v[i] = uv.v;
    }
  }
  ranks(u, sorted_by(u), self, m_u_rank, m_u_first, m_u_last);
  ranks(v, sorted_by(v), self, m_v_rank, m_v_first, m_v_last);
}

}  // namespace TPI_TAGGING_TRACKING
