#include <tagtrack/kernel/geometry/surface.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include <tagtrack/kernel/internal/geometry_frame.h>

namespace TPK {

cylinder_surface::cylinder_surface(const position& origin, const vector3& axis,
                                   const vector3& x_axis, double radius)
    : m_origin(origin), m_radius(radius) {
  geometry_detail::orthonormal_frame(axis, x_axis, m_axis, m_x, m_y);
}

position cylinder_surface::eval(const par_pos& uv) const {
  const vector3 radial = std::cos(uv.u) * m_x + std::sin(uv.u) * m_y;
  return m_origin + (m_radius * radial + uv.v * m_axis);
}

vector3 cylinder_surface::normal(const par_pos& uv) const {
  return std::cos(uv.u) * m_x + std::sin(uv.u) * m_y;
}

bool cylinder_surface::param(const position& p, par_pos& uv, const par_pos*) const {
  const vector3 d = p - m_origin;
  const double px = dot(d, m_x), py = dot(d, m_y);
  if (std::fabs(std::hypot(px, py) - m_radius) > resabs) return false;
  uv = {geometry_detail::seam_angle(std::atan2(py, px), m_radius), dot(d, m_axis)};
  return true;
}

surface* cylinder_surface::copy() const {
  return new cylinder_surface(*this);
}

void cylinder_surface::transform(const transf& t) {
  m_origin = t.apply(m_origin);
  geometry_detail::orthonormal_frame(t.apply(m_axis), t.apply(m_x), m_axis, m_x, m_y);
}

void cylinder_surface::get_data(double* out) const {
  const double data[] = {m_origin.x, m_origin.y, m_origin.z, m_axis.x, m_axis.y,
                         m_axis.z,   m_x.x,      m_x.y,      m_x.z,    m_radius};
  std::copy(std::begin(data), std::end(data), out);
}

}  // namespace TPK
