// Where a vertex lies among the vertices of one face, in the face's parameter space: its 1-based
// rank when the face's vertices are sorted by u and by v, and the first and last ranks of the
// vertices that share its u or v within the kernel's resolution. A plain value of seven integers;
// all zero when unknown.
#pragma once

#include <cstdint>

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

class TAGTRACK_EXPORT uv_order_data {
 public:
  uv_order_data() = default;
  // The data of `vertex` on `face`, from the face's vertices in kernel order and their surface
  // parameters (a vertex whose parameters cannot be found counts as (0, 0)): ranks come from
  // stable sorts on the exact values, the first and last ranks of the vertex's group from the
  // kernel's is_equal. All zero when the vertex is not one of the face's vertices. Defined with
  // tracking, which owns the kernel queries it needs.
  uv_order_data(VERTEX* vertex, FACE* face);
  uv_order_data(const uv_order_data&) = default;
  uv_order_data& operator=(const uv_order_data&) = default;
  virtual ~uv_order_data();

  bool operator==(const uv_order_data& other) const;
  bool operator!=(const uv_order_data& other) const { return !(*this == other); }

  std::int32_t m_num_vertices = 0;
  std::int32_t m_u_rank = 0;
  std::int32_t m_u_first = 0;
  std::int32_t m_u_last = 0;
  std::int32_t m_v_rank = 0;
  std::int32_t m_v_first = 0;
  std::int32_t m_v_last = 0;
};

}  // namespace TPI_TAGGING_TRACKING
