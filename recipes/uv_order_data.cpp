#include <tagtrack/recipes/uv_order_data.h>

namespace TPI_TAGGING_TRACKING {

uv_order_data::~uv_order_data() = default;

bool uv_order_data::operator==(const uv_order_data& other) const {
  return m_num_vertices == other.m_num_vertices && m_u_rank == other.m_u_rank &&
         m_u_first == other.m_u_first && m_u_last == other.m_u_last && m_v_rank == other.m_v_rank &&
         m_v_first == other.m_v_first && m_v_last == other.m_v_last;
}

}  // namespace TPI_TAGGING_TRACKING
