// Curves carried by edges. A curve maps a parameter t to a point; an edge uses the interval of t
// between its two ends.
//   straight  P = origin + t*direction, direction unit: t is arc length.
//   circle    P = centre + radius*(cos t x_axis + sin t (normal x x_axis)), t in [0, 2pi),
//             counter-clockwise about `normal`. Seam at t = 0.
// `param` gives t for a point within the kernel resolution of the curve (for a circle in [0, 2pi),
// with the same seam rule as surfaces), false otherwise.
#pragma once

#include <cstddef>

#include <tagtrack/kernel/geometry/position.h>
#include <tagtrack/kernel/heap.h>
#include <tagtrack/kernel/kernel_export.h>

// `outside`: a curve defined outside the kernel (geometry/outside.h).
enum class curve_kind { straight, circle, outside };

class TPK_KERNEL_EXPORT curve : public TPK::TPK_heap {
 public:
  virtual ~curve();
  virtual curve_kind kind() const = 0;
  // "straight" or "circle"; an outside curve's family name.
  virtual const char* type_name() const = 0;
  virtual TPK::position eval(double t) const = 0;
  virtual TPK::vector3 tangent(double t) const = 0;  // unit
  virtual bool param(const TPK::position& p, double& t) const = 0;
  virtual bool periodic() const = 0;  // period 2pi when true
  virtual curve* copy() const = 0;
  virtual void transform(const TPK::transf& t) = 0;
  virtual std::size_t data_size() const = 0;
  virtual void get_data(double* out) const = 0;
};

namespace TPK {

class TPK_KERNEL_EXPORT straight_curve final : public curve {
 public:
  straight_curve(const position& origin, const vector3& direction);
  curve_kind kind() const override { return curve_kind::straight; }
  const char* type_name() const override { return "straight"; }
  position eval(double t) const override;
  vector3 tangent(double t) const override;
  bool param(const position& p, double& t) const override;
  bool periodic() const override { return false; }
  curve* copy() const override;
  void transform(const transf& t) override;
  std::size_t data_size() const override { return 6; }
  void get_data(double* out) const override;  // origin, direction

 private:
  position m_origin;
  vector3 m_dir;
};

class TPK_KERNEL_EXPORT circle_curve final : public curve {
 public:
  circle_curve(const position& centre, const vector3& normal, const vector3& x_axis, double radius);
  curve_kind kind() const override { return curve_kind::circle; }
  const char* type_name() const override { return "circle"; }
  position eval(double t) const override;
  vector3 tangent(double t) const override;
  bool param(const position& p, double& t) const override;
  bool periodic() const override { return true; }
  curve* copy() const override;
  void transform(const transf& t) override;
  std::size_t data_size() const override { return 10; }
  void get_data(double* out) const override;  // centre, normal, x_axis, radius

 private:
  position m_centre;
  vector3 m_normal, m_x, m_y;
  double m_radius;
};

// A new curve of `kind` from the numbers get_data wrote; null when they do not describe one. When
// they are the numbers of an existing curve, the new curve's get_data writes exactly the same
// numbers (bit for bit).
TPK_KERNEL_EXPORT curve* make_curve(curve_kind kind, const double* data, std::size_t count);

}  // namespace TPK
