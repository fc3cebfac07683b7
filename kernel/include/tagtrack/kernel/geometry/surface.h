// Surfaces carried by faces. Every surface maps parameters (u, v) to a point (`eval`) and a point
// back to its parameters (`param`). Angles are in radians. Parameter ranges and seams:
//   plane     u, v unbounded; P = origin + u*x_axis + v*(normal x x_axis).
//   cylinder  u in [0, 2pi) about the axis from x_axis, v the height along the axis.
//             Seam: the ruling at u = 0.
//   cone      as the cylinder; the radius at height v is radius + v*tan(half_angle). The apex,
//             where the radius is 0, is a pole: its u is 0.
//   sphere    u in [0, 2pi) the longitude from x_axis, v in [-pi/2, pi/2] the latitude.
//             Seam: the meridian at u = 0; the poles v = +-pi/2 have u = 0.
//   torus     u in [0, 2pi) about the axis, v in [0, 2pi) about the tube, starting outermost;
//             P = centre + (major + minor*cos v)(cos u x + sin u y) + minor*sin v * axis.
//             Seams: u = 0 and v = 0.
// `param` gives angles in [0, 2pi): an angle whose arc lies within the kernel resolution of the
// seam, on either side, is 0. `param` fails (false) when the point is farther than the kernel
// resolution from the surface; it never fails for a point that `eval` produced.
#pragma once

#include <cstddef>

#include <tagtrack/kernel/geometry/position.h>
#include <tagtrack/kernel/heap.h>
#include <tagtrack/kernel/kernel_export.h>

// `outside`: a surface defined outside the kernel (geometry/outside.h).
enum class surface_kind { plane, cylinder, cone, sphere, torus, outside };

class TPK_KERNEL_EXPORT surface : public TPK::TPK_heap {
 public:
  virtual ~surface();

  virtual surface_kind kind() const = 0;
  // "plane", "cylinder", "cone", "sphere" or "torus"; an outside surface's family name.
  virtual const char* type_name() const = 0;
  // True for a plane.
  virtual bool planar() const { return kind() == surface_kind::plane; }

  virtual TPK::position eval(const TPK::par_pos& uv) const = 0;
  // Unit normal of the parametrisation (d/du x d/dv); at a pole, the axis direction of the pole.
  virtual TPK::vector3 normal(const TPK::par_pos& uv) const = 0;
  // Parameters of `p`; `guess`, when given, may be used to pick among equivalent answers and is
  // otherwise ignored.
  virtual bool param(const TPK::position& p, TPK::par_pos& uv, const TPK::par_pos* guess) const = 0;

  virtual bool periodic_u() const = 0;
  virtual bool periodic_v() const = 0;

  // A new surface equal to this one, on the kernel heap; the caller owns it.
  virtual surface* copy() const = 0;
  virtual void transform(const TPK::transf& t) = 0;

  // The numbers that define the surface, in a fixed order per kind (for model files):
  // `data_size()` of them are written to `out`.
  virtual std::size_t data_size() const = 0;
  virtual void get_data(double* out) const = 0;
};

namespace TPK {

class TPK_KERNEL_EXPORT plane_surface final : public surface {
 public:
  // `normal` and `x_axis` need not be unit; `x_axis` is made perpendicular to `normal`.
  plane_surface(const position& origin, const vector3& normal, const vector3& x_axis);
  surface_kind kind() const override { return surface_kind::plane; }
  const char* type_name() const override { return "plane"; }
  position eval(const par_pos& uv) const override;
  vector3 normal(const par_pos& uv) const override;
  bool param(const position& p, par_pos& uv, const par_pos* guess) const override;
  bool periodic_u() const override { return false; }
  bool periodic_v() const override { return false; }
  surface* copy() const override;
  void transform(const transf& t) override;
  std::size_t data_size() const override { return 9; }
  void get_data(double* out) const override;  // origin, normal, x_axis

  const position& origin() const { return m_origin; }
  const vector3& normal_dir() const { return m_normal; }
  const vector3& x_axis() const { return m_x; }

 private:
  position m_origin;
  vector3 m_normal, m_x, m_y;
};

class TPK_KERNEL_EXPORT cylinder_surface final : public surface {
 public:
  cylinder_surface(const position& origin, const vector3& axis, const vector3& x_axis,
                   double radius);
  surface_kind kind() const override { return surface_kind::cylinder; }
  const char* type_name() const override { return "cylinder"; }
  position eval(const par_pos& uv) const override;
  vector3 normal(const par_pos& uv) const override;
  bool param(const position& p, par_pos& uv, const par_pos* guess) const override;
  bool periodic_u() const override { return true; }
  bool periodic_v() const override { return false; }
  surface* copy() const override;
  void transform(const transf& t) override;
  std::size_t data_size() const override { return 10; }
  void get_data(double* out) const override;  // origin, axis, x_axis, radius

  double radius() const { return m_radius; }

 private:
  position m_origin;
  vector3 m_axis, m_x, m_y;
  double m_radius;
};

class TPK_KERNEL_EXPORT cone_surface final : public surface {
 public:
  // `radius` is the radius at v = 0 (>= 0); |half_angle| < pi/2.
  cone_surface(const position& origin, const vector3& axis, const vector3& x_axis, double radius,
               double half_angle);
  surface_kind kind() const override { return surface_kind::cone; }
  const char* type_name() const override { return "cone"; }
  position eval(const par_pos& uv) const override;
  vector3 normal(const par_pos& uv) const override;
  bool param(const position& p, par_pos& uv, const par_pos* guess) const override;
  bool periodic_u() const override { return true; }
  bool periodic_v() const override { return false; }
  surface* copy() const override;
  void transform(const transf& t) override;
  std::size_t data_size() const override { return 11; }
  void get_data(double* out) const override;  // origin, axis, x_axis, radius, half_angle

 private:
  position m_origin;
  vector3 m_axis, m_x, m_y;
  double m_radius, m_half_angle;
};

class TPK_KERNEL_EXPORT sphere_surface final : public surface {
 public:
  sphere_surface(const position& centre, const vector3& axis, const vector3& x_axis, double radius);
  surface_kind kind() const override { return surface_kind::sphere; }
  const char* type_name() const override { return "sphere"; }
  position eval(const par_pos& uv) const override;
  vector3 normal(const par_pos& uv) const override;
  bool param(const position& p, par_pos& uv, const par_pos* guess) const override;
  bool periodic_u() const override { return true; }
  bool periodic_v() const override { return false; }
  surface* copy() const override;
  void transform(const transf& t) override;
  std::size_t data_size() const override { return 10; }
  void get_data(double* out) const override;  // centre, axis, x_axis, radius

 private:
  position m_centre;
  vector3 m_axis, m_x, m_y;
  double m_radius;
};

class TPK_KERNEL_EXPORT torus_surface final : public surface {
 public:
  // Requires major > minor > 0.
  torus_surface(const position& centre, const vector3& axis, const vector3& x_axis, double major,
                double minor);
  surface_kind kind() const override { return surface_kind::torus; }
  const char* type_name() const override { return "torus"; }
  position eval(const par_pos& uv) const override;
  vector3 normal(const par_pos& uv) const override;
  bool param(const position& p, par_pos& uv, const par_pos* guess) const override;
  bool periodic_u() const override { return true; }
  bool periodic_v() const override { return true; }
  surface* copy() const override;
  void transform(const transf& t) override;
  std::size_t data_size() const override { return 11; }
  void get_data(double* out) const override;  // centre, axis, x_axis, major, minor

 private:
  position m_centre;
  vector3 m_axis, m_x, m_y;
  double m_major, m_minor;
};

// A new surface of `kind` from the numbers get_data wrote; null when `count` does not fit the kind
// or the numbers do not describe a valid surface (zero axis, negative radius, ...). The directions
// need not be unit or perpendicular; when they are the numbers of an existing surface, the new
// surface's get_data writes exactly the same numbers (bit for bit), also after transform.
TPK_KERNEL_EXPORT surface* make_surface(surface_kind kind, const double* data, std::size_t count);

}  // namespace TPK
