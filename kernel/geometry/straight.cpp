#include <tagtrack/kernel/geometry/curve.h>

#include <algorithm>
#include <iterator>

#include <tagtrack/kernel/internal/geometry_frame.h>

namespace TPK {

straight_curve::straight_curve(const position& origin, const vector3& direction)
    : m_origin(origin), m_dir(geometry_detail::unit(direction)) {}

position straight_curve::eval(double t) const {
  return m_origin + t * m_dir;
}

vector3 straight_curve::tangent(double) const {
  return m_dir;
}

bool straight_curve::param(const position& p, double& t) const {
  const vector3 d = p - m_origin;
  const double along = dot(d, m_dir);
  if (length(d - along * m_dir) > resabs) return false;
  t = along;
  return true;
}

curve* straight_curve::copy() const {
  return new straight_curve(*this);
}

void straight_curve::transform(const transf& t) {
  m_origin = t.apply(m_origin);
  m_dir = geometry_detail::unit(t.apply(m_dir));
}

void straight_curve::get_data(double* out) const {
  const double data[] = {m_origin.x, m_origin.y, m_origin.z, m_dir.x, m_dir.y, m_dir.z};
  std::copy(std::begin(data), std::end(data), out);
}

}  // namespace TPK
