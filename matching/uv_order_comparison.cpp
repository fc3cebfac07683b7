#include <tagtrack/matching/internal/uv_order_comparison.h>

namespace TPI_TAGGING_TRACKING {

namespace {

bool within(std::int32_t value, std::int32_t first, std::int32_t last) {
  return first <= value && value <= last;
}

// uv_shifted_by_count: the rank and its run moved by `shift` together.
bool run_moved(std::int32_t c_first, std::int32_t c_last, std::int32_t s_first, std::int32_t s_last,
               std::int32_t shift) {
  return c_first + shift == s_first && c_last + shift == s_last;
}

}  // namespace

bool compare_uv_order(const uv_order_data& s, VERTEX* vertex, FACE* face, int& level) {
  level = uv_no_agreement;
  if (s.m_num_vertices == 0 || s.m_u_rank < 0 || s.m_v_rank < 0) return false;
  const uv_order_data c(vertex, face);
  if (c.m_num_vertices == 0 || c.m_u_rank < 0 || c.m_v_rank < 0) return false;

  const bool v_agrees = c.m_v_rank == s.m_v_rank || within(c.m_v_rank, s.m_v_first, s.m_v_last);
  if (c.m_num_vertices == s.m_num_vertices) {
    const bool u_agrees = c.m_u_rank == s.m_u_rank || within(c.m_u_rank, s.m_u_first, s.m_u_last);
    if (u_agrees && v_agrees) {
      level = uv_same_place;
      return true;
    }
    return false;
  }

  if (c.m_u_rank == s.m_u_rank || c.m_v_rank == s.m_v_rank) {
    const bool u_run = c.m_u_first == s.m_u_first && c.m_u_last == s.m_u_last;
    const bool v_run = c.m_v_first == s.m_v_first && c.m_v_last == s.m_v_last;
    if (u_run || v_run) {
      level = uv_one_run_kept;
      return true;
    }
    return false;
  }

  bool agrees = false;
  if (c.m_num_vertices < s.m_num_vertices) {
    // The face lost vertices: only a rank that moved down by the loss is accepted.
    const std::int32_t e = s.m_num_vertices - c.m_num_vertices;
    if (c.m_u_rank + e == s.m_u_rank) {
      agrees = run_moved(c.m_u_first, c.m_u_last, s.m_u_first, s.m_u_last, e);
    } else if (c.m_v_rank + e == s.m_v_rank) {
      agrees = run_moved(c.m_v_first, c.m_v_last, s.m_v_first, s.m_v_last, e);
    }
  } else {
    // The face gained vertices: a rank that moved up or down by the gain is accepted.
    const std::int32_t d = c.m_num_vertices - s.m_num_vertices;
    if (c.m_u_rank > s.m_u_rank && c.m_u_rank == s.m_u_rank + d) {
      agrees = run_moved(c.m_u_first, c.m_u_last, s.m_u_first, s.m_u_last, -d);
    } else if (c.m_u_rank < s.m_u_rank && c.m_u_rank == s.m_u_rank - d) {
      agrees = run_moved(c.m_u_first, c.m_u_last, s.m_u_first, s.m_u_last, d);
    } else if (c.m_v_rank > s.m_v_rank && c.m_v_rank == s.m_v_rank + d) {
      agrees = run_moved(c.m_v_first, c.m_v_last, s.m_v_first, s.m_v_last, -d);
    } else if (c.m_v_rank < s.m_v_rank && c.m_v_rank == s.m_v_rank - d) {
      agrees = run_moved(c.m_v_first, c.m_v_last, s.m_v_first, s.m_v_last, d);
    }
  }
  if (agrees) level = uv_shifted_by_count;
  return agrees;
}

}  // namespace TPI_TAGGING_TRACKING
