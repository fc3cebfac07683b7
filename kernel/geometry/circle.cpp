#include <tagtrack/kernel/geometry/curve.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include <tagtrack/kernel/internal/geometry_frame.h>

namespace TPK {

circle_curve::circle_curve(const position& centre, const vector3& normal, const vector3& x_axis,
                           double radius)
    : m_centre(centre), m_radius(radius) {
  geometry_detail::orthonormal_frame(normal, x_axis, m_normal, m_x, m_y);
}

position circle_curve::eval(double t) const {
  return m_centre + m_radius * (std::cos(t) * m_x + std::sin(t) * m_y);
}

vector3 circle_curve::tangent(double t) const {
  return -std::sin(t) * m_x + std::cos(t) * m_y;
}

bool circle_curve::param(const position& p, double& t) const {
  const vector3 d = p - m_centre;
  const double px = dot(d, m_x), py = dot(d, m_y);
  // Distance to the circle, measured in the plane through the normal and p.
  if (std::hypot(dot(d, m_normal), std::hypot(px, py) - m_radius) > resabs) return false;
  t = geometry_detail::seam_angle(std::atan2(py, px), m_radius);
  return true;
}

curve* circle_curve::copy() const {
  return new circle_curve(*this);
}

void circle_curve::transform(const transf& t) {
  m_centre = t.apply(m_centre);
  geometry_detail::orthonormal_frame(t.apply(m_normal), t.apply(m_x), m_normal, m_x, m_y);
}

void circle_curve::get_data(double* out) const {
  const double data[] = {m_centre.x, m_centre.y, m_centre.z, m_normal.x, m_normal.y,
                         m_normal.z, m_x.x,      m_x.y,      m_x.z,      m_radius};
  std::copy(std::begin(data), std::end(data), out);
}

}  // namespace TPK
