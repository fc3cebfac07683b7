#include <tagtrack/kernel/geometry/surface.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include <tagtrack/kernel/internal/geometry_frame.h>

namespace TPK {

torus_surface::torus_surface(const position& centre, const vector3& axis, const vector3& x_axis,
                             double major, double minor)
    : m_centre(centre), m_major(major), m_minor(minor) {
  geometry_detail::orthonormal_frame(axis, x_axis, m_axis, m_x, m_y);
}

position torus_surface::eval(const par_pos& uv) const {
  const vector3 radial = std::cos(uv.u) * m_x + std::sin(uv.u) * m_y;
  return m_centre +
         ((m_major + m_minor * std::cos(uv.v)) * radial + m_minor * std::sin(uv.v) * m_axis);
}

// d/du x d/dv is a positive multiple of this because major > minor.
vector3 torus_surface::normal(const par_pos& uv) const {
  const vector3 radial = std::cos(uv.u) * m_x + std::sin(uv.u) * m_y;
  return std::cos(uv.v) * radial + std::sin(uv.v) * m_axis;
}

bool torus_surface::param(const position& p, par_pos& uv, const par_pos*) const {
  const vector3 d = p - m_centre;
  const double h = dot(d, m_axis), px = dot(d, m_x), py = dot(d, m_y);
  // (s, h): p relative to the nearest point of the tube's centre circle, in p's meridian plane.
  const double s = std::hypot(px, py) - m_major;
  if (std::fabs(std::hypot(s, h) - m_minor) > resabs) return false;
  const double v = geometry_detail::seam_angle(std::atan2(h, s), m_minor);
  const double u = geometry_detail::seam_angle(std::atan2(py, px), m_major + m_minor * std::cos(v));
  uv = {u, v};
  return true;
}

surface* torus_surface::copy() const {
  return new torus_surface(*this);
}

void torus_surface::transform(const transf& t) {
  m_centre = t.apply(m_centre);
  geometry_detail::orthonormal_frame(t.apply(m_axis), t.apply(m_x), m_axis, m_x, m_y);
}

void torus_surface::get_data(double* out) const {
  const double data[] = {m_centre.x, m_centre.y, m_centre.z, m_axis.x, m_axis.y, m_axis.z,
                         m_x.x,      m_x.y,      m_x.z,      m_major,  m_minor};
  std::copy(std::begin(data), std::end(data), out);
}

}  // namespace TPK
