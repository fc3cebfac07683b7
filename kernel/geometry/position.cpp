#include <tagtrack/kernel/geometry/position.h>

#include <algorithm>
#include <cmath>

#include <tagtrack/kernel/internal/geometry_frame.h>

namespace TPK {

namespace geometry_detail {

constexpr double pi = 3.14159265358979323846;
constexpr double two_pi = 2.0 * pi;

// A direction hint whose part perpendicular to the axis is shorter than this (for unit vectors:
// the sine of the angle between them) does not define a direction.
constexpr double min_perpendicular = resabs;

// Keeping a vector that is already unit is what makes unit(unit(v)) == unit(v) bit for bit; the
// scaled normalisation below is within about 6 epsilon of unit, well inside frame_tolerance.
vector3 unit(const vector3& v) {
  if (std::fabs(dot(v, v) - 1.0) <= frame_tolerance) return v;
  const double m = std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
  if (!(m > 0.0) || !std::isfinite(m)) return {};
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

// A frame this returned comes back unchanged: `a` is unit, so unit keeps it, and `x` is unit and
// perpendicular to it within frame_tolerance, so it is kept too. Projecting and normalising leaves
// x.a within about 7 epsilon, so a computed `x` passes on the next call.
void orthonormal_frame(const vector3& axis, const vector3& x_hint, vector3& a, vector3& x,
                       vector3& y) {
  a = unit(axis);
  const vector3 hint = unit(x_hint);
  if (length(hint) > 0.0 && std::fabs(dot(hint, a)) <= frame_tolerance) {
    x = hint;
  } else {
    vector3 p = perpendicular_part(hint, a);
    if (length(p) <= min_perpendicular) {
      const vector3 world[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
      const vector3* best = &world[0];
      for (const vector3& w : world) {
        if (std::fabs(dot(w, a)) < std::fabs(dot(*best, a))) best = &w;
      }
      p = perpendicular_part(*best, a);
    }
    x = unit(p);
  }
  y = cross(a, x);
}

bool frame_data_valid(const double* axis, const double* x_hint) {
  const vector3 a = unit({axis[0], axis[1], axis[2]});
  if (length(a) == 0.0) return false;
  return length(perpendicular_part(unit({x_hint[0], x_hint[1], x_hint[2]}), a)) > min_perpendicular;
}

// Measuring the arc on both sides also covers a tiny negative angle that rounds up to 2pi.
double seam_angle(double angle, double radius) {
  double a = std::fmod(angle, two_pi);
  if (a < 0.0) a += two_pi;
  const double r = std::fabs(radius);
  if (a * r <= resabs || (two_pi - a) * r <= resabs) return 0.0;
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
  if (length(k) == 0.0) return t;
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
