#include <tagtrack/kernel/geometry/surface.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include <tagtrack/kernel/internal/geometry_frame.h>

namespace TPK {

plane_surface::plane_surface(const position& origin, const vector3& normal, const vector3& x_axis)
    : m_origin(origin) {
  geometry_detail::orthonormal_frame(normal, x_axis, m_normal, m_x, m_y);
}

position plane_surface::eval(const par_pos& uv) const {
  return m_origin + (uv.u * m_x + uv.v * m_y);
}

vector3 plane_surface::normal(const par_pos&) const {
  return m_normal;
}

bool plane_surface::param(const position& p, par_pos& uv, const par_pos*) const {
  const vector3 d = p - m_origin;
  if (std::fabs(dot(d, m_normal)) > resabs) return false;
  uv = {dot(d, m_x), dot(d, m_y)};
  return true;
}

surface* plane_surface::copy() const {
  return new plane_surface(*this);
}

void plane_surface::transform(const transf& t) {
  m_origin = t.apply(m_origin);
  geometry_detail::orthonormal_frame(t.apply(m_normal), t.apply(m_x), m_normal, m_x, m_y);
}

void plane_surface::get_data(double* out) const {
  const double data[] = {m_origin.x, m_origin.y, m_origin.z, m_normal.x, m_normal.y,
                         m_normal.z, m_x.x,      m_x.y,      m_x.z};
  std::copy(std::begin(data), std::end(data), out);
}

}  // namespace TPK
