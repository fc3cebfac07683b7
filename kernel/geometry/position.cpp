#include "kernel/geometry/position.h"

#include <algorithm>
#include <cmath>

namespace TPK {

// Helpers shared by the geometry classes, which declare the ones they use.
namespace geometry_detail {

constexpr double pi = 3.14159265358979323846;
constexpr double two_pi = 2.0 * pi;

// A direction hint whose part perpendicular to the axis is shorter than this (for unit vectors:
// the sine of the angle between them) does not define a direction.
constexpr double min_perpendicular = resabs;

// The unit vector along `v`, also for components that would underflow or overflow when squared;
// zero for a zero or non-finite vector.
vector3 unit(const vector3& v) {
  const double m = std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
  if (!(m > 0.0) || !std::isfinite(m))
    return {};
  const vector3 w{v.x / m, v.y / m, v.z / m};
  return (1.0 / length(w)) * w;
}

namespace {

// The part of the unit vector `v` perpendicular to the unit vector `a`. Projecting twice keeps the
// result perpendicular to working precision even when `v` is nearly parallel to `a`.
vector3 perpendicular_part(const vector3& v, const vector3& a) {
  const vector3 once = v - dot(v, a) * a;
  return once - dot(once, a) * a;
}

}  // namespace

// Right-handed orthonormal frame: `a` along `axis`, `x` the part of `x_hint` perpendicular to it,
// y = a x x. When `x_hint` does not define a direction, `x` is the perpendicular of the world axis
// least aligned with `a`, so the frame is always complete for a non-zero axis.
void orthonormal_frame(const vector3& axis, const vector3& x_hint, vector3& a, vector3& x,
                       vector3& y) {
  a = unit(axis);
  vector3 p = perpendicular_part(unit(x_hint), a);
  if (length(p) <= min_perpendicular) {
    const vector3 world[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const vector3* best = &world[0];
    for (const vector3& w : world) {
      if (std::fabs(dot(w, a)) < std::fabs(dot(*best, a)))
        best = &w;
    }
    p = perpendicular_part(*best, a);
  }
  x = unit(p);
  y = cross(a, x);
}

// Whether three numbers for an axis and three for its x direction describe a frame: the axis is not
// zero and the x direction is not zero or parallel to it.
bool frame_data_valid(const double* axis, const double* x_hint) {
  const vector3 a = unit({axis[0], axis[1], axis[2]});
  if (length(a) == 0.0)
    return false;
  return length(perpendicular_part(unit({x_hint[0], x_hint[1], x_hint[2]}), a)) > min_perpendicular;
}

// `angle` in [0, 2pi), and 0 when the arc of `radius` between it and the seam, on either side, is
// within the resolution (which also covers a tiny negative angle rounding up to 2pi). A point near
// the seam therefore gets exactly one parameter value, and an angle about a pole (radius 0) is
// always 0.
double seam_angle(double angle, double radius) {
  double a = std::fmod(angle, two_pi);
  if (a < 0.0)
    a += two_pi;
  const double r = std::fabs(radius);
  if (a * r <= resabs || (two_pi - a) * r <= resabs)
    return 0.0;
  return a;
}

}  // namespace geometry_detail

bool is_equal(double a, double b) {
  return std::fabs(a - b) <= resabs;
}

transf transf::translate(const vector3& by) {
  transf t;
  t.translation = by;
  return t;
}

// A zero axis defines no rotation: the result is the identity.
transf transf::rotate(const position& origin, const vector3& axis, double angle) {
  transf t;
  const vector3 k = geometry_detail::unit(axis);
  if (length(k) == 0.0)
    return t;
  // Rodrigues: R = cos I + sin [k]x + (1 - cos) k k^T.
  const double c = std::cos(angle), s = std::sin(angle), ic = 1.0 - c;
  t.rotation[0][0] = c + ic * k.x * k.x;
  t.rotation[0][1] = ic * k.x * k.y - s * k.z;
  t.rotation[0][2] = ic * k.x * k.z + s * k.y;
  t.rotation[1][0] = ic * k.y * k.x + s * k.z;
  t.rotation[1][1] = c + ic * k.y * k.y;
  t.rotation[1][2] = ic * k.y * k.z - s * k.x;
  t.rotation[2][0] = ic * k.z * k.x - s * k.y;
  t.rotation[2][1] = ic * k.z * k.y + s * k.x;
  t.rotation[2][2] = c + ic * k.z * k.z;
  // The line through `origin` stays fixed: t = origin - R origin.
  const vector3 o{origin.x, origin.y, origin.z};
  t.translation = o - t.apply(o);
  return t;
}

transf transf::after(const transf& first) const {
  transf r;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      r.rotation[i][j] = rotation[i][0] * first.rotation[0][j] +
                         rotation[i][1] * first.rotation[1][j] +
                         rotation[i][2] * first.rotation[2][j];
    }
  }
  r.translation = apply(first.translation) + translation;
  return r;
}

}  // namespace TPK
