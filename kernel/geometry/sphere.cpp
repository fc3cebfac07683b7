#include <tagtrack/kernel/geometry/surface.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include <tagtrack/kernel/internal/geometry_frame.h>

namespace TPK {

namespace {
constexpr double half_pi = 1.57079632679489661923;
}  // namespace

sphere_surface::sphere_surface(const position& centre, const vector3& axis, const vector3& x_axis,
                               double radius)
    : m_centre(centre), m_radius(radius) {
  geometry_detail::orthonormal_frame(axis, x_axis, m_axis, m_x, m_y);
}

position sphere_surface::eval(const par_pos& uv) const {
  const vector3 radial = std::cos(uv.u) * m_x + std::sin(uv.u) * m_y;
  return m_centre + m_radius * (std::cos(uv.v) * radial + std::sin(uv.v) * m_axis);
}

// The outward normal; within the resolution of a pole, exactly the axis direction of that pole.
vector3 sphere_surface::normal(const par_pos& uv) const {
  if (m_radius * (half_pi - std::fabs(uv.v)) <= resabs) return uv.v > 0.0 ? m_axis : -m_axis;
  const vector3 radial = std::cos(uv.u) * m_x + std::sin(uv.u) * m_y;
  return std::cos(uv.v) * radial + std::sin(uv.v) * m_axis;
}

bool sphere_surface::param(const position& p, par_pos& uv, const par_pos*) const {
  const vector3 d = p - m_centre;
  if (std::fabs(length(d) - m_radius) > resabs) return false;
  const position north = m_centre + m_radius * m_axis;
  const position south = m_centre - m_radius * m_axis;
  if (same_point(p, north) || same_point(p, south)) {
    uv = {0.0, same_point(p, north) ? half_pi : -half_pi};
    return true;
  }
  const double px = dot(d, m_x), py = dot(d, m_y);
  const double v = std::atan2(dot(d, m_axis), std::hypot(px, py));
  uv = {geometry_detail::seam_angle(std::atan2(py, px), m_radius * std::cos(v)), v};
  return true;
}

surface* sphere_surface::copy() const {
  return new sphere_surface(*this);
}

void sphere_surface::transform(const transf& t) {
  m_centre = t.apply(m_centre);
  geometry_detail::orthonormal_frame(t.apply(m_axis), t.apply(m_x), m_axis, m_x, m_y);
}

void sphere_surface::get_data(double* out) const {
  const double data[] = {m_centre.x, m_centre.y, m_centre.z, m_axis.x, m_axis.y,
                         m_axis.z,   m_x.x,      m_x.y,      m_x.z,    m_radius};
  std::copy(std::begin(data), std::end(data), out);
}

}  // namespace TPK
