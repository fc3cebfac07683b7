#include <tagtrack/kernel/geometry/surface.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include <tagtrack/kernel/internal/geometry_frame.h>

namespace TPK {

namespace {
constexpr double pi = 3.14159265358979323846;
}  // namespace

// Heights v where the radius r + v tan(a) is negative lie on the other nappe, beyond the apex: eval
// puts them on the side of the axis opposite to u, and param gives them back the same way, so the
// whole double cone is parametrised.
cone_surface::cone_surface(const position& origin, const vector3& axis, const vector3& x_axis,
                           double radius, double half_angle)
    : m_origin(origin), m_radius(radius), m_half_angle(half_angle) {
  geometry_detail::orthonormal_frame(axis, x_axis, m_axis, m_x, m_y);
}

position cone_surface::eval(const par_pos& uv) const {
  const double rho = m_radius + uv.v * std::tan(m_half_angle);
  const vector3 radial = std::cos(uv.u) * m_x + std::sin(uv.u) * m_y;
  return m_origin + (rho * radial + uv.v * m_axis);
}

// Within the resolution of the apex, the normal is the axis direction pointing away from the
// nappe of non-negative radius; elsewhere d/du x d/dv, which is outward on that nappe.
vector3 cone_surface::normal(const par_pos& uv) const {
  const double sa = std::sin(m_half_angle), ca = std::cos(m_half_angle);
  const double rho = m_radius + uv.v * sa / ca;
  // The distance from the apex of eval(u, v) is |rho| / |sin a|.
  if (std::fabs(rho) <= resabs * std::fabs(sa)) return sa > 0.0 ? -m_axis : m_axis;
  const vector3 radial = std::cos(uv.u) * m_x + std::sin(uv.u) * m_y;
  const vector3 n = ca * radial - sa * m_axis;
  return rho > 0.0 ? n : -n;
}

bool cone_surface::param(const position& p, par_pos& uv, const par_pos*) const {
  const vector3 d = p - m_origin;
  const double h = dot(d, m_axis), px = dot(d, m_x), py = dot(d, m_y);
  const double rho = std::hypot(px, py);
  const double sa = std::sin(m_half_angle), ca = std::cos(m_half_angle);
  // In the plane through the axis and p, with s the signed distance from the axis towards p, the
  // cone is the lines s = r + h tan(a) (this side's generator) and s = -(r + h tan(a)) (the
  // generator of the opposite side). Distances perpendicular to them are distances to the cone.
  const double this_side = std::fabs((rho - m_radius) * ca - h * sa);
  const double opposite_side = std::fabs((-rho - m_radius) * ca - h * sa);
  const bool opposite = opposite_side < this_side;
  if (std::min(this_side, opposite_side) > resabs) return false;
  if (sa != 0.0) {
    const double apex_v = -m_radius * ca / sa;
    if (distance(p, m_origin + apex_v * m_axis) <= resabs) {
      uv = {0.0, apex_v};
      return true;
    }
  }
  // Foot of the perpendicular on the chosen generator, which runs along (sin a, cos a) in (s, h).
  const double s = opposite ? -rho : rho;
  const double v = ((s - m_radius) * sa + h * ca) * ca;
  const double angle = std::atan2(py, px) + (opposite ? pi : 0.0);
  uv = {geometry_detail::seam_angle(angle, m_radius + v * sa / ca), v};
  return true;
}

surface* cone_surface::copy() const {
  return new cone_surface(*this);
}

void cone_surface::transform(const transf& t) {
  m_origin = t.apply(m_origin);
  geometry_detail::orthonormal_frame(t.apply(m_axis), t.apply(m_x), m_axis, m_x, m_y);
}

void cone_surface::get_data(double* out) const {
  const double data[] = {m_origin.x, m_origin.y, m_origin.z, m_axis.x, m_axis.y,    m_axis.z,
                         m_x.x,      m_x.y,      m_x.z,      m_radius, m_half_angle};
  std::copy(std::begin(data), std::end(data), out);
}

}  // namespace TPK
