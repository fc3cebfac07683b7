// Points, vectors, surface parameters, rigid motions and the kernel's one resolution.
#pragma once

#include <cmath>

#include <tagtrack/kernel/kernel_export.h>

namespace TPK {

// The kernel's resolution: two lengths or two parameter values closer than this are equal.
// Every comparison of lengths or parameters inside the kernel goes through is_equal.
constexpr double resabs = 1e-6;

TPK_KERNEL_EXPORT bool is_equal(double a, double b);

struct vector3 {
  double x = 0.0, y = 0.0, z = 0.0;
};

// A point in model space.
struct position {
  double x = 0.0, y = 0.0, z = 0.0;
};

// Surface parameters (u, v).
struct par_pos {
  double u = 0.0, v = 0.0;
};

inline vector3 operator-(const position& a, const position& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline position operator+(const position& p, const vector3& d) {
  return {p.x + d.x, p.y + d.y, p.z + d.z};
}
inline position operator-(const position& p, const vector3& d) {
  return {p.x - d.x, p.y - d.y, p.z - d.z};
}
inline vector3 operator+(const vector3& a, const vector3& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline vector3 operator-(const vector3& a, const vector3& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline vector3 operator-(const vector3& a) {
  return {-a.x, -a.y, -a.z};
}
inline vector3 operator*(double s, const vector3& a) {
  return {s * a.x, s * a.y, s * a.z};
}
inline double dot(const vector3& a, const vector3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline vector3 cross(const vector3& a, const vector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const vector3& a) {
  return std::sqrt(dot(a, a));
}
inline double distance(const position& a, const position& b) {
  return length(a - b);
}
// The unit vector along `a`; the zero vector stays zero.
inline vector3 normalised(const vector3& a) {
  const double len = length(a);
  return len > 0.0 ? (1.0 / len) * a : a;
}
inline bool same_point(const position& a, const position& b) {
  return distance(a, b) <= resabs;
}

// A rigid motion: p -> R p + t, with R a rotation (orthonormal, determinant +1).
struct TPK_KERNEL_EXPORT transf {
  double rotation[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  vector3 translation;

  static transf translate(const vector3& by);
  // Rotation by `angle` radians about the line through `origin` along `axis` (right-handed).
  static transf rotate(const position& origin, const vector3& axis, double angle);

  vector3 apply(const vector3& d) const {
    return {rotation[0][0] * d.x + rotation[0][1] * d.y + rotation[0][2] * d.z,
            rotation[1][0] * d.x + rotation[1][1] * d.y + rotation[1][2] * d.z,
            rotation[2][0] * d.x + rotation[2][1] * d.y + rotation[2][2] * d.z};
  }
  position apply(const position& p) const {
    const vector3 r = apply(vector3{p.x, p.y, p.z});
    return {r.x + translation.x, r.y + translation.y, r.z + translation.z};
  }
  // This motion after `first`.
  transf after(const transf& first) const;
};

}  // namespace TPK
